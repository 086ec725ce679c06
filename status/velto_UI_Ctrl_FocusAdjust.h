// The zoom slider of the live view: a magnifier icon beside a vertical
// "VeltoScrlBar1" bar of positions 0 to 6; position 6 (the start) is zoom
// level 1, position 0 level 7.
#pragma once

#include "status/velto_UI_Ctrl_Slider.h"

class CVeltoUICtrlFocusAdjust : public CVeltoUICtrlSlider {
public:
    static CVeltoUICtrlFocusAdjust* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                              int width, int height);
    ~CVeltoUICtrlFocusAdjust() override;

    bool Init() override;

    HWND m_hFocus;

private:
    CVeltoUICtrlFocusAdjust(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
};
