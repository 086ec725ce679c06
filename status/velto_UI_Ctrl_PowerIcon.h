// The power indicator in the top-right corner: a plug while the charger
// supplies power, else a battery gauge that turns red and blinks when low.
// Powers the device off when the battery is empty.
#pragma once

#include "app/MWUIBase.h"
#include "status/velto_UI_Ctrl_Battery.h"

class CVeltoUICtrlPowerIcon : public CMWUIBase {
public:
    static CVeltoUICtrlPowerIcon* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                            int width, int height);
    ~CVeltoUICtrlPowerIcon() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // One check of the power supply (the 2 s timer runs it; nothing while
    // the icon is hidden).
    void CheckPower();

    PSD m_pPlugImage;
    CVeltoUICtrlBattery* m_pBattery;
    unsigned int m_nTimerID;
    HWND m_pPlugImageStatic;

private:
    CVeltoUICtrlPowerIcon(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    static void fnCheckTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
};
