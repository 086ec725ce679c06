#include "settings/velto_UI_Dlg_TVout.h"

#include <stdio.h>

#include "app/veltosc.h"
#include "browser/velto_UI_DlgMsgBox.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;

struct TVStandard {
    const char* text;
    const char* command;
};

// Row order is the list's order; the list always opens on NTSC.
constexpr TVStandard kStandards[] = {
    {"NTSC", "echo lcd_panel=tvenc_ntsc > /etc/lcdparams"},
    {"PAL", "echo lcd_panel=tvenc_pal > /etc/lcdparams"},
};

}  // namespace

CVeltoUIDlgTVout::CVeltoUIDlgTVout(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId), m_hListMenu(nullptr), m_hfListBoxFont(nullptr) {}

CVeltoUIDlgTVout::~CVeltoUIDlgTVout() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgTVout\n");
}

CVeltoUIDlgTVout* CVeltoUIDlgTVout::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgTVout(hInst, hParent);
}

void CVeltoUIDlgTVout::InitDialog() {
    CVeltoUIDialog::InitDialog();
    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10008, "TV out").c_str());
    Init();
}

void CVeltoUIDlgTVout::DestoryDialog() {
    Deinit();
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgTVout::Init() {
    Deinit();
    InitFont();
    InitListBox();
}

void CVeltoUIDlgTVout::Deinit() {
    DeinitListBox();
    DeinitFont();
}

void CVeltoUIDlgTVout::InitFont() {
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    int h = frame.bottom - frame.top;
    int height = (int)(((h - 2 * (int)(h * 0.053)) / 4) * 0.48);
    m_hfListBoxFont = CreateFont(height, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
}

void CVeltoUIDlgTVout::DeinitFont() {
    if (m_hfListBoxFont) {
        DeleteObject(m_hfListBoxFont);
        m_hfListBoxFont = nullptr;
    }
}

void CVeltoUIDlgTVout::InitListBox() {
    RECT frame{0, 0, 0, 0};
    GetClientRect(m_hFrame, &frame);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    int mx = (int)(w * 0.0114), my = (int)(h * 0.023);
    m_hListMenu = CreateWindowEx(0, "LISTBOX", "TVOUT", WS_CHILD | WS_VISIBLE | LBS_NOTIFY, mx, my,
                                 w - 2 * mx, h - 2 * my, m_hFrame, nullptr, m_hInst, nullptr);
    if (!m_hListMenu) {
        return;
    }
    SendMessage(m_hListMenu, WM_SETFONT, (WPARAM)m_hfListBoxFont, 0);
    for (const TVStandard& std : kStandards) {
        SendMessage(m_hListMenu, LB_ADDSTRING, 0, (LPARAM)std.text);
    }
    SendMessage(m_hListMenu, LB_SETITEMHEIGHT, 0, (h - 2 * my) / 4);
    SendMessage(m_hListMenu, LB_SETCURSEL, 0, 0);
}

void CVeltoUIDlgTVout::DeinitListBox() {
    if (m_hListMenu) {
        DestroyWindow(m_hListMenu);
        m_hListMenu = nullptr;
    }
}

bool CVeltoUIDlgTVout::SetNewOutput() {
    if (!m_hListMenu) {
        return false;
    }
    int sel = (int)SendMessage(m_hListMenu, LB_GETCURSEL, 0, 0);
    if (sel < 0 || sel >= (int)(sizeof kStandards / sizeof kStandards[0])) {
        return false;
    }
    int rc = Board().System(kStandards[sel].command);
    if (rc != 0) {
        printf("set lcd panel error\n");
        return false;
    }
    return true;
}

void CVeltoUIDlgTVout::HandleKeyDown(WPARAM key) {
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    switch (key) {
        case VK_UP:
        case VK_DOWN:
            Velto::MenuListMove(m_hListMenu, key);
            break;
        case VK_F1:
            EndDialog(m_hHwnd, 2);
            break;
        case VK_RETURN: {
            std::string title = s.GetXMLConfLangItemVal(10025, "Check TV out wire");
            std::string ask = s.GetXMLConfLangItemVal(10023, "Plug in the TV out wire");
            if (VeltoMessageBox(m_hHwnd, ask.c_str(), title.c_str(), MB_YESNO) != IDYES) {
                SetActiveWindow(m_hHwnd);
                break;
            }
            if (!Velto::CheckTVoutWire()) {
                std::string none =
                    s.GetXMLConfLangItemVal(10024, "No wire found, check it please.");
                VeltoMessageBox(m_hHwnd, none.c_str(), title.c_str(), MB_YESNO);
                SetActiveWindow(m_hHwnd);
                break;
            }
            // Whatever the write did, keeper restarts the program on what
            // the file then holds.
            SetNewOutput();
            EndDialog(m_hHwnd, 1);
            sig_int_handler(0);
        }
        default:
            break;
    }
}

INT CVeltoUIDlgTVout::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SettingsScreenProc(hwnd, msg, wParam, [this](WPARAM key) {
        printf("test\n");
        HandleKeyDown(key);
    });
}
