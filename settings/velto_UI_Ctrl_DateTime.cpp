#include "settings/velto_UI_Ctrl_DateTime.h"

#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "app/velto_mwin_utils.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace {

constexpr const char* kClassName = "VELTOCTRLDATE";
constexpr int kMinYear = 2010;
constexpr int kMaxYear = 2099;

void (*s_stopTimers)() = nullptr;
void (*s_startTimers)() = nullptr;

void Destroy(HWND& hwnd) {
    if (hwnd) {
        DestroyWindow(hwnd);
        hwnd = nullptr;
    }
}

int DaysInMonth(int month, int year) {
    switch (month) {
        case -1:  // no month to go by
        case 1:
        case 3:
        case 5:
        case 7:
        case 8:
        case 10:
        case 12:
            return 31;
        case 4:
        case 6:
        case 9:
        case 11:
            return 30;
        case 2:
            return year >= 0 && year % 4 == 0 ? 29 : 28;
        default:
            return 0;
    }
}

}  // namespace

CVeltoUICtrlDateTime::CVeltoUICtrlDateTime(HWND hParent)
    : m_hHwnd(nullptr),
      m_hParent(hParent),
      m_hEditMonth(nullptr),
      m_hEditDay(nullptr),
      m_hEditYear(nullptr),
      m_hEditHour(nullptr),
      m_hEditMinute(nullptr),
      m_hStaticMonth(nullptr),
      m_hStaticDay(nullptr),
      m_hStaticYear(nullptr),
      m_hStaticHour(nullptr),
      m_hStaticMinute(nullptr),
      m_CurDatePos(1),
      m_hfStaticFont(nullptr),
      m_hfDTFont(nullptr) {}

CVeltoUICtrlDateTime::~CVeltoUICtrlDateTime() {
    DeinitWindow();
}

CVeltoUICtrlDateTime* CVeltoUICtrlDateTime::CreateNew(HWND hParent) {
    return new CVeltoUICtrlDateTime(hParent);
}

void CVeltoUICtrlDateTime::SetClockHooks(void (*stop)(), void (*start)()) {
    s_stopTimers = stop;
    s_startTimers = start;
}

bool CVeltoUICtrlDateTime::InitWindow(int x, int y, int w, int h) {
    DeinitWindow();
    WNDCLASS wc{};
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = wndproc;
    wc.cbWndExtra = 16;
    wc.hbrBackground = (HBRUSH)GetStockObject(LTGRAY_BRUSH);
    wc.lpszClassName = kClassName;
    RegisterClass(&wc);  // fails harmlessly once registered
    m_hHwnd = CreateWindowEx(0, kClassName, "", WS_CHILD | WS_VISIBLE, x, y, w, h, m_hParent,
                             nullptr, nullptr, this);
    if (!m_hHwnd) {
        return false;
    }
    InitStaticCtrl();
    InitDateEdit();
    return true;
}

void CVeltoUICtrlDateTime::DeinitWindow() {
    DeinitDateEdit();
    DeinitStaticCtrl();
    if (m_hHwnd) {
        SetWindowLong(m_hHwnd, 8, 0);
        Destroy(m_hHwnd);
    }
}

void CVeltoUICtrlDateTime::InitStaticCtrl() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hHwnd, &rc);
    int ch = rc.bottom - rc.top;
    int b = (int)(ch * 0.14);
    m_hfStaticFont = CreateFont(b, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arialb.ttf");
    auto make = [&](const char* text, int x, int y, int w) {
        HWND s = CreateWindowEx(0, "STATIC", text, WS_CHILD | WS_VISIBLE | SS_CENTER, x, y, w,
                                b + 7, m_hHwnd, nullptr, nullptr, nullptr);
        SendMessage(s, WM_SETFONT, (WPARAM)m_hfStaticFont, 0);
        return s;
    };
    m_hStaticMonth = make("Month", 0, 0, 4 * b);
    m_hStaticDay = make("Day", 4 * b, 0, 3 * b);
    m_hStaticYear = make("Year", 7 * b, 0, 3 * b);
    m_hStaticHour = make("Time(24)", (int)(2.5 * b), 2 * b + ch / 15, 5 * b);
}

void CVeltoUICtrlDateTime::DeinitStaticCtrl() {
    for (HWND* s :
         {&m_hStaticMonth, &m_hStaticDay, &m_hStaticYear, &m_hStaticHour, &m_hStaticMinute}) {
        Destroy(*s);
    }
    if (m_hfStaticFont) {
        DeleteObject(m_hfStaticFont);
        m_hfStaticFont = nullptr;
    }
}

void CVeltoUICtrlDateTime::InitDateEdit() {
    RECT rc{0, 0, 0, 0};
    GetClientRect(m_hHwnd, &rc);
    int W = rc.right - rc.left, H = rc.bottom - rc.top;
    int f = (int)(H * 0.14);
    int fh = f + H / 25;
    int top = H / 6, low = (int)(H / 6 + 2.5 * f);
    m_hfDTFont = CreateFont(f, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 4, 700, "Arialb.ttf");
    auto make = [&](int x, int y, int w) {
        return CreateWindowEx(0, "VeltoNewEDIT", "", WS_CHILD | WS_VISIBLE, x, y, w, fh, m_hHwnd,
                              nullptr, nullptr, nullptr);
    };
    m_hEditMonth = make(f, top, W / 6);
    m_hEditDay = make(f + H / 25 + 3 * f, top, W / 6);
    m_hEditYear = make(f + H / 25 + 6 * f, top, W / 5);
    m_hEditHour = make(2 * f + H / 25, low, W / 6);
    m_hEditMinute = make(5 * f + H / 25, low, W / 6);

    tm now = Velto::GetNow();
    int values[5] = {now.tm_mon + 1, now.tm_mday, now.tm_year + 1900, now.tm_hour, now.tm_min};
    for (int pos = 1; pos <= 5; ++pos) {
        HWND field = Field(pos);
        if (!field) {
            continue;
        }
        char text[8];
        snprintf(text, sizeof text, pos == 3 ? "%04d" : "%02d", values[pos - 1]);
        SendMessage(field, WM_SETFONT, (WPARAM)m_hfDTFont, 0);
        SendMessage(field, WM_SETTEXT, 0, (LPARAM)text);
        SendMessage(field, WM_KILLFOCUS, 0, 0);
        SendMessage(field, WM_ENABLE, 0, 0);
    }
    DisplayCurDatePos();
}

void CVeltoUICtrlDateTime::DeinitDateEdit() {
    for (HWND* e : {&m_hEditMonth, &m_hEditDay, &m_hEditYear, &m_hEditHour, &m_hEditMinute}) {
        Destroy(*e);
    }
    if (m_hfDTFont) {
        DeleteObject(m_hfDTFont);
        m_hfDTFont = nullptr;
    }
}

HWND CVeltoUICtrlDateTime::Field(int pos) const {
    switch (pos) {
        case 1:
            return m_hEditMonth;
        case 2:
            return m_hEditDay;
        case 3:
            return m_hEditYear;
        case 4:
            return m_hEditHour;
        case 5:
            return m_hEditMinute;
        default:
            return nullptr;
    }
}

int CVeltoUICtrlDateTime::FieldValue(HWND field) {
    if (!field) {
        return -1;
    }
    char text[33] = "";
    SendMessage(field, WM_GETTEXT, sizeof text, (LPARAM)text);
    if (!text[0]) {
        return -1;
    }
    return atoi(text);
}

void CVeltoUICtrlDateTime::DisplayCurDatePos() {
    if (m_CurDatePos <= 0) {
        m_CurDatePos = 5;
    } else if (m_CurDatePos >= 6) {
        m_CurDatePos = 1;
    }
    for (int pos = 1; pos <= 5; ++pos) {
        if (HWND field = Field(pos)) {
            SendMessage(field, WM_ENABLE, 0, 0);
        }
    }
    if (HWND cur = Field(m_CurDatePos)) {
        SendMessage(cur, WM_ENABLE, 1, 0);
    }
}

void CVeltoUICtrlDateTime::Range(int pos, int& min, int& max) const {
    switch (pos) {
        case 1:
            min = 1, max = 12;
            break;
        case 2:
            min = 1, max = DaysInMonth(FieldValue(m_hEditMonth), FieldValue(m_hEditYear));
            break;
        case 3:
            min = kMinYear, max = kMaxYear;
            break;
        case 4:
            min = 0, max = 23;
            break;
        default:
            min = 0, max = 59;
            break;
    }
}

void CVeltoUICtrlDateTime::ChangeDateTimeValue(BOOL dec) {
    HWND field = Field(m_CurDatePos);
    char text[5] = "";
    if (!field) {
        return;
    }
    SendMessage(field, WM_GETTEXT, sizeof text, (LPARAM)text);
    if (!text[0]) {
        return;
    }
    int min = 0, max = 0;
    Range(m_CurDatePos, min, max);
    int value = atoi(text);
    if (dec) {
        value = value - 1 < min ? max : value - 1;
    } else {
        value = value + 1 > max ? min : value + 1;
    }
    char out[8];
    snprintf(out, sizeof out, m_CurDatePos == 3 ? "%04d" : "%02d", value);
    SendMessage(field, WM_SETTEXT, 0, (LPARAM)out);
}

void CVeltoUICtrlDateTime::SetClock() {
    tm t = Velto::GetNow();
    printf("StopStateMachine\n");
    if (s_stopTimers) {
        s_stopTimers();
    }
    int year = FieldValue(m_hEditYear), month = FieldValue(m_hEditMonth);
    int day = FieldValue(m_hEditDay), hour = FieldValue(m_hEditHour);
    int minute = FieldValue(m_hEditMinute);
    if (year >= 0) {
        t.tm_year = year - 1900;
    }
    if (month >= 0) {
        t.tm_mon = month - 1;
    }
    if (day >= 0) {
        t.tm_mday = day;
    }
    if (hour >= 0) {
        t.tm_hour = hour;
    }
    if (minute >= 0) {
        t.tm_min = minute;
    }
    t.tm_sec = 0;
    t.tm_isdst = -1;
    // 31 April becomes 1 May.
    time_t ts = Velto::validate_tm_time(&t);
    printf("ts.tv_sec = %lld\n", (long long)ts);
    m_nClockResult = CLOCK_SET;
    if (ts == (time_t)-1) {
        m_nClockResult = CLOCK_DATE_UNSUPPORTED;
    } else {
        if (Board().SetTime(ts) != 0) {
            int err = errno;
            printf("Error: stime(%s)\n", strerror(err));
            // A kernel with a 32-bit clock ends in January 2038.
            m_nClockResult = err == EOVERFLOW ? CLOCK_DATE_UNSUPPORTED : CLOCK_NOT_SET;
        }
        if (!Velto::set_rtc_time(t) && m_nClockResult == CLOCK_SET) {
            m_nClockResult = CLOCK_NOT_SET;
        }
    }
    if (s_startTimers) {
        s_startTimers();
    }
}

void CVeltoUICtrlDateTime::HandleKeyDown(WPARAM key) {
    switch (key) {
        case VK_LEFT:
            --m_CurDatePos;
            DisplayCurDatePos();
            printf("%s:%d Left down\n", __func__, __LINE__);
            break;
        case VK_RIGHT:
            ++m_CurDatePos;
            DisplayCurDatePos();
            printf("%s:%d Right down\n", __func__, __LINE__);
            break;
        case VK_UP:
            printf("%s:%d Up down\n", __func__, __LINE__);
            ChangeDateTimeValue(FALSE);
            break;
        case VK_DOWN:
            printf("%s:%d Down down\n", __func__, __LINE__);
            ChangeDateTimeValue(TRUE);
            break;
        case VK_RETURN:
            SetClock();
            break;
        default:
            break;
    }
}

LRESULT CVeltoUICtrlDateTime::wndproc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            auto* cs = reinterpret_cast<CREATESTRUCT*>(lParam);
            SetWindowLong(hwnd, 8, (LONG)(intptr_t)cs->lpCreateParams);
            return 0;
        }
        case WM_PAINT:
            Velto::PaintClientColour(hwnd, 0xFFFFFFFFu);
            return 0;
        case WM_KEYDOWN: {
            auto* self = reinterpret_cast<CVeltoUICtrlDateTime*>(GetWindowLong(hwnd, 8));
            if (self) {
                self->HandleKeyDown(wParam);
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC:
            return Velto::WhiteStaticBrush((HWND)lParam);
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
