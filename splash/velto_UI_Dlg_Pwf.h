// The goodbye screen: "/usr/velto/img/bye.png" over the whole screen for
// 1.5 s. Keys neither shorten nor extend it.
#pragma once

#include "app/velto_UI_PopupDialog.h"
#include "toolkit/winapi.h"

// Kinds of full-screen warning; this program shows only the goodbye one.
enum WaningBoxType {
    WARNBOX_EXIT = 0,
};

// Id of the close timer (one table with the main program's timers).
const UINT_PTR TIMERID_WarnBox_GENERAL = 0x10000008;

class CVeltoUIDlgPwf : public CVeltoUIPopupDialog {
public:
    // Null when the screen cannot be made.
    static CVeltoUIDlgPwf* CreateNew(HINSTANCE hInst, HWND hParent);
    virtual ~CVeltoUIDlgPwf();

    // Runs the screen; 8 when its time is up. Kinds other than WARNBOX_EXIT
    // return 8 at once without showing anything.
    int DoModal(WaningBoxType type);
    using CVeltoUIPopupDialog::DoModal;

    void InitDialog() override;
    void DestoryDialog() override;
    INT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;

    static const int kResultClosed = 8;
    static const UINT kCloseMs = 1500;

private:
    CVeltoUIDlgPwf(HINSTANCE hInst, HWND hParent);
    bool Init();
    void Deinit();
    static void CALLBACK TimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD time);
    const char* PictureFile() const;

    WaningBoxType m_curType = WARNBOX_EXIT;
    PSD m_pWarningImage = nullptr;
    unsigned int m_tTimer = 0;
};
