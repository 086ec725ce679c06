#include "settings/velto_UI_Dlg_DateTime.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;
constexpr INT kClockSet = 6;
constexpr const char* kClockNotSetText = "Clock not set";
constexpr const char* kDateUnsupportedText = "Date not supported";

}  // namespace

CVeltoUIDlgDateTime::CVeltoUIDlgDateTime(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_pCtrlDateTime(nullptr),
      m_pIcon(nullptr),
      m_hIconStatic(nullptr) {}

CVeltoUIDlgDateTime::~CVeltoUIDlgDateTime() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgDateTime\n");
}

CVeltoUIDlgDateTime* CVeltoUIDlgDateTime::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgDateTime(hInst, hParent);
}

void CVeltoUIDlgDateTime::InitDialog() {
    CVeltoUIDialog::InitDialog();
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    SetCaption(s.GetXMLConfLangItemVal(10006, "Date and Time").c_str());
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    double S = s.GetScrWidth(), Hc = rc.bottom - rc.top;
    double w = S / 1.5;
    m_pCtrlDateTime = CVeltoUICtrlDateTime::CreateNew(m_hFrame);
    m_pCtrlDateTime->InitWindow((int)((S - S / 1.5) / 1.2), (int)((Hc - w * 0.56) * 0.5), (int)w,
                                (int)(w * 0.56));
    InitIcon();
}

void CVeltoUIDlgDateTime::ShowClockMessage(const char* text) {
    printf("Error: the clock was not set: %s\n", text);
    if (!m_hMessage) {
        RECT rc{0, 0, 0, 0};
        GetClientRect(m_hFrame, &rc);
        int w = rc.right - rc.left, h = rc.bottom - rc.top;
        int line = (int)(h * 0.1);
        m_hfMessageFont = CreateFont(line, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arialb.ttf");
        m_hMessage =
            CreateWindowEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE | SS_CENTER, 0,
                           h - line - line / 2, w, line + 4, m_hFrame, nullptr, m_hInst, nullptr);
        SendMessage(m_hMessage, WM_SETFONT, (WPARAM)m_hfMessageFont, 0);
    }
    SetWindowText(m_hMessage, text);
}

void CVeltoUIDlgDateTime::DestoryDialog() {
    if (m_hMessage) {
        DestroyWindow(m_hMessage);
        m_hMessage = nullptr;
    }
    if (m_hfMessageFont) {
        DeleteObject(m_hfMessageFont);
        m_hfMessageFont = nullptr;
    }
    DeinitIcon();
    if (m_pCtrlDateTime) {
        delete m_pCtrlDateTime;
        m_pCtrlDateTime = nullptr;
    }
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgDateTime::InitIcon() {
    DeinitIcon();
    m_pIcon = Velto::LoadImage("img/DateIcon.jpg");
    if (!m_pIcon) {
        return;
    }
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int iw = (int)(m_pIcon->xres * s.GetScrWidth() / 320);
    int ih = (int)(m_pIcon->yres * s.GetScrHeight() / 240);
    m_hIconStatic = CreateWindowEx(
        0, "STATIC", "yes", WS_CHILD | WS_VISIBLE | SS_ICON, (int)((rc.right - rc.left) * 0.02),
        (int)((rc.bottom - rc.top - ih) / 2.6), iw, ih, m_hFrame, nullptr, m_hInst, nullptr);
    SendMessage(m_hIconStatic, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pIcon);
}

void CVeltoUIDlgDateTime::DeinitIcon() {
    if (m_hIconStatic) {
        DestroyWindow(m_hIconStatic);
        m_hIconStatic = nullptr;
    }
    Velto::UnloadImage(m_pIcon);
    m_pIcon = nullptr;
}

void CVeltoUIDlgDateTime::HandleKeyDown(WPARAM key) {
    HWND editor = m_pCtrlDateTime ? m_pCtrlDateTime->GetHWND() : nullptr;
    switch (key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (editor) {
                SendMessage(editor, WM_KEYDOWN, key, 0);
            }
            break;
        case VK_RETURN:
            if (editor) {
                SendMessage(editor, WM_KEYDOWN, key, 0);
            }
            // The screen closes only once the clock is set; otherwise it says
            // so and keeps the fields for another date or F1.
            if (m_pCtrlDateTime &&
                m_pCtrlDateTime->m_nClockResult != CVeltoUICtrlDateTime::CLOCK_SET) {
                ShowClockMessage(m_pCtrlDateTime->m_nClockResult ==
                                         CVeltoUICtrlDateTime::CLOCK_DATE_UNSUPPORTED
                                     ? kDateUnsupportedText
                                     : kClockNotSetText);
                break;
            }
            EndDialog(m_hHwnd, kClockSet);
            break;
        case VK_F1:
            EndDialog(m_hHwnd, 1);
            break;
    }
}

INT CVeltoUIDlgDateTime::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return Velto::SettingsScreenProc(hwnd, msg, wParam, [this](WPARAM key) { HandleKeyDown(key); });
}
