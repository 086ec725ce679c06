// The date and time editor: five fields (month, day, year, hour, minute)
// under their labels. Left and Right move between the fields with
// wrap-around, Up and Down step the current one within its range, Enter
// sets the system clock and the hardware clock to the fields, seconds 0.
#pragma once

#include "toolkit/winapi.h"

class CVeltoUICtrlDateTime {
public:
    static CVeltoUICtrlDateTime* CreateNew(HWND hParent);
    ~CVeltoUICtrlDateTime();

    // Creates the window, its labels and its fields from the current local
    // time; false when the window can't be made.
    bool InitWindow(int x, int y, int w, int h);
    HWND GetHWND() const { return m_hHwnd; }
    void DeinitWindow();
    void InitDateEdit();
    void DeinitDateEdit();
    // Wraps the position around and enables only the current field.
    void DisplayCurDatePos();
    void ChangeDateTimeValue(BOOL dec);
    void InitStaticCtrl();
    void DeinitStaticCtrl();
    void HandleKeyDown(WPARAM key);
    static LRESULT wndproc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    // Called around setting the clock; the main screen stops its timers
    // meanwhile.
    static void SetClockHooks(void (*stop)(), void (*start)());

    HWND m_hHwnd;
    HWND m_hParent;
    HWND m_hEditMonth;
    HWND m_hEditDay;
    HWND m_hEditYear;
    HWND m_hEditHour;
    HWND m_hEditMinute;
    HWND m_hStaticMonth;
    HWND m_hStaticDay;
    HWND m_hStaticYear;
    HWND m_hStaticHour;
    HWND m_hStaticMinute;
    int m_CurDatePos;  // 1 month, 2 day, 3 year, 4 hour, 5 minute

    // What the last Enter did to the clocks.
    enum ClockResult {
        CLOCK_UNTOUCHED,         // no Enter yet
        CLOCK_SET,               // the system clock and the hardware clock
        CLOCK_NOT_SET,           // the system clock or the hardware clock refused it
        CLOCK_DATE_UNSUPPORTED,  // a date the board's clock cannot hold
    };
    ClockResult m_nClockResult = CLOCK_UNTOUCHED;
    HFONT m_hfStaticFont;
    HFONT m_hfDTFont;

private:
    explicit CVeltoUICtrlDateTime(HWND hParent);
    HWND Field(int pos) const;
    // The field's number, -1 when it is empty.
    static int FieldValue(HWND field);
    // Range of the field at pos; the day's from the month and year fields.
    void Range(int pos, int& min, int& max) const;
    void SetClock();
};
