#include "settings/velto_UI_Dlg_Setting.h"

#include <stdio.h>

#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_Dlg_AdvSetting.h"
#include "settings/velto_UI_Dlg_Color.h"
#include "settings/velto_UI_Dlg_FormatMedia.h"
#include "settings/velto_UI_Dlg_Help.h"

namespace {

constexpr WORD kDialogId = 103;

LST_ITEM s_setupItems[] = {
    {0, "img/asetting.png", "Advanced Settings", {0, nullptr, 0, nullptr}},
    {1, "img/color.png", "Color or Black/White", {0, nullptr, 0, nullptr}},
    {2, "img/format.png", "Format Media", {0, nullptr, 0, nullptr}},
    {3, "img/help.png", "Help", {0, nullptr, 0, nullptr}},
    {kMenuTableEnd, nullptr, nullptr, {0, nullptr, 0, nullptr}},
};

// F1 back to the live view ends the menu with 1.
const CVeltoUIMenuDialog::Layout kLayout = {s_setupItems, 0.46, 10001, "Setup", 1};

}  // namespace

CVeltoUIDlgSetting::CVeltoUIDlgSetting(HINSTANCE hInst, HWND hParent)
    : CVeltoUIMenuDialog(hInst, hParent, kDialogId, kLayout) {}

CVeltoUIDlgSetting::~CVeltoUIDlgSetting() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgSetting\n");
}

CVeltoUIDlgSetting* CVeltoUIDlgSetting::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgSetting(hInst, hParent);
}

void CVeltoUIDlgSetting::InitDialog() {
    CVeltoUIMenuDialog::InitDialog();
    SetActiveWindow(m_hHwnd);
}

void CVeltoUIDlgSetting::DoDetailDlg() {
    if (!m_hListMenu) {
        return;
    }
    int sel = (int)SendMessage(m_hListMenu, LB_GETCURSEL, 0, 0);
    switch (sel) {
        case 0: {
            printf("Advanced settings Menu\n");
            int language = CVeltoSCSetting::GetInstance().GetLanguage();
            RunScreen<CVeltoUIDlgAdvSetting>();
            if (language != CVeltoSCSetting::GetInstance().GetLanguage()) {
                SetLocalize();
            }
            break;
        }
        case 1:
            printf("Color Menu\n");
            RunScreen<CVeltoUIDlgColor>();
            break;
        case 2:
            printf("Format media Menu\n");
            RunScreen<CVeltoUIDlgFormatMedia>();
            break;
        case 3:
            printf("Help Menu\n");
            RunScreen<CVeltoUIDlgHelp>();
            break;
        default:
            return;
    }
    SetActiveWindow(m_hHwnd);
}
