// The full-screen warning screens: a picture with an optional line of text,
// closed by a 1 s timer when their condition ends (or by F1 for the two
// notices). While one of the last three kinds is up, the same timer notices
// a power-off request and starts the goodbye program.
#pragma once

#include <string>

#include "app/velto_UI_PopupDialog.h"

enum WaningBoxType {
    WARNBOX_EXIT = 0,        // goodbye before power-off
    WARNBOX_USB_DEVICE = 1,  // the device is a USB disk for a PC
    WARNBOX_NoFiles = 2,
    WARNBOX_NoSpace = 3,
    WARNBOX_MAX = 4,
};

// Set once a warning screen has started the goodbye program; never cleared.
extern bool pwflag;

class CVeltoUIDlgWarning : public CVeltoUIPopupDialog {
public:
    // Null only when out of memory. The caller deletes the screen.
    static CVeltoUIDlgWarning* CreateNew(HINSTANCE hInst, HWND hParent);

    // Shows the screen of type modally: 8 when its timer closed it, 6 when
    // F1 did, 8 at once (nothing shown) for a type above WARNBOX_NoSpace; -1
    // without an instance.
    int DoModal(WaningBoxType type);
    int DoModal() override;
    void InitDialog() override;
    void DestoryDialog() override;
    INT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) override;
    virtual ~CVeltoUIDlgWarning();

    WaningBoxType m_curType;
    PSD m_pWarningImage;
    unsigned int m_tTimer;
    std::string m_strWarnText;
    HFONT m_hfTextFont;

    // How long a screen stays up after it was ended, in ms; tests shorten it.
    static unsigned s_nLingerMs;

private:
    CVeltoUIDlgWarning(HINSTANCE hInst, HWND hParent);
    void Init();
    void Release();
    void Close(INT result);
    void Paint(HWND hwnd);
    static void fnTimerProc(HWND hwnd, UINT msg, UINT_PTR id, DWORD now);
    void OnTimer();
};
