// Base of the full-screen screens without a caption (warning screens, the
// goodbye screen): a modal dialog whose extra long 8 points at the object.
#pragma once

#include "toolkit/winapi.h"

class CVeltoUIPopupDialog {
public:
    CVeltoUIPopupDialog(HINSTANCE hInst, HWND hParent);
    // Not virtual: screens deleted through a base pointer declare their own
    // virtual destructor.
    ~CVeltoUIPopupDialog();

    // Runs the screen modally; the EndDialog value, -1 without an instance.
    virtual int DoModal();
    virtual void InitDialog();
    virtual void DestoryDialog();
    virtual INT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    static INT_PTR mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_hInst;
    HWND m_hParent;
    HWND m_hHwnd;
};
