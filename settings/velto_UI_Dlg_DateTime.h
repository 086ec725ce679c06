// The date and time screen: a calendar icon beside the editor. Enter sets
// the clock (6), F1 leaves it (1). When the clock refuses the date, the
// screen says so in a line below the editor and stays open.
#pragma once

#include "app/velto_UI_Dialog.h"
#include "settings/velto_UI_Ctrl_DateTime.h"

class CVeltoUIDlgDateTime : public CVeltoUIDialog {
public:
    CVeltoUIDlgDateTime(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgDateTime() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgDateTime* CreateNew(HINSTANCE hInst, HWND hParent);
    void HandleKeyDown(WPARAM key);
    void InitIcon();
    void DeinitIcon();

    // The line that tells the clock was not set.
    void ShowClockMessage(const char* text);

    CVeltoUICtrlDateTime* m_pCtrlDateTime;
    PSD m_pIcon;
    HWND m_hIconStatic;
    HWND m_hMessage = nullptr;
    HFONT m_hfMessageFont = nullptr;
};
