// The main controller: the full-screen main window on which the live camera
// picture shows, the status controls drawn over it, the camera controller,
// the key map, and a 200 ms tick that keeps the watchdog alive, hands the
// media to a PC, warns of low space, shows the goodbye screen on a power-off
// request and steps the camera state machine. Everything runs on the GUI
// thread; modal screens run on top while the controller is in menu state
// (icons hidden, camera stopped, light off).
#pragma once

#include "camera/velto_CamRec_Ctrl.h"
#include "toolkit/winapi.h"

class CVeltoUIDateTimeCtrl;
class CVeltoUICtrlPowerIcon;
class CVeltoUICtrlRecMode;
class CVeltoUICtrlSDChecker;
class CVeltoUICtrlBrightAdjust;
class CVeltoUICtrlFocusAdjust;
class CVeltoUICtrlImageDisplayer;
class CVeltoUIDialog;

enum CamStatus {
    CAM_STATUS_STOP = 0,                 // paused: a menu or screen is up
    CAM_STATUS_DETECT = 1,               // waiting for a camera to stream
    CAM_STATUS_VIEW = 2,                 // live view
    CAM_STATUS_REC_WAIT = 3,             // Enter in live view: picture or video
    CAM_STATUS_REC_VIDEO_WAIT = 4,       // about to record
    CAM_STATUS_REC_VIDEO = 5,            // recording
    CAM_STATUS_REC_VIDEO_STOP_WAIT = 6,  // Enter while recording
    CAM_STATUS_REC_IMAGE_WAIT = 7,       // about to take a picture
    CAM_STATUS_REC_IMAGE = 8,            // taking a picture
    CAM_STATUS_USBDevice_Connected = 9,  // never entered
};

// Free KiB where new media go: the SD card, else the internal medium, else
// 100 (no medium).
long GetAvailSpace();

class CVeltoSCMain {
public:
    // No window yet; null only when out of memory.
    static CVeltoSCMain* CreateNew(HINSTANCE hInst);
    ~CVeltoSCMain();  // DestoryDialog

    CVeltoSCMain(const CVeltoSCMain&) = delete;
    CVeltoSCMain& operator=(const CVeltoSCMain&) = delete;

    // Runs the main window modally until it is destroyed; -1 without an
    // instance.
    int DoModel();
    // The state machine and the clock; the date screen stops them while it
    // sets the clock.
    bool StartAllTimer();
    void StopAllTimer();

    static const char* GetStateString(CamStatus status);
    CamStatus GetCurStatus() const { return m_curStatus; }
    CVeltoCamRecCtrl* GetCamCtrl() const { return m_camctrl; }
    HWND GetHwnd() const { return m_hHwnd; }

    static INT_PTR mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

private:
    explicit CVeltoSCMain(HINSTANCE hInst);

    void InitDialog();
    void DestoryDialog();
    void CreateControls();
    void HandleKeyDown(UINT key);

    bool StartStateMachine();
    void StopStateMachine();
    static void fnStateMachineTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void StateMachine();
    void CameraStep();
    void ChangeToNewState(CamStatus status);
    void UsbDeviceSequence();
    // The no-space screen between menu entry and exit.
    void NoSpaceWarning(bool print);
    void TakePicture();
    // Ends a picture sequence that will not reach TakePicture (a screen took
    // over first): live size and display feed again.
    void GiveUpPicture();

    void EnterMenu();
    void ExitMenu();
    void PauseCamera();
    void ResumeCamera();
    bool InitCamera();
    bool CheckCamConnected() const;
    bool IsCameraPlaying() const;
    bool IsCameraRecording() const;
    // Runs a settings or media screen over the live view (F1, F4).
    void RunScreen(CVeltoUIDialog* dialog);

    void StartBrightTimer();
    void DisableBright();
    void StartFocusTimer();
    void DisableFocus();
    static void fnBrightDispTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    static void fnFocusDispTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void ChangeBright();
    void ChangeFocus(bool up);
    void ShowBusy(bool show);
    void ShowRecordingMark(bool show);

    CVeltoUIDateTimeCtrl* m_pDateCtl;
    CVeltoUICtrlPowerIcon* m_pBattery;
    CVeltoUICtrlRecMode* m_pRecMode;
    CVeltoUICtrlSDChecker* m_pSDChecker;
    CamStatus m_curStatus;
    CamStatus m_lastStatus;
    unsigned int m_tStateMachineTimer;
    HWND m_hHwnd;
    HINSTANCE m_hInst;
    CVeltoUICtrlBrightAdjust* m_hBright;
    CVeltoUICtrlFocusAdjust* m_hFocus;
    unsigned int m_tBrightTimer;
    unsigned int m_tFocusTimer;
    CVeltoCamRecCtrl* m_camctrl;
    CVeltoUICtrlImageDisplayer* m_pRecordingImageCtrl;
    CVeltoUICtrlImageDisplayer* m_pFunnelCtrl;
    CVeltoUIDialog* m_dlgCurDlg;
    bool m_bTimerContinue;
    DWORD m_nLastWatchTick;
    bool m_bCanEnterSpaceAutoWarn;
    bool m_pwflag;
    bool m_ForbidKeyflag;
    // From Enter in picture mode until the picture is written or given up:
    // the camera then runs at 640 x 480 and the display is not fed.
    bool m_bPictureSequence;
};
