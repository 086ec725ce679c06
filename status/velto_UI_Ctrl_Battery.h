// The drawn battery gauge inside the power icon: an outline with a terminal
// and a level bar, in one colour on the gauge background.
#pragma once

#include "app/MWUIBase.h"

class CVeltoUICtrlBattery : public CMWUIBase {
public:
    static CVeltoUICtrlBattery* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                          int width, int height);
    ~CVeltoUICtrlBattery() override;

    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Each stores a changed value (at most 100 for the percentage) and
    // repaints the gauge; unchanged values and a missing window do nothing.
    void RefreshPercent(unsigned percent);
    void SetBatteryColor(COLORREF color);
    void SetPowerColor(COLORREF color);
    void SetBackgroundColor(COLORREF color);

    COLORREF m_cBackgroundColor = 0xFF010101u;  // inside of the gauge
    COLORREF m_cBatteryColor = 0xFF000000u;     // outline, terminal and level
    COLORREF m_cPowerColor = 0xFFFFFFFFu;       // kept for callers, not drawn
    unsigned int m_nCurBatteryPerc = 1000;      // the first value always differs

private:
    using CMWUIBase::CMWUIBase;
    void Paint(HWND hwnd);
};
