// The built-in "STATIC" class: text (left, centred, right) or an image
// (SS_ICON, STM_SETIMAGE) scaled to the control, on the brush the parent
// answers to WM_CTLCOLORSTATIC.
#include <string.h>

#include "toolkit/tk_control.h"
#include "toolkit/tk_gdi.h"

namespace VeltoTk {

class CStaticData : public CControlData {
public:
    PSD image = nullptr;  // borrowed: the caller frees it after the control
};

static CStaticData* StaticData(HWND hwnd) {
    return ControlData<CStaticData>(hwnd);
}

static void PaintStatic(HWND hwnd) {
    PaintControl(hwnd, [hwnd](HDC hdc, RECT& rc) {
        HWND parent = GetParent(hwnd);
        HBRUSH brush =
            parent ? (HBRUSH)SendMessage(parent, WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)hwnd)
                   : nullptr;
        if (!IsWindow(hwnd)) {
            return;
        }
        if (!brush) {
            brush = (HBRUSH)DefWindowProc(hwnd, WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)hwnd);
        } else if (brush != MwGetWindowPaintBrush(hwnd)) {
            // Parents answer a fresh brush on every paint; the control keeps
            // the latest and frees the one before.
            MwSetWindowPaintBrush(hwnd, brush);
        }
        FillRect(hdc, &rc, brush);
        CWindow* w = Find(hwnd);
        DWORD type = w->style & SS_TYPEMASK;
        if (type == SS_ICON) {
            CStaticData* d = StaticData(hwnd);
            if (d->image) {
                DrawDIBFit(hdc, 0, 0, rc.right, rc.bottom, d->image);
            }
        } else if (!w->text.empty()) {
            UINT fmt = DT_WORDBREAK;
            if (type == SS_CENTER) {
                fmt |= DT_CENTER;
            } else if (type == SS_RIGHT) {
                fmt |= DT_RIGHT;
            }
            // A centred label of one line sits in the middle of its box.
            RECT calc = rc;
            int h = DrawText(hdc, w->text.c_str(), -1, &calc, fmt | DT_CALCRECT);
            RECT box = rc;
            if (type == SS_CENTER && h < rc.bottom) {
                box.top = (rc.bottom - h) / 2;
            }
            DrawText(hdc, w->text.c_str(), -1, &box, fmt);
        }
    });
}

static LRESULT StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            PaintStatic(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint fills the whole control
        case STM_SETIMAGE: {
            CStaticData* d = StaticData(hwnd);
            PSD old = d->image;
            d->image = reinterpret_cast<PSD>(lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return (LRESULT)old;
        }
        case STM_GETIMAGE:
            return (LRESULT)StaticData(hwnd)->image;
        case WM_SETFONT: {
            CWindow* w = Find(hwnd);
            w->font = (HFONT)wParam;
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_GETDLGCODE:
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

void RegisterStaticClass() {
    RegisterBuiltinControl("STATIC", StaticProc);
}

}  // namespace VeltoTk
