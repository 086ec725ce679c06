// The setup menu opened by F1 from the live view: advanced settings,
// colour, format media and help. F1 returns to the live view.
#pragma once

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgSetting : public CVeltoUIDialog {
public:
    CVeltoUIDlgSetting(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgSetting() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgSetting* CreateNew(HINSTANCE hInst, HWND hParent);
    void InitListBox();
    void DeinitListBox();
    void RefreshListBox();
    // Caption and rows again in the current language; the selection goes to
    // the first row.
    void SetLocalize();
    void HandleKeyDown(WPARAM key);
    // Opens the selected row's screen and comes back to the menu.
    void DoDetailDlg();

    HWND m_hListMenu;
    HFONT m_hfListBoxFont;
};
