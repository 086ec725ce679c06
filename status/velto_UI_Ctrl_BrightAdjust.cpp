#include "status/velto_UI_Ctrl_BrightAdjust.h"

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"
#include "status/velto_slider_panel.h"

CVeltoUICtrlBrightAdjust::CVeltoUICtrlBrightAdjust(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                   int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_pIconImg(nullptr),
      m_hBright(nullptr),
      m_hIcon(nullptr) {}

CVeltoUICtrlBrightAdjust::~CVeltoUICtrlBrightAdjust() {
    Deinit();
}

CVeltoUICtrlBrightAdjust* CVeltoUICtrlBrightAdjust::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                              int x, int y, int width, int height) {
    static bool registered = false;
    auto* c = new CVeltoUICtrlBrightAdjust(hInstance, hParent, x, y, width, height);
    c->RegisterKind(hInstance, "VeltoBrightAdjust", registered);
    c->SetBackgroundColor(Velto::kOverlayBlack);
    if (!c->Init()) {
        delete c;
        return nullptr;
    }
    return c;
}

bool CVeltoUICtrlBrightAdjust::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    MwRegisterVeltoScrollbar1Control(m_hInstance);  // normally done at start-up
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    m_pIconImg = Velto::LoadImage("img/bright.gif");
    int s = (int)(ch * 0.66);
    m_hIcon = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON,
                             (int)((cw - ch * 0.66) * 0.5), 0, s, s, m_hHwnd, nullptr, m_hInstance,
                             nullptr);
    SendMessage(m_hIcon, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pIconImg);
    m_hBright = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, 0, (int)(ch * 0.7),
                               cw, (int)(ch * 0.3), m_hHwnd, nullptr, m_hInstance, nullptr);
    SCROLLINFO info{};
    if (GetScollInfo(info)) {
        SendMessage(m_hBright, VSBM_SETPOS, (WPARAM)(info.nMin + (info.nMax - info.nMin) / 2), 0);
    }
    return true;
}

void CVeltoUICtrlBrightAdjust::Deinit() {
    Velto::SliderPanelRelease(m_hBright, m_hIcon, m_pIconImg);
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlBrightAdjust::GetScollInfo(SCROLLINFO& info) {
    return Velto::SliderPanelInfo(m_hBright, info);
}

void CVeltoUICtrlBrightAdjust::IncDec(bool up) {
    Velto::SliderPanelStep(m_hBright, up ? 1 : -1);
}

LRESULT CVeltoUICtrlBrightAdjust::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SliderPanelProc(hwnd, msg, wParam, lParam, m_cBackgroundColor);
}
