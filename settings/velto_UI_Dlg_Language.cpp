#include "settings/velto_UI_Dlg_Language.h"

#include <stdio.h>

#include "platform/velto_board.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;

}  // namespace

CVeltoUIDlgLanguage::CVeltoUIDlgLanguage(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId), m_hListMenu(nullptr), m_hfListBoxFont(nullptr) {}

CVeltoUIDlgLanguage::~CVeltoUIDlgLanguage() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    ClearLanguageList();
    printf("~CVeltoUIDlgLanguage\n");
}

CVeltoUIDlgLanguage* CVeltoUIDlgLanguage::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgLanguage(hInst, hParent);
}

void CVeltoUIDlgLanguage::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10007, "Language").c_str());
    InitListBox();
}

void CVeltoUIDlgLanguage::DestoryDialog() {
    DeinitListBox();
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgLanguage::ClearLanguageList() {
    m_lLanguageList.clear();
}

void CVeltoUIDlgLanguage::InitListBox() {
    DeinitListBox();
    ClearLanguageList();
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    if (!s.CopyLanguageList(m_lLanguageList) || m_lLanguageList.empty()) {
        return;
    }
    int n = (int)m_lLanguageList.size();
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    int mx = (int)(w * 0.0114), my = (int)(h * 0.023);
    m_hListMenu = CreateWindowEx(0, "LISTBOX", "SETUP", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, mx, my,
                                 w - 2 * mx, h - 2 * my, m_hFrame, nullptr, m_hInst, nullptr);
    if (!m_hListMenu) {
        return;
    }
    int row = (h - 2 * my) / n;
    m_hfListBoxFont =
        CreateFont((int)(row * 0.62), 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    SendMessage(m_hListMenu, WM_SETFONT, (WPARAM)m_hfListBoxFont, 0);
    for (const auto& entry : m_lLanguageList) {
        SendMessage(m_hListMenu, LB_ADDSTRING, 0, (LPARAM)entry.second->m_strFullName.c_str());
    }
    SendMessage(m_hListMenu, LB_GETITEMHEIGHT, 0, 0);
    SendMessage(m_hListMenu, LB_SETITEMHEIGHT, 0, row);  // all languages fill the list
    SendMessage(m_hListMenu, LB_SETCURSEL, 0, 0);
    // The shipped ids run 0, 1, 2, ... so the id is the row.
    SendMessage(m_hListMenu, LB_SETCURSEL, s.GetLanguage(), 0);
}

void CVeltoUIDlgLanguage::DeinitListBox() {
    if (m_hListMenu) {
        DestroyWindow(m_hListMenu);
        m_hListMenu = nullptr;
    }
    if (m_hfListBoxFont) {
        DeleteObject(m_hfListBoxFont);
        m_hfListBoxFont = nullptr;
    }
}

void CVeltoUIDlgLanguage::SaveSelectedLanguage() {
    if (!m_hListMenu) {
        return;
    }
    int sel = (int)SendMessage(m_hListMenu, LB_GETCURSEL, 0, 0);
    if (sel < 0) {
        return;
    }
    char name[128] = "";
    if ((int)SendMessage(m_hListMenu, LB_GETTEXTLEN, sel, 0) >= (int)sizeof name) {
        return;
    }
    SendMessage(m_hListMenu, LB_GETTEXT, sel, (LPARAM)name);
    // Ascending ids: with a name twice, the first one wins.
    for (const auto& entry : m_lLanguageList) {
        if (entry.second->m_strFullName == name) {
            CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
            s.SetLanguage((int)entry.first);
            SetCaption(s.GetXMLConfLangItemVal(10007, "Language").c_str());
            return;
        }
    }
}

void CVeltoUIDlgLanguage::HandleKeyDown(WPARAM key) {
    switch (key) {
        case VK_UP:
        case VK_DOWN:
            Velto::MenuListMove(m_hListMenu, key);
            break;
        case VK_RETURN:
            SaveSelectedLanguage();
            EndDialog(m_hHwnd, 1);
            break;
        case VK_F1:
            EndDialog(m_hHwnd, 2);
            break;
    }
    Board().Sync();
}

INT CVeltoUIDlgLanguage::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SettingsScreenProc(hwnd, msg, wParam, [this](WPARAM key) { HandleKeyDown(key); });
}
