#include "settings/velto_UI_Dlg_AdvSetting.h"

#include <stdio.h>

#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_Dlg_DateTime.h"
#include "settings/velto_UI_Dlg_Language.h"
#include "settings/velto_UI_Dlg_TVout.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;

LST_ITEM s_advItems[] = {
    {4, "img/DateTime.png", "Date and Time", {0, nullptr, 0, nullptr}},
    {5, "img/Language.png", "Language", {0, nullptr, 0, nullptr}},
    {6, "img/TVout.png", "TV out", {0, nullptr, 0, nullptr}},
    {kMenuTableEnd, nullptr, nullptr, {0, nullptr, 0, nullptr}},
};

}  // namespace

CVeltoUIDlgAdvSetting::CVeltoUIDlgAdvSetting(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId), m_hListMenu(nullptr), m_hfListBoxFont(nullptr) {}

CVeltoUIDlgAdvSetting::~CVeltoUIDlgAdvSetting() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgAdvSetting\n");
}

CVeltoUIDlgAdvSetting* CVeltoUIDlgAdvSetting::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgAdvSetting(hInst, hParent);
}

void CVeltoUIDlgAdvSetting::InitDialog() {
    m_strCaptName =
        CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10002, "Advanced Settings");
    CVeltoUIDialog::InitDialog();
    SetCaption(m_strCaptName.c_str());
    InitListBox();
}

void CVeltoUIDlgAdvSetting::DestoryDialog() {
    DeinitListBox();
    if (m_hfListBoxFont) {
        DeleteObject(m_hfListBoxFont);
        m_hfListBoxFont = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgAdvSetting::InitListBox() {
    DeinitListBox();
    m_hListMenu = Velto::MenuListCreate(m_hFrame, m_hInst, 0.48, m_hfListBoxFont, s_advItems);
}

void CVeltoUIDlgAdvSetting::DeinitListBox() {
    Velto::MenuListDestroy(m_hListMenu, s_advItems);
}

void CVeltoUIDlgAdvSetting::RefreshListBox() {
    Velto::MenuListRefresh(m_hListMenu, s_advItems);
}

void CVeltoUIDlgAdvSetting::SetLocalize() {
    SetCaption(
        CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10002, "Advanced Settings").c_str());
    RefreshListBox();
}

void CVeltoUIDlgAdvSetting::HandleKeyDown(WPARAM key) {
    switch (key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            Velto::MenuListMove(m_hListMenu, key);
            break;
        case VK_RETURN:
            DoDetailDlg();
            break;
        case VK_F1:
            EndDialog(m_hHwnd, 2);
            break;
        default:
            break;
    }
}

void CVeltoUIDlgAdvSetting::DoDetailDlg() {
    if (!m_hListMenu) {
        return;
    }
    int sel = (int)SendMessage(m_hListMenu, LB_GETCURSEL, 0, 0);
    switch (sel) {
        case 0:
            printf("Date and Time\n");
            {
                CVeltoUIDlgDateTime* dlg = CVeltoUIDlgDateTime::CreateNew(m_hInst, m_hHwnd);
                dlg->DoModel();
                delete dlg;
            }
            break;
        case 1:
            printf("Language\n");
            {
                CVeltoUIDlgLanguage* dlg = CVeltoUIDlgLanguage::CreateNew(m_hInst, m_hHwnd);
                int r = dlg->DoModel();
                delete dlg;
                if (r == 1) {
                    SetLocalize();
                    SendMessage(m_hListMenu, LB_SETCURSEL, sel, 0);
                }
            }
            break;
        case 2: {
            printf("TV out\n");
            CVeltoUIDlgTVout* dlg = CVeltoUIDlgTVout::CreateNew(m_hInst, m_hHwnd);
            dlg->DoModel();
            delete dlg;
            break;
        }
        default:
            return;
    }
    SetActiveWindow(m_hHwnd);
}

INT CVeltoUIDlgAdvSetting::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            return 5;
        case WM_KEYDOWN:
            HandleKeyDown(wParam);
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect((HDC)wParam, &rc, GetSysColorBrush(COLOR_WINDOW));
            return 1;
        }
        default:
            return 0;  // the caption keeps the framework's colours
    }
}
