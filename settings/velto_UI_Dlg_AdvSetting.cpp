#include "settings/velto_UI_Dlg_AdvSetting.h"

#include <stdio.h>

#include "settings/velto_UI_Dlg_DateTime.h"
#include "settings/velto_UI_Dlg_Language.h"
#include "settings/velto_UI_Dlg_TVout.h"

namespace {

constexpr WORD kDialogId = 103;

LST_ITEM s_advItems[] = {
    {4, "img/DateTime.png", "Date and Time", {0, nullptr, 0, nullptr}},
    {5, "img/Language.png", "Language", {0, nullptr, 0, nullptr}},
    {6, "img/TVout.png", "TV out", {0, nullptr, 0, nullptr}},
    {kMenuTableEnd, nullptr, nullptr, {0, nullptr, 0, nullptr}},
};

// F1 back to the setup menu ends the menu with 2.
const CVeltoUIMenuDialog::Layout kLayout = {s_advItems, 0.48, 10002, "Advanced Settings", 2};

}  // namespace

CVeltoUIDlgAdvSetting::CVeltoUIDlgAdvSetting(HINSTANCE hInst, HWND hParent)
    : CVeltoUIMenuDialog(hInst, hParent, kDialogId, kLayout) {}

CVeltoUIDlgAdvSetting::~CVeltoUIDlgAdvSetting() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgAdvSetting\n");
}

CVeltoUIDlgAdvSetting* CVeltoUIDlgAdvSetting::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgAdvSetting(hInst, hParent);
}

void CVeltoUIDlgAdvSetting::DoDetailDlg() {
    if (!m_hListMenu) {
        return;
    }
    int sel = (int)SendMessage(m_hListMenu, LB_GETCURSEL, 0, 0);
    switch (sel) {
        case 0:
            printf("Date and Time\n");
            RunScreen<CVeltoUIDlgDateTime>();
            break;
        case 1:
            printf("Language\n");
            if (RunScreen<CVeltoUIDlgLanguage>() == 1) {
                SetLocalize();
                SendMessage(m_hListMenu, LB_SETCURSEL, sel, 0);
            }
            break;
        case 2:
            printf("TV out\n");
            RunScreen<CVeltoUIDlgTVout>();
            break;
        default:
            return;
    }
    SetActiveWindow(m_hHwnd);
}
