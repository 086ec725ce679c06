// The choice of the user interface language, one row per language of the
// configuration file. Enter stores the choice (1), F1 leaves it (2).
#pragma once

#include "app/velto_UI_Dialog.h"
#include "settings/velto_SC_setting.h"

class CVeltoUIDlgLanguage : public CVeltoUIDialog {
public:
    CVeltoUIDlgLanguage(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgLanguage() override;

    void InitDialog() override;
    void DestoryDialog() override;
    INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static CVeltoUIDlgLanguage* CreateNew(HINSTANCE hInst, HWND hParent);
    void InitListBox();
    void DeinitListBox();
    // Makes the selected row's language current and shows the caption in it.
    void SaveSelectedLanguage();
    void HandleKeyDown(WPARAM key);
    void ClearLanguageList();

    HWND m_hListMenu;
    HFONT m_hfListBoxFont;
    LanguageList m_lLanguageList;
};
