#include "status/velto_UI_Ctrl_FocusAdjust.h"

#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

CVeltoUICtrlFocusAdjust::CVeltoUICtrlFocusAdjust(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                 int width, int height)
    : CVeltoUICtrlSlider(hInstance, hParent, x, y, width, height, Orientation::Vertical,
                         "img/focus.gif", m_hFocus),
      m_hFocus(nullptr) {}

CVeltoUICtrlFocusAdjust::~CVeltoUICtrlFocusAdjust() {
    Deinit();
}

CVeltoUICtrlFocusAdjust* CVeltoUICtrlFocusAdjust::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                            int x, int y, int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlFocusAdjust(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoFocusAdjust", registered, Velto::kOverlayBlack);
}

bool CVeltoUICtrlFocusAdjust::Init() {
    if (!CVeltoUICtrlSlider::Init()) {
        return false;
    }
    // Seven zoom levels; the bottom of the bar is level 1. Up zooms in.
    SendMessage(m_hFocus, VSBM_SETRANGE, 0, 6);
    SendMessage(m_hFocus, VSBM_SETPOS, 6, 0);
    return true;
}
