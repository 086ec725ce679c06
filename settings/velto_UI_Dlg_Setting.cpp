#include "settings/velto_UI_Dlg_Setting.h"

#include <stdio.h>

#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_Dlg_AdvSetting.h"
#include "settings/velto_UI_Dlg_Color.h"
#include "settings/velto_UI_Dlg_FormatMedia.h"
#include "settings/velto_UI_Dlg_Help.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;

LST_ITEM s_setupItems[] = {
    {0, "img/asetting.png", "Advanced Settings", {0, nullptr, 0, nullptr}},
    {1, "img/color.png", "Color or Black/White", {0, nullptr, 0, nullptr}},
    {2, "img/format.png", "Format Media", {0, nullptr, 0, nullptr}},
    {3, "img/help.png", "Help", {0, nullptr, 0, nullptr}},
    {kMenuTableEnd, nullptr, nullptr, {0, nullptr, 0, nullptr}},
};

}  // namespace

CVeltoUIDlgSetting::CVeltoUIDlgSetting(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId), m_hListMenu(nullptr), m_hfListBoxFont(nullptr) {}

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
    m_strCaptName = CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10001, "Setup");
    CVeltoUIDialog::InitDialog();
    SetCaption(m_strCaptName.c_str());
    InitListBox();
    SetActiveWindow(m_hHwnd);
}

void CVeltoUIDlgSetting::DestoryDialog() {
    DeinitListBox();
    if (m_hfListBoxFont) {
        DeleteObject(m_hfListBoxFont);
        m_hfListBoxFont = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgSetting::InitListBox() {
    DeinitListBox();
    m_hListMenu = Velto::MenuListCreate(m_hFrame, m_hInst, 0.46, m_hfListBoxFont, s_setupItems);
}

void CVeltoUIDlgSetting::DeinitListBox() {
    Velto::MenuListDestroy(m_hListMenu, s_setupItems);
}

void CVeltoUIDlgSetting::RefreshListBox() {
    Velto::MenuListRefresh(m_hListMenu, s_setupItems);
}

void CVeltoUIDlgSetting::SetLocalize() {
    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10001, "Setup").c_str());
    RefreshListBox();
}

void CVeltoUIDlgSetting::HandleKeyDown(WPARAM key) {
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
            EndDialog(m_hHwnd, 1);
            break;
        default:
            break;
    }
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
            CVeltoUIDlgAdvSetting* dlg = CVeltoUIDlgAdvSetting::CreateNew(m_hInst, m_hHwnd);
            dlg->DoModel();
            delete dlg;
            if (language != CVeltoSCSetting::GetInstance().GetLanguage()) {
                SetLocalize();
            }
            break;
        }
        case 1:
            printf("Color Menu\n");
            {
                CVeltoUIDlgColor* dlg = CVeltoUIDlgColor::CreateNew(m_hInst, m_hHwnd);
                dlg->DoModel();
                delete dlg;
            }
            break;
        case 2:
            printf("Format media Menu\n");
            {
                CVeltoUIDlgFormatMedia* dlg = CVeltoUIDlgFormatMedia::CreateNew(m_hInst, m_hHwnd);
                dlg->DoModel();
                delete dlg;
            }
            break;
        case 3:
            printf("Help Menu\n");
            {
                CVeltoUIDlgHelp* dlg = CVeltoUIDlgHelp::CreateNew(m_hInst, m_hHwnd);
                dlg->DoModel();
                delete dlg;
            }
            break;
        default:
            return;
    }
    SetActiveWindow(m_hHwnd);
}

INT CVeltoUIDlgSetting::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
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
