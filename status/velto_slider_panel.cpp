#include "status/velto_slider_panel.h"

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

namespace Velto {

bool SliderPanelInfo(HWND bar, SCROLLINFO& info) {
    if (!bar) {
        return false;
    }
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    return GetVeltoScroll1InfoEx(bar, &info) != 0;
}

void SliderPanelStep(HWND bar, int delta) {
    SCROLLINFO info{};
    if (!SliderPanelInfo(bar, info)) {
        return;
    }
    int pos = std::clamp(info.nPos + delta, info.nMin, info.nMax);
    SendMessage(bar, VSBM_SETPOS, (WPARAM)pos, 0);
}

void SliderPanelRelease(HWND& bar, HWND& icon, PSD& image) {
    if (bar) {
        DestroyWindow(bar);
        bar = nullptr;
    }
    if (icon) {
        DestroyWindow(icon);
        icon = nullptr;
    }
    UnloadImage(image);
    image = nullptr;
}

LRESULT SliderPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, COLORREF colour) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return FillClient(hwnd, (HDC)wParam, colour);
        case WM_NCPAINT: {
            HDC hdc = GetWindowDC(hwnd);
            FillClient(hwnd, hdc, colour);
            ReleaseDC(hwnd, hdc);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            LRESULT brush = OverlayStaticColours((HDC)wParam, (HWND)lParam, TRANSPARENT);
            SelectObject((HDC)wParam, GetStockObject(BLACK_PEN));
            return brush;
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace Velto
