#include "status/velto_UI_Ctrl_FocusAdjust.h"

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"
#include "status/velto_slider_panel.h"

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
    Velto::SliderPanelRelease(m_hFocus, m_hIcon, m_pIconImg);
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlFocusAdjust::GetScollInfo(SCROLLINFO& info) {
    return Velto::SliderPanelInfo(m_hFocus, info);
}

void CVeltoUICtrlFocusAdjust::IncDec(bool up) {
    // Up zooms in: towards position 0 at the top of the bar.
    Velto::SliderPanelStep(m_hFocus, up ? -1 : 1);
}

LRESULT CVeltoUICtrlFocusAdjust::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SliderPanelProc(hwnd, msg, wParam, lParam, m_cBackgroundColor);
}
