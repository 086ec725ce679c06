#include "status/velto_UI_Ctrl_BrightAdjust.h"

#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

CVeltoUICtrlBrightAdjust::CVeltoUICtrlBrightAdjust(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                   int width, int height)
    : CVeltoUICtrlSlider(hInstance, hParent, x, y, width, height, Orientation::Horizontal,
                         "img/bright.gif", m_hBright),
      m_hBright(nullptr) {}

CVeltoUICtrlBrightAdjust::~CVeltoUICtrlBrightAdjust() {
    Deinit();
}

CVeltoUICtrlBrightAdjust* CVeltoUICtrlBrightAdjust::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                              int x, int y, int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlBrightAdjust(hInstance, hParent, x, y, width, height),
                    hInstance, "VeltoBrightAdjust", registered, Velto::kOverlayBlack);
}

bool CVeltoUICtrlBrightAdjust::Init() {
    if (!CVeltoUICtrlSlider::Init()) {
        return false;
    }
    SCROLLINFO info{};
    if (GetScollInfo(info)) {
        SendMessage(m_hBright, VSBM_SETPOS, (WPARAM)(info.nMin + (info.nMax - info.nMin) / 2), 0);
    }
    return true;
}
