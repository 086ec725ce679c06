// The setup menu opened by F1 from the live view: advanced settings,
// colour, format media and help. F1 returns to the live view.
#pragma once

#include "settings/velto_UI_MenuDialog.h"

class CVeltoUIDlgSetting : public CVeltoUIMenuDialog {
public:
    CVeltoUIDlgSetting(HINSTANCE hInst, HWND hParent);
    ~CVeltoUIDlgSetting() override;

    void InitDialog() override;

    static CVeltoUIDlgSetting* CreateNew(HINSTANCE hInst, HWND hParent);
    void DoDetailDlg() override;
};
