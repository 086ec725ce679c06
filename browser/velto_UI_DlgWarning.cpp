#include "browser/velto_UI_DlgWarning.h"

#include <stdio.h>
#include <unistd.h>

#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"

bool pwflag = false;

unsigned CVeltoUIDlgWarning::s_nLingerMs = 3000;

namespace {

constexpr const char* kSplashCommand = "/usr/velto/splash ";
constexpr INT kClosedByTimer = 8;
constexpr INT kClosedByKey = 6;

}  // namespace

CVeltoUIDlgWarning::CVeltoUIDlgWarning(HINSTANCE hInst, HWND hParent)
    : CVeltoUIPopupDialog(hInst, hParent),
      m_curType(WARNBOX_EXIT),
      m_pWarningImage(nullptr),
      m_tTimer(0),
      m_hfTextFont(nullptr) {}

CVeltoUIDlgWarning::~CVeltoUIDlgWarning() {
    Release();
}

CVeltoUIDlgWarning* CVeltoUIDlgWarning::CreateNew(HINSTANCE hInst, HWND hParent) {
    return new CVeltoUIDlgWarning(hInst, hParent);
}

int CVeltoUIDlgWarning::DoModal(WaningBoxType type) {
    if ((int)type < WARNBOX_EXIT || type > WARNBOX_NoSpace) {
        return kClosedByTimer;
    }
    m_curType = type;
    return DoModal();
}

int CVeltoUIDlgWarning::DoModal() {
    return CVeltoUIPopupDialog::DoModal();
}

void CVeltoUIDlgWarning::InitDialog() {
    m_hParent = GetForegroundWindow();
    CVeltoUIPopupDialog::InitDialog();
    Init();
    SetWindowText(m_hHwnd, "WarningBox");
}

void CVeltoUIDlgWarning::Release() {
    if (m_tTimer && m_hHwnd) {
        KillTimer(m_hHwnd, m_tTimer);
    }
    m_tTimer = 0;
    Velto::UnloadImage(m_pWarningImage);
    m_pWarningImage = nullptr;
    if (m_hfTextFont) {
        DeleteObject(m_hfTextFont);
        m_hfTextFont = nullptr;
    }
}

void CVeltoUIDlgWarning::Init() {
    Release();
    ShowWindow(m_hHwnd, SW_MAXIMIZE);
    m_tTimer = (unsigned)SetTimer(m_hHwnd, TIMERID_WarnBox_GENERAL, 1000, fnTimerProc);
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    m_hfTextFont = CreateFont(rc.bottom / 12, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    const char* picture = "img/WarnBack.png";
    switch (m_curType) {
        case WARNBOX_EXIT:
            picture = "/usr/velto/img/bye.png";
            m_strWarnText.clear();
            break;
        case WARNBOX_USB_DEVICE:
            m_strWarnText = s.GetXMLConfLangItemVal(10021, "USB Connected");
            break;
        case WARNBOX_NoFiles:
            m_strWarnText = s.GetXMLConfLangItemVal(10020, "NO FILES AVAIABLE");
            break;
        case WARNBOX_NoSpace:
            m_strWarnText = s.GetXMLConfLangItemVal(10022, "No enough space");
            break;
        default:
            picture = "img/exitprogram.jpg";
            m_strWarnText.clear();
            break;
    }
    m_pWarningImage = Velto::LoadImage(picture);
}

void CVeltoUIDlgWarning::DestoryDialog() {
    Release();
    CVeltoUIPopupDialog::DestoryDialog();
    printf("CVeltoUIDlgWarning::DestoryDialog\n");
    if (m_curType != WARNBOX_EXIT && m_hParent && IsWindow(m_hParent)) {
        SetForegroundWindow(m_hParent);
    }
    printf("WM_DESTROY\n");
}

void CVeltoUIDlgWarning::Close(INT result) {
    // The screen stays in view a while after it was ended (the goodbye
    // picture above all); nothing else runs meanwhile.
    if (s_nLingerMs) {
        usleep(s_nLingerMs * 1000u);
    }
    EndDialog(m_hHwnd, result);
}

void CVeltoUIDlgWarning::fnTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUIDlgWarning*>(GetWindowLong(hwnd, 8));
    if (self) {
        self->OnTimer();
    }
}

void CVeltoUIDlgWarning::OnTimer() {
    HWND hwnd = m_hHwnd;
    if (m_curType == WARNBOX_EXIT) {
        Close(kClosedByTimer);
        PostMessage(hwnd, WM_QUIT, 0, 0);
    } else if (m_curType == WARNBOX_USB_DEVICE &&
               CVeltoSCSetting::GetInstance().GetOTGStatus() != OTG_DEVICE) {
        printf("Return to normal mode.\n");
        Close(kClosedByTimer);
        PostMessage(hwnd, WM_QUIT, 0, 0);
    }
    if (GetPowerOffStatus() != 0 && !pwflag && m_curType != WARNBOX_EXIT) {
        pwflag = true;
        int rc = Board().System(kSplashCommand);
        printf("Run %s,%d\n", kSplashCommand, rc);
        SetPowerOffStatus();
    }
}

void CVeltoUIDlgWarning::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    DrawDIBFit(hdc, 0, 0, rc.right, rc.bottom, m_pWarningImage);
    if (!m_strWarnText.empty()) {
        SetTextColor(hdc, 0xFFFFFFFFu);
        SetBkMode(hdc, TRANSPARENT);
        SelectObject(hdc, m_hfTextFont);
        RECT box{0, rc.bottom * 140 / 240, rc.right, rc.bottom};
        DrawText(hdc, m_strWarnText.c_str(), -1, &box, DT_CENTER | DT_WORDBREAK);
    }
    EndPaint(hwnd, &ps);
    SetActiveWindow(hwnd);
}

INT CVeltoUIDlgWarning::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the picture covers the whole screen
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        case WM_KEYDOWN:
            if ((m_curType == WARNBOX_NoFiles || m_curType == WARNBOX_NoSpace) && wParam == VK_F1) {
                Close(kClosedByKey);
            }
            printf("Keyval:0x%x\n", (unsigned)wParam);
            return 0;
        default:
            return 0;
    }
}
