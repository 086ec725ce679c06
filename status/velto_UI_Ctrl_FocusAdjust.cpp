#include "status/velto_UI_Ctrl_FocusAdjust.h"

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

CVeltoUICtrlFocusAdjust::CVeltoUICtrlFocusAdjust(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                 int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_pIconImg(nullptr),
      m_hFocus(nullptr),
      m_hIcon(nullptr) {}

CVeltoUICtrlFocusAdjust::~CVeltoUICtrlFocusAdjust() {
    Deinit();
}

CVeltoUICtrlFocusAdjust* CVeltoUICtrlFocusAdjust::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                            int x, int y, int width, int height) {
    static bool registered = false;
    auto* c = new CVeltoUICtrlFocusAdjust(hInstance, hParent, x, y, width, height);
    c->RegisterKind(hInstance, "VeltoFocusAdjust", registered);
    c->SetBackgroundColor(Velto::kOverlayBlack);
    if (!c->Init()) {
        delete c;
        return nullptr;
    }
    return c;
}

bool CVeltoUICtrlFocusAdjust::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    MwRegisterVeltoScrollbar1Control(m_hInstance);  // normally done at start-up
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    m_pIconImg = Velto::LoadImage("img/focus.gif");
    int s = (int)(cw * 0.66);
    m_hIcon =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, 0,
                       (int)((ch - cw * 0.66) * 0.5), s, s, m_hHwnd, nullptr, m_hInstance, nullptr);
    SendMessage(m_hIcon, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pIconImg);
    m_hFocus =
        CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE | SBS_VERT, (int)(cw * 0.7),
                       0, (int)(cw * 0.3), ch, m_hHwnd, nullptr, m_hInstance, nullptr);
    // Seven zoom levels; the bottom of the bar is level 1.
    SendMessage(m_hFocus, VSBM_SETRANGE, 0, 6);
    SendMessage(m_hFocus, VSBM_SETPOS, 6, 0);
    return true;
}

void CVeltoUICtrlFocusAdjust::Deinit() {
    if (m_hFocus) {
        DestroyWindow(m_hFocus);
        m_hFocus = nullptr;
    }
    if (m_hIcon) {
        DestroyWindow(m_hIcon);
        m_hIcon = nullptr;
    }
    Velto::UnloadImage(m_pIconImg);
    m_pIconImg = nullptr;
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlFocusAdjust::GetScollInfo(SCROLLINFO& info) {
    if (!m_hFocus) {
        return false;
    }
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    return GetVeltoScroll1InfoEx(m_hFocus, &info) != 0;
}

void CVeltoUICtrlFocusAdjust::IncDec(bool up) {
    SCROLLINFO info{};
    if (!GetScollInfo(info)) {
        return;
    }
    // Up zooms in: towards position 0 at the top of the bar.
    int pos = std::clamp(info.nPos + (up ? -1 : 1), info.nMin, info.nMax);
    SendMessage(m_hFocus, VSBM_SETPOS, (WPARAM)pos, 0);
}

LRESULT CVeltoUICtrlFocusAdjust::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return Velto::FillClient(hwnd, (HDC)wParam, m_cBackgroundColor);
        case WM_NCPAINT: {
            HDC hdc = GetWindowDC(hwnd);
            Velto::FillClient(hwnd, hdc, m_cBackgroundColor);
            ReleaseDC(hwnd, hdc);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            LRESULT brush = Velto::OverlayStaticColours((HDC)wParam, (HWND)lParam, TRANSPARENT);
            SelectObject((HDC)wParam, GetStockObject(BLACK_PEN));
            return brush;
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
