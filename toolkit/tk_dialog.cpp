// Modal dialogs with nested loops, keyboard routing, focus and activation.
#include <stdio.h>

#include <algorithm>

#include "toolkit/tk_gdi.h"
#include "toolkit/tk_host.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

// The dialog's extra bytes hold DWL_MSGRESULT, DWL_DLGPROC and DWL_USER.
constexpr int kDialogExtra = 32;

class CDialogData : public CControlData {
public:
    DLGPROC proc = nullptr;
};

static HWND TopLevelOf(HWND hwnd) {
    CWindow* w = Find(hwnd);
    while (w && (w->style & WS_CHILD)) {
        w = Find(w->parent);
    }
    return w ? w->handle : nullptr;
}

static bool OwnedBy(HWND top, HWND owner) {
    for (CWindow* w = Find(top); w; w = Find(w->owner)) {
        if (w->handle == owner) {
            return true;
        }
    }
    return false;
}

static bool IsInside(HWND hwnd, HWND ancestor) {
    for (CWindow* w = Find(hwnd); w; w = Find(w->parent)) {
        if (w->handle == ancestor) {
            return true;
        }
    }
    return false;
}

static HWND InnermostModal() {
    auto& m = Tk().modals;
    for (auto it = m.rbegin(); it != m.rend(); ++it) {
        if (Find(it->dialog)) {
            return it->dialog;
        }
    }
    return nullptr;
}

bool MayRaise(HWND hwnd) {
    HWND modal = InnermostModal();
    HWND top = TopLevelOf(hwnd);
    return !modal || !top || top == modal || OwnedBy(top, modal);
}

HWND KeyTarget() {
    CToolkit& tk = Tk();
    HWND modal = InnermostModal();
    if (modal) {
        if (tk.focus && IsInside(tk.focus, modal) && IsWindowEnabled(tk.focus)) {
            return tk.focus;
        }
        return modal;
    }
    if (tk.focus && Find(tk.focus)) {
        return tk.focus;
    }
    return Find(tk.active) ? tk.active : nullptr;
}

void ForgetModal(HWND hwnd) {
    for (CModal& m : Tk().modals) {
        if (m.dialog == hwnd && !m.ended) {
            m.ended = true;  // destroyed from inside: its loop ends
        }
    }
}

static LRESULT DialogWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindow* w = Find(hwnd);
    CDialogData* data = w ? static_cast<CDialogData*>(w->data.get()) : nullptr;
    INT_PTR r = 0;
    if (data && data->proc) {
        r = data->proc(hwnd, msg, wParam, lParam);
    }
    if (msg == WM_INITDIALOG || r != 0 || !Find(hwnd)) {
        return r;
    }
    return DefDlgProc(hwnd, msg, wParam, lParam);
}

static bool g_bDialogsReady = false;

void RegisterDialogClass() {
    WNDCLASS wc{};
    wc.lpfnWndProc = DialogWndProc;
    wc.cbWndExtra = kDialogExtra;
    wc.hbrBackground = GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "#dialog";
    RegisterClass(&wc);
    if (CWindowClass* c = FindClass("#dialog")) {
        c->builtin = true;
    }
    g_bDialogsReady = true;
}

}  // namespace VeltoTk

using namespace VeltoTk;

BOOL MwInitializeDialogs(HINSTANCE) {
    return TRUE;
}

INT_PTR DialogBoxParam(HINSTANCE instance, LPCSTR templateName, HWND parent, DLGPROC proc,
                       LPARAM param) {
    CToolkit& tk = Tk();
    if ((!tk.open && !MwOpen()) || !proc || (parent && !IsWindow(parent))) {
        return -1;
    }
    (void)templateName;  // every template is the empty full-screen dialog
    int w = GetSystemMetrics(SM_CXSCREEN);
    int h = GetSystemMetrics(SM_CYSCREEN);
    // The procedure sees WM_CREATE before DWL_USER is set, as in Win32.
    HWND dlg =
        CreateWindowEx(0, "#dialog", "", WS_POPUP, 0, 0, w, h, parent, nullptr, instance, nullptr);
    CWindow* win = Find(dlg);
    if (!win) {
        return -1;
    }
    auto data = std::make_unique<CDialogData>();
    data->proc = proc;
    win->data = std::move(data);
    SendMessage(dlg, WM_CREATE, 0, 0);
    if (!IsWindow(dlg)) {
        return -1;
    }
    SetWindowLong(dlg, DWL_USER, (LONG)param);

    tk.modals.push_back(CModal{dlg});
    size_t depth = tk.modals.size();
    bool parentWasEnabled = parent && IsWindowEnabled(parent);
    HWND prevActive = tk.active;

    SendMessage(dlg, WM_INITDIALOG, 0, param);
    if (IsWindow(dlg) && !tk.modals[depth - 1].ended) {
        ShowWindow(dlg, SW_SHOW);
        BringWindowToTop(dlg);
        tk.active = dlg;
        if (!tk.focus || !IsInside(tk.focus, dlg)) {
            tk.focus = dlg;
        }
    }
    if (parentWasEnabled) {
        EnableWindow(parent, FALSE);
    }

    bool quit = false;
    int quitCode = 0;
    // WM_ENTERIDLE goes out once each time the queue runs dry, not again on
    // every wake-up that brings no message.
    bool idleSent = false;
    while (!tk.modals[depth - 1].ended && IsWindow(dlg)) {
        MSG msg;
        if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (tk.modals[depth - 1].ended || !IsWindow(dlg)) {
                break;
            }
            if (!idleSent) {
                idleSent = true;
                SendMessage(dlg, WM_ENTERIDLE, 0, (LPARAM)dlg);
                if (tk.modals[depth - 1].ended || !IsWindow(dlg)) {
                    break;
                }
            }
            if (!PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
                if (!WaitMessage()) {
                    printf("Error: modal loop has no display to wait on\n");
                    break;
                }
                continue;
            }
        }
        idleSent = false;
        if (msg.message == WM_QUIT) {
            if (msg.hwnd == nullptr) {
                quit = true;  // the outer loops end too
                quitCode = (int)msg.wParam;
                break;
            }
            if (IsInside(msg.hwnd, dlg)) {
                break;
            }
            continue;
        }
        if (!IsDialogMessage(dlg, &msg)) {
            DispatchMessage(&msg);
        }
    }

    INT_PTR result = tk.modals[depth - 1].result;
    tk.modals.erase(tk.modals.begin() + (ptrdiff_t)(depth - 1), tk.modals.end());
    if (parentWasEnabled) {
        EnableWindow(parent, TRUE);
    }
    if (IsWindow(dlg)) {
        DestroyWindow(dlg);
    }
    HWND back =
        IsWindow(parent) ? TopLevelOf(parent) : (IsWindow(prevActive) ? prevActive : nullptr);
    if (!back) {
        back = InnermostModal();
    }
    tk.active = back;
    if (!tk.focus || !IsWindow(tk.focus)) {
        tk.focus = back;
    }
    if (tk.focus && back && !IsInside(tk.focus, back)) {
        tk.focus = back;
    }
    if (quit) {
        PostQuitMessage(quitCode);
    }
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result) {
    for (CModal& m : Tk().modals) {
        if (m.dialog == dialog && IsWindow(dialog)) {
            if (!m.ended) {
                m.ended = true;
                m.result = result;
            }
            // Hidden at once, as Win32 does; destroyed when its loop ends.
            ShowWindow(dialog, SW_HIDE);
            if (Tk().display) {
                Tk().display->Wake();
            }
            return TRUE;
        }
    }
    return FALSE;
}

int MwModalDepth() {
    return (int)Tk().modals.size();
}

BOOL IsDialogMessage(HWND dialog, MSG* msg) {
    if (!msg || !IsWindow(dialog) || !msg->hwnd || !IsInside(msg->hwnd, dialog)) {
        return FALSE;
    }
    if (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP && msg->message != WM_CHAR) {
        return FALSE;
    }
    LRESULT code = SendMessage(msg->hwnd, WM_GETDLGCODE, msg->wParam, (LPARAM)msg);
    // Our screens have no tab stops or buttons to navigate: a window that
    // asks for no dialog handling at all handles its keys itself.
    if (code == 0 || (code & DLGC_WANTALLKEYS)) {
        return FALSE;
    }
    if (msg->message != WM_KEYDOWN) {
        return FALSE;
    }
    switch (msg->wParam) {
        case VK_RETURN:
            SendMessage(dialog, WM_COMMAND, IDOK, 0);
            return TRUE;
        case VK_ESCAPE:
            SendMessage(dialog, WM_COMMAND, IDCANCEL, 0);
            return TRUE;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            // No tab stops in our dialogs: unclaimed arrows go nowhere.
            return (code & DLGC_WANTARROWS) ? FALSE : TRUE;
        default:
            return FALSE;
    }
}

LRESULT DefDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CLOSE:
            EndDialog(hwnd, IDCANCEL);
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect((HDC)wParam, &rc, GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

HWND SetFocus(HWND hwnd) {
    CToolkit& tk = Tk();
    HWND old = tk.focus;
    if (hwnd && !IsWindow(hwnd)) {
        return nullptr;
    }
    if (old == hwnd) {
        return old;
    }
    tk.focus = hwnd;
    if (old && IsWindow(old)) {
        SendMessage(old, WM_KILLFOCUS, (WPARAM)hwnd, 0);
    }
    if (hwnd) {
        SendMessage(hwnd, WM_SETFOCUS, (WPARAM)old, 0);
    }
    return IsWindow(old) ? old : nullptr;
}

HWND GetFocus() {
    return IsWindow(Tk().focus) ? Tk().focus : nullptr;
}

HWND SetActiveWindow(HWND hwnd) {
    CToolkit& tk = Tk();
    HWND old = IsWindow(tk.active) ? tk.active : nullptr;
    HWND top = TopLevelOf(hwnd);
    if (!top || !IsWindowEnabled(top) || !MayRaise(top)) {
        return old;
    }
    BringWindowToTop(top);
    tk.active = top;
    if (!tk.focus || !IsInside(tk.focus, top)) {
        tk.focus = top;
    }
    return old;
}

HWND GetActiveWindow() {
    return IsWindow(Tk().active) ? Tk().active : nullptr;
}

HWND GetForegroundWindow() {
    return GetActiveWindow();
}

BOOL SetForegroundWindow(HWND hwnd) {
    if (!IsWindow(hwnd)) {
        return FALSE;
    }
    HWND top = TopLevelOf(hwnd);
    if (!MayRaise(top)) {
        return FALSE;
    }
    SetActiveWindow(top);
    return GetActiveWindow() == top;
}
