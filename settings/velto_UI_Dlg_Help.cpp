#include "settings/velto_UI_Dlg_Help.h"

#include <stdio.h>
#include <string.h>

#include "app/velto_timer_ids.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_MenuList.h"

namespace {

constexpr WORD kDialogId = 103;
constexpr UINT kRvdHoldMs = 5000;

// The reserved text is kept scrambled so that it does not show up among the
// program's plain strings.
constexpr unsigned char kRvdKey[4] = {0x5A, 0x3C, 0x96, 0x0F};
constexpr unsigned char kRvdBytes[28] = {0x0C, 0x59, 0xFA, 0x7B, 0x35, 0x1C, 0xDF, 0x62, 0x3B, 0x5B,
                                         0xFF, 0x61, 0x3D, 0x1C, 0xC5, 0x76, 0x29, 0x48, 0xF3, 0x62,
                                         0x29, 0x3C, 0x96, 0x0F, 0x5A, 0x3C, 0x96, 0x0F};

}  // namespace

CVeltoUIDlgHelp::CVeltoUIDlgHelp(HINSTANCE hInst, HWND hParent)
    : CVeltoUIDialog(hInst, hParent, kDialogId),
      m_pStaticDeviceName(nullptr),
      m_pStaticText(nullptr),
      m_pStaticVersion(nullptr),
      m_pStaticReserved(nullptr),
      m_hfDeviceName(nullptr),
      m_hfText(nullptr),
      m_tRvdTimer(0),
      m_RsdHide(true) {
    memset(m_ManufacterStr, 0, sizeof m_ManufacterStr);
    for (size_t i = 0; i < sizeof kRvdBytes; ++i) {
        m_ManufacterStr[i] = (char)(kRvdBytes[i] ^ kRvdKey[i % 4]);
    }
    m_ManufacterStr[sizeof kRvdBytes - 1] = '\0';
}

CVeltoUIDlgHelp::~CVeltoUIDlgHelp() {
    if (m_hHwnd && IsWindow(m_hHwnd)) {
        DestoryDialog();
    }
    printf("~CVeltoUIDlgHelp\n");
}

CVeltoUIDlgHelp* CVeltoUIDlgHelp::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgHelp(hInst, hParent);
}

void CVeltoUIDlgHelp::InitDialog() {
    CVeltoUIDialog::InitDialog();
    ShowWindow(m_hHwnd, SW_MAXIMIZE);
    SetCaption(CVeltoSCSetting::GetInstance().GetXMLConfLangItemVal(10005, "Help").c_str());
    Init();
}

void CVeltoUIDlgHelp::DestoryDialog() {
    StopRvdTimer();
    Deinit();
    CVeltoUIDialog::DestoryDialog();
}

void CVeltoUIDlgHelp::Init() {
    Deinit();
    InitFont();
    InitStatic();
}

void CVeltoUIDlgHelp::Deinit() {
    DeinitStatic();
    DeinitFont();
}

void CVeltoUIDlgHelp::InitFont() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int h = rc.bottom - rc.top;
    m_hfDeviceName = CreateFont(h / 10, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
    m_hfText =
        CreateFont((int)((h / 10) * 0.8), 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
}

void CVeltoUIDlgHelp::DeinitFont() {
    for (HFONT* f : {&m_hfDeviceName, &m_hfText}) {
        if (*f) {
            DeleteObject(*f);
            *f = nullptr;
        }
    }
}

void CVeltoUIDlgHelp::InitStatic() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hFrame, &rc);
    int w = rc.right - rc.left, h = rc.bottom - rc.top;
    auto make = [&](const char* text, int top, int height, HFONT font) {
        HWND s = CreateWindowEx(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, 0, top, w,
                                height, m_hFrame, nullptr, m_hInst, nullptr);
        SendMessage(s, WM_SETFONT, (WPARAM)font, 0);
        return s;
    };
    m_pStaticDeviceName = make("QX720", (int)(h * 0.1), (int)((h / 10) * 1.2), m_hfDeviceName);
    m_pStaticText = make("Firmware Version", (int)(h * 0.3), h / 10, m_hfText);
    m_pStaticVersion = make("V03.08.00", (int)(h * 0.6), h / 10, m_hfText);
    m_pStaticReserved = make("", (int)(h * 0.8), h / 10, m_hfText);
}

void CVeltoUIDlgHelp::DeinitStatic() {
    for (HWND* s : {&m_pStaticDeviceName, &m_pStaticText, &m_pStaticVersion, &m_pStaticReserved}) {
        if (*s) {
            DestroyWindow(*s);
            *s = nullptr;
        }
    }
}

void CVeltoUIDlgHelp::StartRvdTimer() {
    if (m_tRvdTimer || !m_hHwnd) {
        return;
    }
    m_tRvdTimer = (UINT)SetTimer(m_hHwnd, TIMERID_Reserved, kRvdHoldMs, fnRvdDispTimerProc);
}

void CVeltoUIDlgHelp::StopRvdTimer() {
    if (m_tRvdTimer && m_hHwnd) {
        KillTimer(m_hHwnd, m_tRvdTimer);
    }
    m_tRvdTimer = 0;
}

void CVeltoUIDlgHelp::RvdTimer() {
    if (m_RsdHide) {
        SetWindowText(m_pStaticReserved, m_ManufacterStr);
        m_RsdHide = false;  // the timer runs on to clear it again
        return;
    }
    StopRvdTimer();
    SetWindowText(m_pStaticReserved, "");
    m_RsdHide = true;
}

void CVeltoUIDlgHelp::fnRvdDispTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self =
        dynamic_cast<CVeltoUIDlgHelp*>(reinterpret_cast<CVeltoUIDialog*>(GetWindowLong(hwnd, 8)));
    if (self) {
        self->RvdTimer();
    }
}

INT CVeltoUIDlgHelp::DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_KEYDOWN:
            if (wParam == VK_RETURN || wParam == VK_F1) {
                EndDialog(hwnd, 1);
            } else if (wParam == VK_F3) {
                StartRvdTimer();
            }
            return 0;
        case WM_KEYUP:
            // Released before the text came up: no text.
            if (wParam == VK_F3 && m_RsdHide) {
                StopRvdTimer();
            }
            return 0;
        default:
            return Velto::SettingsScreenDefault(hwnd, msg, wParam);
    }
}
