#include "status/velto_UI_Ctrl_Slider.h"

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

CVeltoUICtrlSlider::CVeltoUICtrlSlider(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                                       int height, Orientation orientation, const char* iconPath,
                                       HWND& bar)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_pIconImg(nullptr),
      m_hIcon(nullptr),
      m_orientation(orientation),
      m_szIconPath(iconPath),
      m_hBar(bar) {}

// Each kind runs Deinit in its own destructor, while its bar member lives.
CVeltoUICtrlSlider::~CVeltoUICtrlSlider() = default;

bool CVeltoUICtrlSlider::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    MwRegisterVeltoScrollbar1Control(m_hInstance);  // normally done at start-up
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    m_pIconImg = Velto::LoadImage(m_szIconPath);
    bool across = m_orientation == Orientation::Horizontal;
    // The icon is a square of two thirds of the panel's short side.
    int s = (int)((across ? ch : cw) * 0.66);
    int iconX = across ? (int)((cw - ch * 0.66) * 0.5) : 0;
    int iconY = across ? 0 : (int)((ch - cw * 0.66) * 0.5);
    m_hIcon = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, iconX, iconY, s, s,
                             m_hHwnd, nullptr, m_hInstance, nullptr);
    SendMessage(m_hIcon, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pIconImg);
    if (across) {
        m_hBar = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, 0, (int)(ch * 0.7),
                                cw, (int)(ch * 0.3), m_hHwnd, nullptr, m_hInstance, nullptr);
    } else {
        m_hBar = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE | SBS_VERT,
                                (int)(cw * 0.7), 0, (int)(cw * 0.3), ch, m_hHwnd, nullptr,
                                m_hInstance, nullptr);
    }
    return true;
}

void CVeltoUICtrlSlider::Deinit() {
    if (m_hBar) {
        DestroyWindow(m_hBar);
        m_hBar = nullptr;
    }
    if (m_hIcon) {
        DestroyWindow(m_hIcon);
        m_hIcon = nullptr;
    }
    Velto::UnloadImage(m_pIconImg);
    m_pIconImg = nullptr;
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlSlider::GetScollInfo(SCROLLINFO& info) {
    if (!m_hBar) {
        return false;
    }
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    return GetVeltoScroll1InfoEx(m_hBar, &info) != 0;
}

void CVeltoUICtrlSlider::IncDec(bool up) {
    SCROLLINFO info{};
    if (!GetScollInfo(info)) {
        return;
    }
    int delta = (m_orientation == Orientation::Horizontal) == up ? 1 : -1;
    int pos = std::clamp(info.nPos + delta, info.nMin, info.nMax);
    SendMessage(m_hBar, VSBM_SETPOS, (WPARAM)pos, 0);
}

LRESULT CVeltoUICtrlSlider::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
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
            return Velto::OverlayControlProc(hwnd, msg, wParam, lParam, m_cBackgroundColor);
    }
}
