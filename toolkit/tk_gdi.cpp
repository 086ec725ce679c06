// GDI objects, stock objects, system colours and device-context state.
#include "toolkit/tk_gdi.h"

#include <stdio.h>

#include <map>

#include "toolkit/tk_font.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

// Handle numbers: 1..31 are system colour brushes (Win32's COLOR_x + 1),
// stock objects sit at kStockBase + index, the rest count up from kNextBase.
constexpr uintptr_t kStockBase = 0x100;
constexpr uintptr_t kNextBase = 0x1000;

static std::map<uintptr_t, std::unique_ptr<CGdiObject>>& Objects() {
    static std::map<uintptr_t, std::unique_ptr<CGdiObject>> objects;
    return objects;
}
static uintptr_t g_nNextObject = kNextBase;

static std::map<uintptr_t, std::unique_ptr<CDc>>& Dcs() {
    static std::map<uintptr_t, std::unique_ptr<CDc>> dcs;
    return dcs;
}
static uintptr_t g_nNextDc = 0x100;

static HGDIOBJ AddObject(std::unique_ptr<CGdiObject> obj) {
    uintptr_t h = g_nNextObject++;
    Objects()[h] = std::move(obj);
    return reinterpret_cast<HGDIOBJ>(h);
}

CGdiObject* FindObject(HGDIOBJ h) {
    auto it = Objects().find(reinterpret_cast<uintptr_t>(h));
    return it == Objects().end() ? nullptr : it->second.get();
}

static COLORREF SysColor(int index) {
    switch (index) {
        case COLOR_BACKGROUND:
        case COLOR_WINDOWTEXT:
        case COLOR_BTNTEXT:
            return 0xFF000000u;
        case COLOR_ACTIVECAPTION:
        case COLOR_HIGHLIGHT:
            return RGB(0x16, 0x42, 0x73);
        case COLOR_BTNSHADOW:
        case COLOR_GRAYTEXT:
            return RGB(0x80, 0x80, 0x80);
        default:
            // Window, frame, button face, highlight text: our screens are
            // white throughout.
            return 0xFFFFFFFFu;
    }
}

bool BrushColor(HBRUSH h, COLORREF* color) {
    uintptr_t v = reinterpret_cast<uintptr_t>(h);
    if (v >= 1 && v <= 31) {
        *color = SysColor((int)v - 1);
        return true;
    }
    CGdiObject* o = FindObject(h);
    if (!o || o->kind != ObjKind::Brush || o->null) {
        return false;
    }
    *color = o->color;
    return true;
}

bool IsStock(HGDIOBJ h) {
    uintptr_t v = reinterpret_cast<uintptr_t>(h);
    return v < kNextBase;
}

static void MakeStock() {
    auto& objs = Objects();
    if (!objs.empty() && objs.begin()->first < kNextBase) {
        return;
    }
    auto brush = [](COLORREF c, bool null = false) {
        auto o = std::make_unique<CGdiObject>();
        o->kind = ObjKind::Brush;
        o->stock = true;
        o->color = c;
        o->null = null;
        return o;
    };
    auto pen = [](COLORREF c, bool null = false) {
        auto o = std::make_unique<CGdiObject>();
        o->kind = ObjKind::Pen;
        o->stock = true;
        o->color = c;
        o->null = null;
        return o;
    };
    objs[kStockBase + WHITE_BRUSH] = brush(0xFFFFFFFFu);
    objs[kStockBase + LTGRAY_BRUSH] = brush(RGB(0xC0, 0xC0, 0xC0));
    objs[kStockBase + GRAY_BRUSH] = brush(RGB(0x80, 0x80, 0x80));
    objs[kStockBase + DKGRAY_BRUSH] = brush(RGB(0x40, 0x40, 0x40));
    objs[kStockBase + BLACK_BRUSH] = brush(0xFF000000u);
    objs[kStockBase + NULL_BRUSH] = brush(0, true);
    objs[kStockBase + WHITE_PEN] = pen(0xFFFFFFFFu);
    objs[kStockBase + BLACK_PEN] = pen(0xFF000000u);
    objs[kStockBase + NULL_PEN] = pen(0, true);
    objs[kStockBase + OVERLAY_BRUSH] = brush(0xFF010101u);
}

void ResetObjects() {
    auto& objs = Objects();
    for (auto it = objs.begin(); it != objs.end();) {
        it = it->first >= kNextBase ? objs.erase(it) : std::next(it);
    }
    Dcs().clear();
}

static HFONT DefaultFont() {
    static HFONT font = nullptr;
    if (!FindObject(font)) {
        font = CreateFont(14, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0,
                          "Arial.ttf");
        if (CGdiObject* o = FindObject(font)) {
            o->stock = true;
        }
    }
    return font;
}

CDc* FindDc(HDC hdc) {
    auto it = Dcs().find(reinterpret_cast<uintptr_t>(hdc));
    return it == Dcs().end() ? nullptr : it->second.get();
}

HDC NewDc(HWND hwnd, const CRegion& clip) {
    CWindow* w = Find(hwnd);
    auto dc = std::make_unique<CDc>();
    dc->hwnd = hwnd;
    dc->psd = Tk().screen;
    if (w) {
        RECT sr = ScreenRect(w);
        dc->origin = POINT{sr.left, sr.top};
        dc->font = w->font;
    }
    dc->clip = clip;
    dc->brush = GetStockObject(WHITE_BRUSH);
    dc->pen = GetStockObject(BLACK_PEN);
    if (!FindObject(dc->font)) {
        dc->font = DefaultFont();
    }
    uintptr_t h = g_nNextDc++;
    Dcs()[h] = std::move(dc);
    return reinterpret_cast<HDC>(h);
}

void FreeDc(HDC hdc) {
    Dcs().erase(reinterpret_cast<uintptr_t>(hdc));
}

}  // namespace VeltoTk

using namespace VeltoTk;

HGDIOBJ GetStockObject(int index) {
    MakeStock();
    if (index == DEFAULT_GUI_FONT || index == SYSTEM_FONT) {
        return DefaultFont();
    }
    uintptr_t h = kStockBase + (uintptr_t)index;
    return Objects().count(h) ? reinterpret_cast<HGDIOBJ>(h) : nullptr;
}

COLORREF GetSysColor(int index) {
    return SysColor(index);
}

HBRUSH GetSysColorBrush(int index) {
    return (index >= 0 && index < 31) ? reinterpret_cast<HBRUSH>((uintptr_t)index + 1) : nullptr;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    MakeStock();
    auto o = std::make_unique<CGdiObject>();
    o->kind = ObjKind::Brush;
    o->color = color;
    return AddObject(std::move(o));
}

HPEN CreatePen(int style, int width, COLORREF color) {
    MakeStock();
    auto o = std::make_unique<CGdiObject>();
    o->kind = ObjKind::Pen;
    o->color = color;
    o->width = width < 1 ? 1 : width;
    o->null = style == PS_NULL;
    return AddObject(std::move(o));
}

HFONT CreateFont(int height, int, int, int, int weight, DWORD, DWORD, DWORD, DWORD, DWORD, DWORD,
                 DWORD, DWORD pitchAndFamily, LPCSTR face) {
    MakeStock();
    int h = height < 0 ? -height : height;
    if (h == 0) {
        h = 14;
    }
    // Pitch-and-family values fit in one byte; the screens pass their bold
    // weight (700) in that argument, so a weight found there counts too.
    bool bold = weight >= FW_BOLD || pitchAndFamily >= FW_BOLD;
    auto f = LoadFace(face ? face : "", h, bold);
    auto o = std::make_unique<CGdiObject>();
    o->kind = ObjKind::Font;
    o->face = f;
    o->height = h;
    o->bold = bold;
    return AddObject(std::move(o));
}

BOOL DeleteObject(HGDIOBJ obj) {
    if (IsStock(obj)) {
        return TRUE;
    }
    auto it = Objects().find(reinterpret_cast<uintptr_t>(obj));
    if (it == Objects().end() || it->second->stock) {
        return FALSE;
    }
    Objects().erase(it);
    return TRUE;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ obj) {
    CDc* dc = FindDc(hdc);
    CGdiObject* o = FindObject(obj);
    uintptr_t v = reinterpret_cast<uintptr_t>(obj);
    if (!dc) {
        return nullptr;
    }
    if (v >= 1 && v <= 31) {
        HGDIOBJ old = dc->brush;
        dc->brush = obj;
        return old;
    }
    if (!o) {
        return nullptr;
    }
    HGDIOBJ old = nullptr;
    switch (o->kind) {
        case ObjKind::Brush:
            old = dc->brush;
            dc->brush = obj;
            break;
        case ObjKind::Pen:
            old = dc->pen;
            dc->pen = obj;
            break;
        case ObjKind::Font:
            old = dc->font;
            dc->font = obj;
            break;
    }
    return old;
}

COLORREF SetTextColor(HDC hdc, COLORREF color) {
    CDc* dc = FindDc(hdc);
    if (!dc) {
        return 0;
    }
    COLORREF old = dc->textColor;
    dc->textColor = color;
    return old;
}

COLORREF SetBkColor(HDC hdc, COLORREF color) {
    CDc* dc = FindDc(hdc);
    if (!dc) {
        return 0;
    }
    COLORREF old = dc->bkColor;
    dc->bkColor = color;
    return old;
}

int SetBkMode(HDC hdc, int mode) {
    CDc* dc = FindDc(hdc);
    if (!dc) {
        return 0;
    }
    int old = dc->bkMode;
    dc->bkMode = mode == TRANSPARENT ? TRANSPARENT : OPAQUE;
    return old;
}
