// The zoom slider of the live view: a magnifier icon beside a vertical
// "VeltoScrlBar1" bar of positions 0 to 6; position 6 (the start) is zoom
// level 1, position 0 level 7.
#pragma once

#include "app/MWUIBase.h"

class CVeltoUICtrlFocusAdjust : public CMWUIBase {
public:
    static CVeltoUICtrlFocusAdjust* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                              int width, int height);
    ~CVeltoUICtrlFocusAdjust() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Range and position of the bar (mask SIF_RANGE | SIF_POS); false
    // without a bar.
    bool GetScollInfo(SCROLLINFO& info);
    // One step up or down, clamped to the range.
    void IncDec(bool up);

    PSD m_pIconImg;
    HWND m_hFocus;
    HWND m_hIcon;

private:
    CVeltoUICtrlFocusAdjust(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
};
