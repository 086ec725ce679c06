// The brightness slider of the live view: a bulb icon over a horizontal
// "VeltoScrlBar1" bar of 11 positions (0 % to 100 % light), starting in the
// middle.
#pragma once

#include "status/velto_UI_Ctrl_Slider.h"

class CVeltoUICtrlBrightAdjust : public CVeltoUICtrlSlider {
public:
    static CVeltoUICtrlBrightAdjust* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                               int width, int height);
    ~CVeltoUICtrlBrightAdjust() override;

    bool Init() override;

    HWND m_hBright;

private:
    CVeltoUICtrlBrightAdjust(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                             int height);
};
