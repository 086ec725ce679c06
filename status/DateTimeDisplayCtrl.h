// The clock at the bottom of the live view: "YYYY-MM-DD HH:MM:" on the left,
// rewritten when the minute changes, and the seconds on the right, every
// second.
#pragma once

#include <time.h>

#include "app/MWUIBase.h"

class CVeltoUIDateTimeCtrl : public CMWUIBase {
public:
    static CVeltoUIDateTimeCtrl* CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                           int width, int height);
    ~CVeltoUIDateTimeCtrl() override;

    bool Init() override;
    void Deinit() override;
    LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Starts or stops the 1 s update timer.
    void EnableTimeDisplay(bool enable);

    COLORREF m_cTextColor;
    unsigned int m_iTimerDateTime;
    HWND m_hStatic;
    HFONT m_hfStaticFont;
    HWND m_hTimeStatic;
    tm m_last_tm;

private:
    CVeltoUIDateTimeCtrl(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    static void fnTimeTimer(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void OnTick();
};
