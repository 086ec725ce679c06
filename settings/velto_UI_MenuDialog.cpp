#include "settings/velto_UI_MenuDialog.h"

#include "settings/velto_SC_setting.h"

CVeltoUIMenuDialog::CVeltoUIMenuDialog(HINSTANCE hInst, HWND hParent, WORD id, const Layout& layout)
    : CVeltoUIDialog(hInst, hParent, id),
      m_hListMenu(nullptr),
      m_hfListBoxFont(nullptr),
      m_layout(layout) {}

std::string CVeltoUIMenuDialog::Caption() const {
    return CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(m_layout.captionId,
                                                                m_layout.captionDefault);
}

void CVeltoUIMenuDialog::InitDialog() {
    m_strCaptName = Caption();
    CVeltoUIDialog::InitDialog();
    SetCaption(m_strCaptName.c_str());
    InitListBox();
}

void CVeltoUIMenuDialog::DestoryDialog() {
    DeinitListBox();
    if (m_hfListBoxFont) {
        DeleteObject(m_hfListBoxFont);
        m_hfListBoxFont = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIMenuDialog::InitListBox() {
    DeinitListBox();
    m_hListMenu = Velto::MenuListCreate(m_hFrame, m_hInst, m_layout.fontFactor, m_hfListBoxFont,
                                        m_layout.rows);
}

void CVeltoUIMenuDialog::DeinitListBox() {
    Velto::MenuListDestroy(m_hListMenu, m_layout.rows);
}

void CVeltoUIMenuDialog::RefreshListBox() {
    Velto::MenuListRefresh(m_hListMenu, m_layout.rows);
}

void CVeltoUIMenuDialog::SetLocalize() {
    SetCaption(Caption().c_str());
    RefreshListBox();
}

void CVeltoUIMenuDialog::HandleKeyDown(WPARAM key) {
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
            EndDialog(m_hHwnd, m_layout.backResult);
            break;
        default:
            break;
    }
}

INT CVeltoUIMenuDialog::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_GETDLGCODE:
            return 5;
        case WM_KEYDOWN:
            HandleKeyDown(wParam);
            return 0;
        case WM_ERASEBKGND:
            return (INT)DefDlgProc(hwnd, msg, wParam, lParam);  // the window colour
        default:
            return 0;  // the caption keeps the framework's colours
    }
}
