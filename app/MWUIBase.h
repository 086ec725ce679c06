// Base of every control drawn over the live picture: owns one toolkit
// window whose extra long 8 points back at the object, and forwards the
// window's messages to the virtual WindowProc.
#pragma once

#include <string>

#include "toolkit/winapi.h"

class CMWUIBase {
public:
    // Stores the rectangle in the parent; no window yet.
    CMWUIBase(HINSTANCE hInstance, HWND hParent, int x, int y, int width, int height);
    // Destroys the window (Deinit).
    virtual ~CMWUIBase();

    // Creates the window of m_sClassName (a child of the parent when one is
    // given) and attaches the object; false when it could not be created.
    virtual bool Init();
    // Destroys the window if any; safe to call twice.
    virtual void Deinit();
    virtual LRESULT WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;

    // Stores className and registers the class for this kind of control;
    // returns the RegisterClass result (0 when it failed or existed).
    int MwRegisterUIControl(HINSTANCE hInstance, char* className);
    // Stores className for this instance and registers the class unless the
    // toolkit already has it; registered is the kind's own flag. True when
    // the class exists afterwards.
    bool RegisterKind(HINSTANCE hInstance, const char* className, bool& registered);
    // Makes a new control ready: className registered once per kind (the
    // kind's own flag), the background colour and the window. Null, the
    // control deleted, when the window could not be made.
    template <class T>
    static T* SetUpNew(T* control, HINSTANCE hInstance, const char* className, bool& registered,
                       COLORREF background) {
        control->RegisterKind(hInstance, className, registered);
        control->SetBackgroundColor(background);
        if (!control->Init()) {
            delete control;
            return nullptr;
        }
        return control;
    }
    // ShowWindow on the control's window; FALSE without a window.
    BOOL Show(int nCmdShow);
    // True while the window has WS_VISIBLE.
    bool IsVisable();
    // Stores a changed colour and repaints the window at once.
    void SetBackgroundColor(COLORREF color);

    // The class procedure of every control: finds the object in the window's
    // long 8; answers 0 while none is attached.
    static LRESULT mainDlgProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    HWND m_hHwnd;
    HWND m_hParent;
    HINSTANCE m_hInstance;
    RECT m_curRect;
    std::string m_sClassName;
    COLORREF m_cBackgroundColor;
};
