#include "splash/velto_UI_Dlg_Pwf.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"

namespace {

const char kByePicture[] = "/usr/velto/img/bye.png";
const char kOtherPicture[] = "img/exitprogram.jpg";
const INT kWantArrowsAndAllKeys = 5;

}  // namespace

CVeltoUIDlgPwf::CVeltoUIDlgPwf(HINSTANCE hInst, HWND hParent)
    : CVeltoUIPopupDialog(hInst, hParent) {}

CVeltoUIDlgPwf::~CVeltoUIDlgPwf() {
    Deinit();
}

CVeltoUIDlgPwf* CVeltoUIDlgPwf::CreateNew(HINSTANCE hInst, HWND hParent) {
    CVeltoUIDlgPwf* dlg = new CVeltoUIDlgPwf(hInst, hParent);
    if (!dlg->Init()) {
        delete dlg;
        return nullptr;
    }
    return dlg;
}

bool CVeltoUIDlgPwf::Init() {
    return m_hInst != nullptr;
}

void CVeltoUIDlgPwf::Deinit() {
    if (m_tTimer != 0 && m_hHwnd && IsWindow(m_hHwnd)) {
        KillTimer(m_hHwnd, m_tTimer);
    }
    m_tTimer = 0;
    if (m_pWarningImage) {
        m_pWarningImage->FreeMemGC(m_pWarningImage);
        m_pWarningImage = nullptr;
    }
}

int CVeltoUIDlgPwf::DoModal(WaningBoxType type) {
    if (type != WARNBOX_EXIT) {
        return kResultClosed;
    }
    m_curType = WARNBOX_EXIT;
    return CVeltoUIPopupDialog::DoModal();
}

const char* CVeltoUIDlgPwf::PictureFile() const {
    return m_curType == WARNBOX_EXIT ? kByePicture : kOtherPicture;
}

void CVeltoUIDlgPwf::InitDialog() {
    m_hParent = GetForegroundWindow();
    Deinit();
    if (m_curType == WARNBOX_EXIT) {
        m_tTimer = (unsigned int)SetTimer(m_hHwnd, TIMERID_WarnBox_GENERAL, kCloseMs, TimerProc);
    }
    // A missing picture leaves the screen empty for its 1.5 s.
    m_pWarningImage = GdLoadImageFromFile(PictureFile(), 0);
    SetWindowText(m_hHwnd, "WarningBox");
}

void CVeltoUIDlgPwf::DestoryDialog() {
    Deinit();
    printf("CVeltoUIDlgWarning::DestoryDialog\n");
    if (m_hParent && IsWindow(m_hParent)) {
        SetForegroundWindow(m_hParent);
    }
}

INT CVeltoUIDlgPwf::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Velto::PaintClient(hwnd, [this](HDC hdc, RECT& rc) {
                DrawDIBFit(hdc, 0, 0, rc.right - rc.left, rc.bottom - rc.top, m_pWarningImage);
            });
            SetActiveWindow(hwnd);
            return TRUE;
        case WM_GETDLGCODE:
            return kWantArrowsAndAllKeys;
        case WM_KEYDOWN:
            printf("Keyval:0x%x\n", (unsigned)wParam);
            return TRUE;
        case WM_ENTERIDLE:
            return 0;
        default:
            return (INT)DefDlgProc(hwnd, msg, wParam, lParam);
    }
}

void CALLBACK CVeltoUIDlgPwf::TimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    CVeltoUIDlgPwf* self = reinterpret_cast<CVeltoUIDlgPwf*>(GetWindowLong(hwnd, 8));
    if (self && self->m_curType == WARNBOX_EXIT) {
        EndDialog(hwnd, kResultClosed);
        PostMessage(hwnd, WM_QUIT, 0, 0);
    }
}
