// The brightness slider of the live view: a bulb icon over a horizontal
// "VeltoScrlBar1" bar of 11 positions (0 % to 100 % light), starting in the
// middle.
#pragma once

#include "app/MWUIBase.h"

class CVeltoUICtrlBrightAdjust : public CMWUIBase {
public:
    static CVeltoUICtrlBrightAdjust* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                               int width, int height);
    ~CVeltoUICtrlBrightAdjust() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Range and position of the bar (mask SIF_RANGE | SIF_POS); false
    // without a bar.
    bool GetScollInfo(SCROLLINFO& info);
    // One step up or down, clamped to the range.
    void IncDec(bool up);

    PSD m_pIconImg;
    HWND m_hBright;
    HWND m_hIcon;

private:
    CVeltoUICtrlBrightAdjust(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                             int height);
};
