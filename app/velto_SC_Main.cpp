#include "app/velto_SC_Main.h"

#include <stdio.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "app/mxs_watchdog.h"
#include "app/velto_SC_Debug.h"
#include "app/velto_timer_ids.h"
#include "browser/velto_UI_DlgMediaNav.h"
#include "browser/velto_UI_DlgWarning.h"
#include "camera/color.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "settings/velto_SC_setting.h"
#include "settings/velto_UI_Dlg_Setting.h"
#include "status/DateTimeDisplayCtrl.h"
#include "status/velto_UI_Ctrl_BrightAdjust.h"
#include "status/velto_UI_Ctrl_FocusAdjust.h"
#include "status/velto_UI_Ctrl_ImageDisplayer.h"
#include "status/velto_UI_Ctrl_PowerIcon.h"
#include "status/velto_UI_Ctrl_RecMode.h"
#include "status/velto_UI_Ctrl_SDChecker.h"
#include "status/velto_scrlbar1.h"

namespace {

const long kMinFreeKiB = 2048;
const DWORD kWatchdogPeriodMs = 10000;
const COLORREF kVideoBackground = 0xFF010101;
// The picture sequence waits on the camera thread; an unplug in between
// must not hang the GUI for ever.
const int kSaveWaitMs = 8000;
const int kReconnectWaitMs = 5000;

template <typename T>
void DeleteControl(T*& p) {
    delete p;
    p = nullptr;
}

// Waits up to timeoutMs for done, polling every 10 ms; false on time-out.
template <typename F>
bool WaitUntil(F done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        usleep(10000);
    }
    return true;
}

}  // namespace

long GetAvailSpace() {
    if (!Velto::GetMMCFirstPart().empty()) {
        // A card pulled before the auto-mounter lets it go answers no statfs:
        // that is no full medium, and the internal one is used meanwhile.
        long card = Velto::GetFirstMMCAvailableSpace();
        if (card >= 0) {
            return card;
        }
    }
    if (!Velto::GetNandDataPart().empty()) {
        return Velto::GetUserNandAvailableSpace();
    }
    return 100;
}

CVeltoSCMain* CVeltoSCMain::CreateNew(HINSTANCE hInst) {
    return new CVeltoSCMain(hInst);
}

CVeltoSCMain::CVeltoSCMain(HINSTANCE hInst)
    : m_pDateCtl(nullptr),
      m_pBattery(nullptr),
      m_pRecMode(nullptr),
      m_pSDChecker(nullptr),
      m_curStatus(CAM_STATUS_DETECT),
      m_lastStatus(CAM_STATUS_DETECT),
      m_tStateMachineTimer(0),
      m_hHwnd(nullptr),
      m_hInst(hInst),
      m_hBright(nullptr),
      m_hFocus(nullptr),
      m_tBrightTimer(0),
      m_tFocusTimer(0),
      m_camctrl(nullptr),
      m_pRecordingImageCtrl(nullptr),
      m_pFunnelCtrl(nullptr),
      m_dlgCurDlg(nullptr),
      m_bTimerContinue(true),
      m_nLastWatchTick(0),
      m_bCanEnterSpaceAutoWarn(true),
      m_pwflag(false),
      m_ForbidKeyflag(false),
      m_bPictureSequence(false) {}

CVeltoSCMain::~CVeltoSCMain() {
    DestoryDialog();
    // On the abrupt exit the main window outlives this object while the
    // goodbye screen runs; a message reaching it then must find nothing.
    if (m_hHwnd && IsWindow(m_hHwnd) &&
        GetWindowLong(m_hHwnd, DWL_USER) == reinterpret_cast<LONG>(this)) {
        SetWindowLong(m_hHwnd, DWL_USER, 0);
    }
    m_hHwnd = nullptr;
    printf("CVeltoSCMain::~CVeltoSCMain\n");
}

const char* CVeltoSCMain::GetStateString(CamStatus status) {
    switch (status) {
        case CAM_STATUS_STOP:
            return "CAM_STATUS_STOP";
        case CAM_STATUS_DETECT:
            return "CAM_STATUS_DETECT";
        case CAM_STATUS_VIEW:
            return "CAM_STATUS_VIEW";
        case CAM_STATUS_REC_WAIT:
            return "CAM_STATUS_REC_WAIT";
        case CAM_STATUS_REC_VIDEO_WAIT:
            return "CAM_STATUS_REC_VIDEO_WAIT";
        case CAM_STATUS_REC_VIDEO:
            return "CAM_STATUS_REC_VIDEO";
        case CAM_STATUS_REC_VIDEO_STOP_WAIT:
            return "CAM_STATUS_REC_VIDEO_STOP_WAIT";
        case CAM_STATUS_REC_IMAGE_WAIT:
            return "CAM_STATUS_REC_IMAGE_WAIT";
        case CAM_STATUS_REC_IMAGE:
            return "CAM_STATUS_REC_IMAGE";
        case CAM_STATUS_USBDevice_Connected:
            return "CAM_STATUS_USBDevice_Connected";
    }
    return "Unknown state";
}

int CVeltoSCMain::DoModel() {
    if (!m_hInst) {
        return -1;
    }
    return (int)DialogBoxParam(m_hInst, (LPCSTR)(uintptr_t)(0xFFFF0000u | 103), nullptr,
                               mainDlgProc, (LPARAM)this);
}

INT_PTR CVeltoSCMain::mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CVeltoSCMain* self = reinterpret_cast<CVeltoSCMain*>(GetWindowLong(hwnd, DWL_USER));
    switch (msg) {
        case WM_INITDIALOG:
            if (self) {
                self->m_hHwnd = hwnd;
                printf("CVeltoSCMain initdialog !!!!!!!!!!!!!!!!!!!!!!!!\n");
                self->InitDialog();
            }
            return 0;
        case WM_KEYDOWN:
            if (self) {
                self->HandleKeyDown((UINT)wParam);
            }
            return 0;
        case WM_COMMAND:
            if (self && LOWORD(wParam) == IDOK) {
                self->HandleKeyDown(VK_RETURN);
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            HBRUSH brush = CreateSolidBrush(kVideoBackground);
            FillRect((HDC)wParam, &rc, brush);
            DeleteObject(brush);
            return 1;
        }
        case WM_GETDLGCODE:
            return 0x89;
        case WM_CREATE:
            return 0;
        case WM_DESTROY:
            if (self) {
                self->DestoryDialog();
                self->m_hHwnd = nullptr;
                SetWindowLong(hwnd, DWL_USER, 0);
            }
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

void CVeltoSCMain::InitDialog() {
    CVeltoSCSetting::GetInstance().InitConfigFile();
    Velto::InitSystemDateTime();
    m_ForbidKeyflag = !Velto::GetOutputType() && Velto::CheckTVoutWire();
    CreateControls();
    if (m_ForbidKeyflag) {
        DeleteControl(m_pSDChecker);
        DeleteControl(m_pBattery);
        if (m_pRecMode) {
            m_pRecMode->Show(SW_HIDE);
        }
    }
    // Loads the face once, so the first screen that asks for it is quick.
    HFONT font = CreateFont(30, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
    DeleteObject(font);
    initLut();
    ShowWindow(m_hHwnd, SW_MAXIMIZE);
    UpdateWindow(m_hHwnd);
    SetActiveWindow(m_hHwnd);
    StartStateMachine();
}

void CVeltoSCMain::CreateControls() {
    CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
    const unsigned W = s.GetScrWidth(), H = s.GetScrHeight();
    const double w = W, h = H;

    DeleteControl(m_pRecMode);
    m_pRecMode = CVeltoUICtrlRecMode::CreateNew(m_hInst, m_hHwnd, W / 98, H / 40, (int)(w / 5.7),
                                                (int)(h / 5.4));
    if (m_pRecMode) {
        m_pRecMode->SetCurMode(REC_MODE_IMAGE);
    }
    DeleteControl(m_pSDChecker);
    m_pSDChecker = CVeltoUICtrlSDChecker::CreateNew(m_hInst, m_hHwnd, (int)(W / 100 + w / 1.25),
                                                    H / 40, 28 * W / 320, 21 * H / 240);
    DeleteControl(m_pBattery);
    m_pBattery = CVeltoUICtrlPowerIcon::CreateNew(m_hInst, m_hHwnd, (int)(w + (W / 15) * -1.21),
                                                  H / 40, 21 * W / 320, 17 * H / 240);
    const int cw = W <= 640 ? 173 : 346;
    DeleteControl(m_pDateCtl);
    m_pDateCtl = CVeltoUIDateTimeCtrl::CreateNew(m_hInst, m_hHwnd, ((int)W - cw) / 2, 217 * H / 240,
                                                 cw, W <= 640 ? 19 : 38);
    const int bh = 20 * H / 240 + 10 * H / 240;
    DeleteControl(m_hBright);
    m_hBright = CVeltoUICtrlBrightAdjust::CreateNew(m_hInst, m_hHwnd, (W - 66 * W / 320) / 2,
                                                    (int)H - 2 * bh, 66 * W / 320, bh);
    const int fw = 10 * W / 320 + 20 * W / 320;
    DeleteControl(m_hFocus);
    m_hFocus = CVeltoUICtrlFocusAdjust::CreateNew(m_hInst, m_hHwnd, (int)((W - fw) + fw * -0.4),
                                                  (H - 54 * H / 240) / 2, fw, 54 * H / 240);
    DeleteControl(m_pRecordingImageCtrl);
    m_pRecordingImageCtrl = CVeltoUICtrlImageDisplayer::CreateNew(
        m_hInst, m_hHwnd, WS_CHILD, (int)(w + (49 * W / 320) * -1.1), (int)(h * 0.13), 49 * W / 320,
        22 * H / 240);
    if (m_pRecordingImageCtrl) {
        m_pRecordingImageCtrl->SetNewImagePath("img/rec.gif");
        m_pRecordingImageCtrl->Show(SW_HIDE);
    }
    DeleteControl(m_pFunnelCtrl);
    m_pFunnelCtrl =
        CVeltoUICtrlImageDisplayer::CreateNew(m_hInst, m_hHwnd, WS_CHILD, (W - 15 * W / 320) / 2,
                                              (H - 21 * H / 240) / 2, 15 * W / 320, 21 * H / 240);
    if (m_pFunnelCtrl) {
        m_pFunnelCtrl->SetNewImagePath("img/funnel.gif");
        m_pFunnelCtrl->Show(SW_HIDE);
    }
    if (m_hBright) {
        m_hBright->Show(SW_HIDE);
    }
    if (m_hFocus) {
        m_hFocus->Show(SW_HIDE);
    }
}

void CVeltoSCMain::DestoryDialog() {
    StopStateMachine();
    DisableFocus();
    DisableBright();
    DeleteControl(m_hFocus);
    DeleteControl(m_hBright);
    DeleteControl(m_pDateCtl);
    DeleteControl(m_pBattery);
    DeleteControl(m_pRecMode);
    DeleteControl(m_pSDChecker);
    DeleteControl(m_camctrl);
    DeleteControl(m_pFunnelCtrl);
    DeleteControl(m_pRecordingImageCtrl);
    freeLut();
}

bool CVeltoSCMain::StartAllTimer() {
    if (!StartStateMachine()) {
        return false;
    }
    if (m_pDateCtl) {
        m_pDateCtl->EnableTimeDisplay(true);
    }
    return true;
}

void CVeltoSCMain::StopAllTimer() {
    StopStateMachine();
    if (m_pDateCtl) {
        m_pDateCtl->EnableTimeDisplay(false);
    }
}

bool CVeltoSCMain::StartStateMachine() {
    StopStateMachine();
    if (!m_hHwnd) {
        return false;
    }
    m_tStateMachineTimer =
        SetTimer(m_hHwnd, TIMERID_Main_StateMachine, 200, fnStateMachineTimerProc);
    return m_tStateMachineTimer != 0;
}

void CVeltoSCMain::StopStateMachine() {
    if (m_tStateMachineTimer && m_hHwnd) {
        KillTimer(m_hHwnd, m_tStateMachineTimer);
    }
    m_tStateMachineTimer = 0;
}

void CVeltoSCMain::fnStateMachineTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    CVeltoSCMain* self = reinterpret_cast<CVeltoSCMain*>(GetWindowLong(hwnd, DWL_USER));
    if (!self) {
        return;
    }
    self->StateMachine();
    if (self->m_pRecMode) {
        self->m_pRecMode->RefreshImageAvailableNumber();
    }
}

void CVeltoSCMain::StateMachine() {
    DWORD now = GetTickCount();
    if (m_nLastWatchTick == 0 || (DWORD)(now - m_nLastWatchTick) > kWatchdogPeriodMs) {
        m_nLastWatchTick = now;
        CMXSWatchdog::GetInstance().KeepLive();
    }
    if (!m_bTimerContinue) {
        return;
    }
    if (CVeltoSCSetting::GetInstance().GetOTGStatus() == OTG_DEVICE) {
        UsbDeviceSequence();
        return;
    }
    if (GetAvailSpace() < kMinFreeKiB && m_bCanEnterSpaceAutoWarn) {
        NoSpaceWarning(true);
    }
    if (GetPowerOffStatus() != 0 && !m_pwflag) {
        m_pwflag = true;
        EnterMenu();
        CVeltoUIDlgWarning* warning = CVeltoUIDlgWarning::CreateNew(m_hInst, nullptr);
        if (warning) {
            warning->DoModal(WARNBOX_EXIT);
            delete warning;
        }
        Board().Sync();
        SetPowerOffStatus();
        ExitMenu();
    }
    CameraStep();
}

void CVeltoSCMain::NoSpaceWarning(bool print) {
    m_bTimerContinue = false;
    EnterMenu();
    CVeltoUIDlgWarning* warning = CVeltoUIDlgWarning::CreateNew(m_hInst, nullptr);
    if (warning) {
        warning->DoModal(WARNBOX_NoSpace);
    }
    if (print) {
        printf("WARNBOX_NoSpace\n");
    }
    delete warning;
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
    ExitMenu();
    m_bTimerContinue = true;
    m_bCanEnterSpaceAutoWarn = false;
}

void CVeltoSCMain::UsbDeviceSequence() {
    m_bTimerContinue = false;
    EnterMenu();
    std::string sd = Velto::GetMMCFirstPart();
    Velto::ExportMediaToUsbHost(sd);
    CVeltoUIDlgWarning* warning = CVeltoUIDlgWarning::CreateNew(m_hInst, nullptr);
    if (warning) {
        warning->DoModal(WARNBOX_USB_DEVICE);
        delete warning;
    }
    Velto::ReclaimMediaFromUsbHost(sd);
    m_bTimerContinue = true;
    ExitMenu();
}

void CVeltoSCMain::ChangeToNewState(CamStatus status) {
    m_lastStatus = m_curStatus;
    m_curStatus = status;
    printf("old: %s, new: %s\n", GetStateString(m_lastStatus), GetStateString(m_curStatus));
}

bool CVeltoSCMain::CheckCamConnected() const {
    return m_camctrl && m_camctrl->GetUVCStatus() > UVC_STATUS_DISCONNECTED;
}

bool CVeltoSCMain::IsCameraPlaying() const {
    return m_camctrl && m_camctrl->GetUVCStatus() > UVC_STATUS_CONNECTED;
}

bool CVeltoSCMain::IsCameraRecording() const {
    return !m_camctrl || m_camctrl->IsAVIRecording();
}

void CVeltoSCMain::ShowBusy(bool show) {
    if (m_pFunnelCtrl) {
        m_pFunnelCtrl->Show(show ? SW_SHOW : SW_HIDE);
    }
}

void CVeltoSCMain::ShowRecordingMark(bool show) {
    if (m_pRecordingImageCtrl) {
        m_pRecordingImageCtrl->Show(show ? SW_SHOW : SW_HIDE);
    }
}

void CVeltoSCMain::CameraStep() {
    switch (m_curStatus) {
        case CAM_STATUS_STOP:
        case CAM_STATUS_USBDevice_Connected:
            break;
        case CAM_STATUS_DETECT:
            if (!m_camctrl) {
                InitCamera();
            }
            if (!videoflag) {
                break;
            }
            if (!CheckCamConnected()) {
                // A running controller's camera thread searches by itself; a
                // restart on every tick would block the GUI in the camera
                // port's reset (close to a second) for as long as no head is
                // plugged.
                if (!m_camctrl || !m_camctrl->IsRunning()) {
                    ResumeCamera();
                }
                break;
            }
            m_camctrl->SetColorOrBlack(CVeltoSCSetting::GetInstance().GetColorful());
            m_camctrl->ZoomPXP(1);
            ChangeToNewState(CAM_STATUS_VIEW);
            break;
        case CAM_STATUS_VIEW:
            if (!IsCameraPlaying()) {
                ChangeToNewState(CAM_STATUS_DETECT);
            }
            break;
        case CAM_STATUS_REC_WAIT:
            if (m_pRecMode) {
                ChangeToNewState(m_pRecMode->GetCurMode() == REC_MODE_VIDEO
                                     ? CAM_STATUS_REC_VIDEO_WAIT
                                     : CAM_STATUS_REC_IMAGE_WAIT);
            } else {
                ChangeToNewState(m_lastStatus);
            }
            break;
        case CAM_STATUS_REC_VIDEO_WAIT:
            if (m_lastStatus == CAM_STATUS_REC_WAIT && m_pRecMode &&
                m_pRecMode->GetCurMode() == REC_MODE_VIDEO) {
                if (GetAvailSpace() >= kMinFreeKiB) {
                    printf("nand have enough space\n");
                    m_pRecMode->StartRecord();
                    m_bCanEnterSpaceAutoWarn = true;
                    if (m_camctrl) {
                        m_camctrl->StartRecordAVI();
                    }
                    ChangeToNewState(CAM_STATUS_REC_VIDEO);
                    ShowRecordingMark(true);
                    break;
                }
                printf("nand have not enough space\n");
                NoSpaceWarning(false);
            }
            ChangeToNewState(CAM_STATUS_VIEW);
            break;
        case CAM_STATUS_REC_VIDEO:
            if (!IsCameraRecording()) {
                if (m_pRecMode) {
                    m_pRecMode->StopRecord();
                }
                ShowBusy(false);
                ChangeToNewState(CAM_STATUS_VIEW);
                if (m_camctrl) {
                    m_camctrl->StopRecordAVI();
                }
                ShowRecordingMark(false);
                m_bCanEnterSpaceAutoWarn = false;
            }
            break;
        case CAM_STATUS_REC_VIDEO_STOP_WAIT:
            if (m_pRecMode) {
                m_pRecMode->StopRecord();
            }
            if (m_camctrl) {
                m_camctrl->StopRecordAVI();
            }
            ChangeToNewState(CAM_STATUS_VIEW);
            ShowRecordingMark(false);
            ShowBusy(false);
            break;
        case CAM_STATUS_REC_IMAGE_WAIT:
            ChangeToNewState(CAM_STATUS_REC_IMAGE);
            ShowBusy(true);
            break;
        case CAM_STATUS_REC_IMAGE:
            TakePicture();
            break;
    }
}

void CVeltoSCMain::TakePicture() {
    bool requested = false;
    if (GetAvailSpace() < kMinFreeKiB) {
        NoSpaceWarning(false);  // gives the picture up on its way
    } else if (m_camctrl) {
        m_camctrl->SaveToImage();
        requested = true;
    }
    ChangeToNewState(CAM_STATUS_VIEW);
    ShowBusy(true);
    RefreshNextReg();
    if (!m_camctrl || !m_bPictureSequence) {
        m_bPictureSequence = false;
        ShowBusy(false);
        return;
    }
    bool settled = true;
    if (requested && !WaitUntil([&] { return !m_camctrl->GetSavingImageStatus(); }, kSaveWaitMs)) {
        printf("Error: the picture was not written within %d ms\n", kSaveWaitMs);
        settled = false;
    }
    // Back to live view in any case, also when no picture was asked for (the
    // camera was switched to 640 x 480 by the key).
    m_camctrl->ChangeUVCResolution(true, 320, 240);
    if (!WaitUntil([&] { return CheckCamConnected(); }, kReconnectWaitMs)) {
        printf("Error: the camera did not come back within %d ms\n", kReconnectWaitMs);
        settled = false;
    }
    usleep(200000);
    m_camctrl->SetPictureStatus(true);
    m_bPictureSequence = false;
    ShowBusy(false);
    if (!settled) {
        ChangeToNewState(CAM_STATUS_DETECT);
    }
}

void CVeltoSCMain::GiveUpPicture() {
    if (!m_bPictureSequence) {
        return;
    }
    m_bPictureSequence = false;
    printf("The picture was given up\n");
    if (m_camctrl) {
        m_camctrl->ChangeUVCResolution(true, 320, 240);
        m_camctrl->SetPictureStatus(true);
    }
}

void CVeltoSCMain::EnterMenu() {
    velto_printf(DBG_LV_DEBUG, "%s:%d Enter menu\n", "EnterMenu", __LINE__);
    if (m_pDateCtl) {
        m_pDateCtl->Show(SW_HIDE);
    }
    DisableBright();
    DisableFocus();
    if (m_pBattery) {
        m_pBattery->Show(SW_HIDE);
    }
    if (m_pRecMode) {
        m_pRecMode->Show(SW_HIDE);
    }
    if (m_pSDChecker) {
        m_pSDChecker->Show(SW_HIDE);
    }
    ShowRecordingMark(false);
    ShowBusy(false);
    PauseCamera();
}

void CVeltoSCMain::PauseCamera() {
    GiveUpPicture();
    if (m_pRecMode) {
        m_pRecMode->StopRecord();
    }
    if (m_camctrl) {
        m_camctrl->StopRecordAVI();
        m_camctrl->Stop();
    }
    ChangeToNewState(CAM_STATUS_STOP);
}

void CVeltoSCMain::ExitMenu() {
    velto_printf(DBG_LV_DEBUG, "%s:%d Exit menu\n", "ExitMenu", __LINE__);
    DisableBright();
    DisableFocus();
    if (m_pDateCtl) {
        m_pDateCtl->Show(SW_SHOW);
    }
    if (m_pBattery) {
        m_pBattery->Show(SW_SHOW);
    }
    if (m_pRecMode) {
        m_pRecMode->Show(SW_SHOW);
    }
    if (m_pSDChecker && !Velto::GetMMCFirstPart().empty()) {
        m_pSDChecker->Show(SW_SHOW);
    }
    ResumeCamera();
}

void CVeltoSCMain::ResumeCamera() {
    if (m_camctrl) {
        m_camctrl->Start();
    }
    ChangeToNewState(CAM_STATUS_DETECT);
}

bool CVeltoSCMain::InitCamera() {
    DeleteControl(m_camctrl);
    printf("Start Init camera\n");
    m_camctrl = CVeltoCamRecCtrl::CreateNew();
    if (!m_camctrl) {
        return false;
    }
    m_camctrl->Start();
    m_camctrl->ChangeBright(50);
    return true;
}

void CVeltoSCMain::RunScreen(CVeltoUIDialog* dialog) {
    if (dialog) {
        m_dlgCurDlg = dialog;
        dialog->DoModel();
        m_dlgCurDlg = nullptr;
        delete dialog;
    }
    ExitMenu();
    videoflag = true;
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    if (m_hBright && m_camctrl && m_hBright->GetScollInfo(info) && info.nMax != info.nMin) {
        if (!m_camctrl->ChangeBright((int)(info.nPos * 100.0 / (info.nMax - info.nMin)))) {
            printf("Error: CVeltoSCMain::ChangeBright\n");
        }
    }
}

void CVeltoSCMain::HandleKeyDown(UINT key) {
    if (m_ForbidKeyflag && key != VK_LEFT && key != VK_RIGHT && key != VK_UP && key != VK_DOWN &&
        key != VK_F2) {
        return;
    }
    // Keys typed while the GUI waits in the picture sequence arrive back to
    // back; one that left it (a screen, a recording at the picture size)
    // would leave the camera at 640 x 480 and the display unfed.
    if (m_bPictureSequence && (key == VK_RETURN || key == VK_F1 || key == VK_F3 || key == VK_F4)) {
        printf("Key 0x%02X ignored: a picture is being taken\n", key);
        return;
    }
    const bool recording = m_pRecMode && m_pRecMode->RecordStatus();
    switch (key) {
        case VK_RETURN:
            // Only live view leads to a picture; from any other state the
            // camera would stay at 640 x 480 with the display unfed.
            if (m_pRecMode && m_pRecMode->GetCurMode() == REC_MODE_IMAGE && m_camctrl &&
                m_curStatus == CAM_STATUS_VIEW) {
                m_bPictureSequence = true;
                m_camctrl->SetPictureStatus(false);
                m_camctrl->ChangeUVCResolution(false, 640, 480);
            }
            if (m_curStatus == CAM_STATUS_VIEW) {
                ChangeToNewState(CAM_STATUS_REC_WAIT);
            } else if (m_curStatus == CAM_STATUS_REC_VIDEO) {
                ShowBusy(true);
                ChangeToNewState(CAM_STATUS_REC_VIDEO_STOP_WAIT);
            }
            break;
        case VK_LEFT:
        case VK_RIGHT:
            DisableFocus();
            StartBrightTimer();
            if (m_hBright) {
                m_hBright->IncDec(key == VK_RIGHT);
                ChangeBright();
            }
            break;
        case VK_UP:
        case VK_DOWN:
            DisableBright();
            StartFocusTimer();
            if (!m_camctrl || m_camctrl->IsZoomSet()) {
                break;
            }
            if (m_hFocus) {
                m_hFocus->IncDec(key == VK_UP);
            }
            ChangeFocus(key == VK_UP);
            break;
        case VK_F1:
            if (m_camctrl && !recording) {
                CVeltoUIDialog* dialog = CVeltoUIDlgSetting::CreateNew(m_hInst, m_hHwnd);
                EnterMenu();
                videoflag = false;
                m_camctrl->ChangeBright(0);
                RunScreen(dialog);
            }
            break;
        case VK_F2:
            if (m_camctrl) {
                m_camctrl->RotateCW();
            }
            break;
        case VK_F3:
            if (m_pRecMode && !recording) {
                int mode = m_pRecMode->GetCurMode();
                int next = (mode == 0 || mode == 1) ? 1 - mode : 0;
                m_pRecMode->SetCurMode((RecMode)next);
            }
            break;
        case VK_F4:
            if (m_camctrl && !recording) {
                EnterMenu();
                videoflag = false;
                m_camctrl->ChangeBright(0);
                RunScreen(CVeltoUIDlgMediaNav::CreateNew(m_hInst, m_hHwnd));
            }
            break;
        default:
            break;
    }
}

void CVeltoSCMain::StartBrightTimer() {
    DisableBright();
    if (m_hBright) {
        m_hBright->Show(SW_SHOW);
    }
    m_tBrightTimer = SetTimer(m_hHwnd, TIMERID_BRIGHT_SCROLLBAR, TIMEOUT_BRIGHT_SCRLBAR_DISP,
                              fnBrightDispTimerProc);
}

void CVeltoSCMain::DisableBright() {
    if (m_tBrightTimer && m_hHwnd) {
        KillTimer(m_hHwnd, m_tBrightTimer);
    }
    m_tBrightTimer = 0;
    if (m_hBright) {
        m_hBright->Show(SW_HIDE);
    }
}

void CVeltoSCMain::StartFocusTimer() {
    DisableFocus();
    if (m_hFocus) {
        m_hFocus->Show(SW_SHOW);
    }
    m_tFocusTimer = SetTimer(m_hHwnd, TIMERID_FOCUS_SCROLLBAR, TIMEOUT_FOCUS_SCRLBAR_DISP,
                             fnFocusDispTimerProc);
}

void CVeltoSCMain::DisableFocus() {
    if (m_tFocusTimer && m_hHwnd) {
        KillTimer(m_hHwnd, m_tFocusTimer);
    }
    m_tFocusTimer = 0;
    if (m_hFocus) {
        m_hFocus->Show(SW_HIDE);
    }
}

void CVeltoSCMain::fnBrightDispTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (CVeltoSCMain* self = reinterpret_cast<CVeltoSCMain*>(GetWindowLong(hwnd, DWL_USER))) {
        self->DisableBright();
    }
}

void CVeltoSCMain::fnFocusDispTimerProc(HWND hwnd, UINT, UINT_PTR, DWORD) {
    if (CVeltoSCMain* self = reinterpret_cast<CVeltoSCMain*>(GetWindowLong(hwnd, DWL_USER))) {
        self->DisableFocus();
    }
}

void CVeltoSCMain::ChangeBright() {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    if (!m_hBright || !m_hBright->GetScollInfo(info) || info.nMax == info.nMin || !m_camctrl) {
        return;
    }
    if (!m_camctrl->ChangeBright((int)(info.nPos * 100.0 / (info.nMax - info.nMin)))) {
        printf("Error: CVeltoSCMain::ChangeBright\n");
    }
}

void CVeltoSCMain::ChangeFocus(bool) {
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    if (!m_hFocus || !m_hFocus->GetScollInfo(info) || !m_camctrl) {
        return;
    }
    printf("max = %d nPos = %d\n", info.nMax, info.nPos);
    m_camctrl->ZoomPXP((unsigned char)(info.nMax - info.nPos + 1));
}
