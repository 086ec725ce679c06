// Base of the full-screen screens with a caption bar: a modal dialog whose
// extra long 8 points at the object, a blue caption (a STATIC) across the
// top and a white client frame ("VeltoDLGFrame") below it.
#pragma once

#include <string>

#include "toolkit/winapi.h"

class CVeltoUIDialog {
public:
    CVeltoUIDialog(HINSTANCE hInst, HWND hParent, WORD id);

    // Places the window over the screen, builds frame and caption. Screens
    // call it first from their own.
    virtual void InitDialog();
    // Releases frame, caption and font and detaches the window. Screens call
    // it last from their own.
    virtual void DestoryDialog();
    virtual INT DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    // Sends WM_DESTROY when the window still exists.
    virtual ~CVeltoUIDialog();

    // Runs the screen modally; the EndDialog value, -1 without an instance.
    int DoModel();
    // Stores the caption text (when not null) and shows it in a new caption
    // font sized to the caption bar.
    void SetCaption(const char* name);
    // Sends WM_DESTROY to the dialog window when it exists.
    void Destroy();
    void InitFrame();
    void UninitFrame();

    // Dialog procedure of every framed screen.
    static INT_PTR mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    // Window procedure of the client frame.
    static LRESULT frameproc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_hInst;
    HWND m_hParent;
    HWND m_hHwnd;
    HWND m_hCaption;
    WORD m_DlgID;
    HWND m_hFrame;
    std::string m_strCaptName;
    HFONT m_hfCaptionFont;
};
