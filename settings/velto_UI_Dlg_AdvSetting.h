// The advanced menu under setup: date and time, language and TV out.
#pragma once

#include "settings/velto_UI_MenuDialog.h"

class CVeltoUIDlgAdvSetting : public CVeltoUIMenuDialog {
public:
    CVeltoUIDlgAdvSetting(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgAdvSetting() override;

    static CVeltoUIDlgAdvSetting* CreateNew(HINSTANCE hInst, HWND hParent);
    void DoDetailDlg() override;
};
