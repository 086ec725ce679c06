// Chooses the TV standard for the video output. A choice is written to
// /etc/lcdparams and ends the program; keeper starts it again on the new
// output.
#pragma once

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgTVout : public CVeltoUIDialog {
public:
    CVeltoUIDlgTVout(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgTVout() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgTVout* CreateNew(HINSTANCE hInst, HWND hParent);
    void Init();
    void Deinit();
    void InitFont();
    void DeinitFont();
    void InitListBox();
    void DeinitListBox();
    void HandleKeyDown(WPARAM key);
    // Writes the selected standard's panel line; false when nothing was
    // selected or the command failed.
    bool SetNewOutput();

    HWND m_hListMenu;
    HFONT m_hfListBoxFont;
};
