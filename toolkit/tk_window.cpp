// Window classes, creation, destruction, geometry, longs and texts.
#include "toolkit/tk_window.h"

#include <ctype.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "toolkit/tk_gdi.h"
#include "toolkit/tk_state.h"

namespace VeltoTk {

static std::map<uintptr_t, std::unique_ptr<CWindow>>& Table() {
    static std::map<uintptr_t, std::unique_ptr<CWindow>> table;
    return table;
}

static std::map<std::string, std::unique_ptr<CWindowClass>>& Classes() {
    static std::map<std::string, std::unique_ptr<CWindowClass>> classes;
    return classes;
}

// Handles start high and only grow, so a destroyed window's handle never
// names a newer one.
static uintptr_t g_nNextHandle = 0x10000;

static std::string Lower(const std::string& s) {
    std::string out(s);
    for (char& c : out) {
        c = (char)tolower((unsigned char)c);
    }
    return out;
}

CWindow* Find(HWND hwnd) {
    auto& t = Table();
    auto it = t.find(reinterpret_cast<uintptr_t>(hwnd));
    return it == t.end() ? nullptr : it->second.get();
}

CWindowClass* FindClass(const std::string& name) {
    auto it = Classes().find(Lower(name));
    return it == Classes().end() ? nullptr : it->second.get();
}

std::vector<HWND>& TopLevels() {
    CWindow* desk = Find(Tk().desktop);
    static std::vector<HWND> none;
    none.clear();
    return desk ? desk->children : none;
}

RECT ScreenRect(const CWindow* w) {
    RECT r = w->rect;
    for (CWindow* p = Find(w->parent); p; p = Find(p->parent)) {
        r = RectOffset(r, p->rect.left, p->rect.top);
    }
    return r;
}

bool IsShown(const CWindow* w) {
    for (; w; w = Find(w->parent)) {
        if (!(w->style & WS_VISIBLE)) {
            return false;
        }
    }
    return true;
}

CRegion VisibleRegion(const CWindow* w, bool excludeChildren) {
    CRegion region;
    if (!IsShown(w)) {
        return region;
    }
    region.Set(ScreenRect(w));
    const CWindow* node = w;
    for (CWindow* p = Find(node->parent); p; node = p, p = Find(p->parent)) {
        region.Intersect(ScreenRect(p));
        auto it = std::find(p->children.begin(), p->children.end(), node->handle);
        for (++it; it != p->children.end() && !region.Empty(); ++it) {
            CWindow* s = Find(*it);
            if (s && (s->style & WS_VISIBLE)) {
                region.Subtract(ScreenRect(s));
            }
        }
    }
    if (excludeChildren) {
        for (HWND h : w->children) {
            CWindow* c = Find(h);
            if (c && (c->style & WS_VISIBLE)) {
                region.Subtract(ScreenRect(c));
            }
        }
    }
    return region;
}

static void CollectPaintOrder(HWND h, std::vector<HWND>& out) {
    CWindow* w = Find(h);
    if (!w || !(w->style & WS_VISIBLE)) {
        return;
    }
    out.push_back(h);
    for (HWND c : w->children) {
        CollectPaintOrder(c, out);
    }
}

std::vector<HWND> PaintOrder() {
    std::vector<HWND> out;
    CollectPaintOrder(Tk().desktop, out);
    return out;
}

void InvalidateScreen(const RECT& r) {
    if (RectEmpty(r)) {
        return;
    }
    for (HWND h : PaintOrder()) {
        CWindow* w = Find(h);
        CRegion vis = VisibleRegion(w);
        vis.Intersect(r);
        if (vis.Empty()) {
            continue;
        }
        RECT sr = ScreenRect(w);
        RECT local = RectOffset(vis.Bounds(), -sr.left, -sr.top);
        w->update = RectUnion(w->update, local);
        w->erase = true;
    }
}

static LRESULT DesktopProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void RegisterBuiltinClasses();

void ResetWindows() {
    // Destroy from the top so that WM_DESTROY still finds parents.
    CToolkit& tk = Tk();
    if (tk.desktop) {
        HWND desk = tk.desktop;
        DestroyWindow(desk);
        tk.desktop = nullptr;
    }
    Table().clear();
    Classes().clear();
    tk.active = tk.focus = nullptr;
}

HWND CreateDesktop(int w, int h) {
    CWindowClass* cls = FindClass("#desktop");
    auto win = std::make_unique<CWindow>();
    HWND handle = reinterpret_cast<HWND>(g_nNextHandle++);
    win->handle = handle;
    win->cls = cls;
    win->proc = DesktopProc;
    win->rect = RECT{0, 0, w, h};
    win->style = WS_VISIBLE;
    // Screens made "with the desktop's instance" need a real one.
    win->instance = MwGetInstance();
    win->update = win->rect;
    win->erase = true;
    Table()[reinterpret_cast<uintptr_t>(handle)] = std::move(win);
    return handle;
}

void RegisterDesktopClass() {
    auto cls = std::make_unique<CWindowClass>();
    cls->name = "#desktop";
    cls->proc = DesktopProc;
    cls->background = GetStockObject(BLACK_BRUSH);
    cls->builtin = true;
    Classes()["#desktop"] = std::move(cls);
}

HWND NewWindowHandle() {
    return reinterpret_cast<HWND>(g_nNextHandle++);
}

}  // namespace VeltoTk

using namespace VeltoTk;

WORD RegisterClass(const WNDCLASS* wc) {
    if (!wc || !wc->lpszClassName || !wc->lpfnWndProc || !*wc->lpszClassName) {
        return 0;
    }
    std::string key = Lower(wc->lpszClassName);
    if (Classes().count(key)) {
        return 0;
    }
    auto cls = std::make_unique<CWindowClass>();
    cls->name = wc->lpszClassName;
    cls->style = wc->style;
    cls->proc = wc->lpfnWndProc;
    cls->cbWndExtra = std::max(0, wc->cbWndExtra);
    cls->instance = wc->hInstance;
    cls->background = wc->hbrBackground;
    Classes()[key] = std::move(cls);
    return (WORD)(Classes().size() + 0xC000);
}

BOOL GetClassInfo(HINSTANCE, LPCSTR className, WNDCLASS* wc) {
    CWindowClass* cls = className ? FindClass(className) : nullptr;
    if (!cls) {
        return FALSE;
    }
    if (wc) {
        *wc = WNDCLASS{};
        wc->style = cls->style;
        wc->lpfnWndProc = cls->proc;
        wc->cbWndExtra = cls->cbWndExtra;
        wc->hInstance = cls->instance;
        wc->hbrBackground = cls->background;
        wc->lpszClassName = cls->name.c_str();
    }
    return TRUE;
}

BOOL UnregisterClass(LPCSTR className, HINSTANCE) {
    if (!className) {
        return FALSE;
    }
    std::string key = Lower(className);
    auto it = Classes().find(key);
    if (it == Classes().end() || it->second->builtin) {
        return FALSE;
    }
    for (auto& entry : Table()) {
        if (entry.second->cls == it->second.get()) {
            return FALSE;  // still in use
        }
    }
    Classes().erase(it);
    return TRUE;
}

HWND CreateWindowEx(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                    int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                    LPVOID param) {
    CToolkit& tk = Tk();
    if (!tk.open && !MwOpen()) {
        return nullptr;
    }
    CWindowClass* cls = className ? FindClass(className) : nullptr;
    if (!cls) {
        printf("Error: CreateWindowEx: unknown window class %s\n",
               className ? className : "(null)");
        return nullptr;
    }
    CWindow* parentWin = nullptr;
    HWND owner = nullptr;
    if (style & WS_CHILD) {
        parentWin = Find(parent);
        if (!parentWin) {
            return nullptr;
        }
    } else {
        if (parent && !Find(parent)) {
            return nullptr;
        }
        owner = parent;
        parentWin = Find(tk.desktop);
    }
    auto win = std::make_unique<CWindow>();
    HWND handle = NewWindowHandle();
    win->handle = handle;
    win->cls = cls;
    win->proc = cls->proc;
    win->parent = parentWin->handle;
    win->owner = owner;
    win->rect = MakeRect(x, y, std::max(0, width), std::max(0, height));
    win->style = style;
    win->exStyle = exStyle;
    win->text = windowName ? windowName : "";
    win->instance = instance;
    win->id = (style & WS_CHILD) ? (LONG)(intptr_t)menu : 0;
    win->extra.assign((size_t)cls->cbWndExtra, 0);
    CWindow* raw = win.get();
    Table()[reinterpret_cast<uintptr_t>(handle)] = std::move(win);
    parentWin->children.push_back(handle);

    CREATESTRUCT cs{param, instance, menu,        parent,     height,    width,
                    y,     x,        (LONG)style, windowName, className, exStyle};
    // Procedures that answer 0 to everything are common here, so only a
    // WM_CREATE of -1 refuses the window.
    SendMessage(handle, WM_NCCREATE, 0, (LPARAM)&cs);
    if (Find(handle) && SendMessage(handle, WM_CREATE, 0, (LPARAM)&cs) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    raw = Find(handle);
    if (!raw) {
        return nullptr;  // destroyed itself while being created
    }
    if (raw->style & WS_VISIBLE) {
        InvalidateScreen(ScreenRect(raw));
    }
    return handle;
}

HWND CreateWindow(LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                  int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    return CreateWindowEx(0, className, windowName, style, x, y, width, height, parent, menu,
                          instance, param);
}

namespace VeltoTk {
void ForgetWindowTimers(HWND hwnd);
void ForgetModal(HWND hwnd);
void ForgetCaret(HWND hwnd);
}  // namespace VeltoTk

static void DestroyTree(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return;
    }
    SendMessage(hwnd, WM_DESTROY, 0, 0);
    // Windows owned by this one go with it, as do its children.
    std::vector<HWND> owned;
    for (auto& entry : Table()) {
        if (entry.second->owner == hwnd && !entry.second->destroying) {
            owned.push_back(entry.second->handle);
        }
    }
    for (HWND o : owned) {
        DestroyWindow(o);
    }
    w = Find(hwnd);
    if (!w) {
        return;
    }
    std::vector<HWND> children = w->children;
    for (HWND c : children) {
        CWindow* cw = Find(c);
        if (cw && !cw->destroying) {
            cw->destroying = true;
            DestroyTree(c);
        }
    }
    SendMessage(hwnd, WM_NCDESTROY, 0, 0);
    w = Find(hwnd);
    if (!w) {
        return;
    }
    ForgetWindowTimers(hwnd);
    ForgetModal(hwnd);
    ForgetCaret(hwnd);
    CToolkit& tk = Tk();
    if (tk.focus == hwnd) {
        tk.focus = nullptr;
    }
    if (tk.active == hwnd) {
        tk.active = nullptr;
    }
    if (w->paintBrush) {
        DeleteObject(w->paintBrush);
    }
    if (CWindow* p = Find(w->parent)) {
        auto& ch = p->children;
        ch.erase(std::remove(ch.begin(), ch.end(), hwnd), ch.end());
    }
    Table().erase(reinterpret_cast<uintptr_t>(hwnd));
}

BOOL DestroyWindow(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    if (w->destroying) {
        return TRUE;  // already on its way out
    }
    w->destroying = true;
    RECT sr = ScreenRect(w);
    bool shown = IsShown(w);
    // Hidden first, so nothing repaints into the dying window.
    w->style &= ~WS_VISIBLE;
    DestroyTree(hwnd);
    if (shown) {
        InvalidateScreen(sr);
    }
    return TRUE;
}

BOOL IsWindow(HWND hwnd) {
    return Find(hwnd) != nullptr;
}

BOOL IsWindowVisible(HWND hwnd) {
    CWindow* w = Find(hwnd);
    return w && IsShown(w);
}

BOOL IsWindowEnabled(HWND hwnd) {
    CWindow* w = Find(hwnd);
    return w && !(w->style & WS_DISABLED);
}

BOOL EnableWindow(HWND hwnd, BOOL enable) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    BOOL wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable) {
        w->style &= ~WS_DISABLED;
    } else {
        w->style |= WS_DISABLED;
    }
    if (wasDisabled == !enable) {
        return wasDisabled;
    }
    SendMessage(hwnd, WM_ENABLE, enable ? 1 : 0, 0);
    return wasDisabled;
}

HWND GetParent(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    return (w->style & WS_CHILD) ? w->parent : w->owner;
}

HWND GetDesktopWindow() {
    return Tk().desktop;
}

HWND GetDlgItem(HWND dialog, int id) {
    CWindow* w = Find(dialog);
    if (!w) {
        return nullptr;
    }
    for (HWND c : w->children) {
        CWindow* cw = Find(c);
        if (cw && cw->id == id) {
            return c;
        }
    }
    return nullptr;
}

BOOL ShowWindow(HWND hwnd, int cmdShow) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    BOOL was = (w->style & WS_VISIBLE) != 0;
    if (cmdShow == SW_HIDE) {
        if (was) {
            bool shown = IsShown(w);
            RECT sr = ScreenRect(w);
            w->style &= ~WS_VISIBLE;
            if (shown) {
                InvalidateScreen(sr);
            }
            SendMessage(hwnd, WM_SHOWWINDOW, FALSE, 0);
        }
        return was;
    }
    if (cmdShow == SW_MAXIMIZE) {
        CWindow* p = Find(w->parent);
        RECT pr =
            p ? p->rect : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        RECT full{0, 0, pr.right - pr.left, pr.bottom - pr.top};
        if (memcmp(&full, &w->rect, sizeof full) != 0) {
            MoveWindow(hwnd, 0, 0, full.right, full.bottom, TRUE);
        }
    }
    if (!was) {
        w->style |= WS_VISIBLE;
        if (IsShown(w)) {
            InvalidateScreen(ScreenRect(w));
        }
        SendMessage(hwnd, WM_SHOWWINDOW, TRUE, 0);
    }
    return was;
}

BOOL MoveWindow(HWND hwnd, int x, int y, int width, int height, BOOL repaint) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    RECT old = ScreenRect(w);
    RECT oldRect = w->rect;
    w->rect = MakeRect(x, y, std::max(0, width), std::max(0, height));
    if (IsShown(w)) {
        InvalidateScreen(old);
        InvalidateScreen(ScreenRect(w));
    }
    if (oldRect.left != w->rect.left || oldRect.top != w->rect.top) {
        SendMessage(hwnd, WM_MOVE, 0, MAKELONG(x, y));
    }
    if (oldRect.right - oldRect.left != width || oldRect.bottom - oldRect.top != height) {
        SendMessage(hwnd, WM_SIZE, 0, MAKELONG(width, height));
    }
    return TRUE;
}

namespace VeltoTk {
// Raising above the innermost modal dialog would hide it; only that dialog
// and what it owns may come up while it runs.
bool MayRaise(HWND top);
}  // namespace VeltoTk

BOOL BringWindowToTop(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    CWindow* p = Find(w->parent);
    if (!p) {
        return TRUE;
    }
    if (!(w->style & WS_CHILD) && !MayRaise(hwnd)) {
        return FALSE;
    }
    auto& ch = p->children;
    if (!ch.empty() && ch.back() == hwnd) {
        return TRUE;
    }
    ch.erase(std::remove(ch.begin(), ch.end(), hwnd), ch.end());
    ch.push_back(hwnd);
    if (IsShown(w)) {
        InvalidateScreen(ScreenRect(w));
    }
    return TRUE;
}

BOOL SetWindowPos(HWND hwnd, HWND after, int x, int y, int cx, int cy, UINT flags) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    if (!(flags & SWP_NOZORDER) && after == HWND_TOP) {
        BringWindowToTop(hwnd);
    }
    if (!(flags & SWP_NOMOVE) || !(flags & SWP_NOSIZE)) {
        int nx = (flags & SWP_NOMOVE) ? w->rect.left : x;
        int ny = (flags & SWP_NOMOVE) ? w->rect.top : y;
        int nw = (flags & SWP_NOSIZE) ? w->rect.right - w->rect.left : cx;
        int nh = (flags & SWP_NOSIZE) ? w->rect.bottom - w->rect.top : cy;
        MoveWindow(hwnd, nx, ny, nw, nh, TRUE);
    }
    if (flags & SWP_SHOWWINDOW) {
        ShowWindow(hwnd, SW_SHOW);
    }
    if (flags & SWP_HIDEWINDOW) {
        ShowWindow(hwnd, SW_HIDE);
    }
    return TRUE;
}

BOOL GetWindowRect(HWND hwnd, RECT* rc) {
    CWindow* w = Find(hwnd);
    if (!w || !rc) {
        return FALSE;
    }
    *rc = ScreenRect(w);
    return TRUE;
}

BOOL GetClientRect(HWND hwnd, RECT* rc) {
    CWindow* w = Find(hwnd);
    if (!w || !rc) {
        return FALSE;
    }
    *rc = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    return TRUE;
}

BOOL ClientToScreen(HWND hwnd, POINT* pt) {
    CWindow* w = Find(hwnd);
    if (!w || !pt) {
        return FALSE;
    }
    RECT sr = ScreenRect(w);
    pt->x += sr.left;
    pt->y += sr.top;
    return TRUE;
}

BOOL ScreenToClient(HWND hwnd, POINT* pt) {
    CWindow* w = Find(hwnd);
    if (!w || !pt) {
        return FALSE;
    }
    RECT sr = ScreenRect(w);
    pt->x -= sr.left;
    pt->y -= sr.top;
    return TRUE;
}

static LONG* ExtraSlot(CWindow* w, int index, bool grow) {
    if (index < 0) {
        return nullptr;
    }
    size_t end = (size_t)index + sizeof(LONG);
    if (end > w->extra.size()) {
        // Classes registered with too few extra bytes still keep their
        // pointer rather than losing it.
        if (!grow) {
            return nullptr;
        }
        w->extra.resize(end, 0);
    }
    return reinterpret_cast<LONG*>(w->extra.data() + index);
}

LONG GetWindowLong(HWND hwnd, int index) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return 0;
    }
    switch (index) {
        case GWL_STYLE:
            return (LONG)w->style;
        case GWL_EXSTYLE:
            return (LONG)w->exStyle;
        case GWL_ID:
            return w->id;
        case GWL_USERDATA:
            return w->userData;
        case GWL_WNDPROC:
            return (LONG)(intptr_t)w->proc;
        case GWL_HINSTANCE:
            return (LONG)(intptr_t)w->instance;
        case GWL_HWNDPARENT:
            return (LONG)(intptr_t)GetParent(hwnd);
        default:
            break;
    }
    LONG* slot = ExtraSlot(w, index, false);
    if (!slot) {
        return 0;
    }
    LONG v;
    memcpy(&v, slot, sizeof v);
    return v;
}

LONG SetWindowLong(HWND hwnd, int index, LONG value) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return 0;
    }
    LONG old = GetWindowLong(hwnd, index);
    switch (index) {
        case GWL_STYLE: {
            bool wasShown = IsShown(w);
            w->style = (DWORD)value;
            if (wasShown != IsShown(w)) {
                InvalidateScreen(ScreenRect(w));
            }
            return old;
        }
        case GWL_EXSTYLE:
            w->exStyle = (DWORD)value;
            return old;
        case GWL_ID:
            w->id = value;
            return old;
        case GWL_USERDATA:
            w->userData = value;
            return old;
        case GWL_WNDPROC:
            w->proc = reinterpret_cast<WNDPROC>(value);
            return old;
        case GWL_HINSTANCE:
            w->instance = reinterpret_cast<HINSTANCE>(value);
            return old;
        default:
            break;
    }
    LONG* slot = ExtraSlot(w, index, true);
    if (!slot) {
        return 0;
    }
    memcpy(slot, &value, sizeof value);
    return old;
}

BOOL SetWindowText(HWND hwnd, LPCSTR text) {
    return Find(hwnd) ? (BOOL)SendMessage(hwnd, WM_SETTEXT, 0, (LPARAM)(text ? text : "")) : FALSE;
}

int GetWindowText(HWND hwnd, LPSTR buffer, int maxCount) {
    if (!buffer || maxCount <= 0) {
        return 0;
    }
    buffer[0] = 0;
    return Find(hwnd) ? (int)SendMessage(hwnd, WM_GETTEXT, maxCount, (LPARAM)buffer) : 0;
}

int GetWindowTextLength(HWND hwnd) {
    return Find(hwnd) ? (int)SendMessage(hwnd, WM_GETTEXTLENGTH, 0, 0) : 0;
}

int GetClassName(HWND hwnd, LPSTR buffer, int maxCount) {
    CWindow* w = Find(hwnd);
    if (!w || !buffer || maxCount <= 0) {
        return 0;
    }
    snprintf(buffer, (size_t)maxCount, "%s", w->cls->name.c_str());
    return (int)strlen(buffer);
}

void MwSetWindowPaintBrush(HWND hwnd, HBRUSH brush) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return;
    }
    if (w->paintBrush && w->paintBrush != brush) {
        DeleteObject(w->paintBrush);
    }
    w->paintBrush = brush;
}

HBRUSH MwGetWindowPaintBrush(HWND hwnd) {
    CWindow* w = Find(hwnd);
    return w ? w->paintBrush : nullptr;
}
