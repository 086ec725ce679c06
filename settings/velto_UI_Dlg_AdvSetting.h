// The advanced menu under setup: date and time, language and TV out.
#pragma once

#include "app/velto_UI_Dialog.h"

class CVeltoUIDlgAdvSetting : public CVeltoUIDialog {
public:
    CVeltoUIDlgAdvSetting(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgAdvSetting() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgAdvSetting* CreateNew(HINSTANCE hInst, HWND hParent);
    void InitListBox();
    void DeinitListBox();
    void RefreshListBox();
    void SetLocalize();
    void HandleKeyDown(WPARAM key);
    void DoDetailDlg();

    HWND m_hListMenu;
    HFONT m_hfListBoxFont;
};
