// The SD card icon: shown only while a card partition is mounted, checked
// every 2.5 s.
#pragma once

#include <string>

#include "app/MWUIBase.h"

class CVeltoUICtrlSDChecker : public CMWUIBase {
public:
    static CVeltoUICtrlSDChecker* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                            int width, int height);
    ~CVeltoUICtrlSDChecker() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // One check of the card (the timer runs it).
    void CheckCard();

    unsigned int m_tTimerChecker;
    HWND m_hImgStaticCtrl;
    PSD m_pImgSD;
    std::string m_strCurSDPath;

private:
    CVeltoUICtrlSDChecker(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    static void fnCheckTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
};
