#include "status/DateTimeDisplayCtrl.h"

#include <stdio.h>
#include <string.h>

#include "app/velto_timer_ids.h"
#include "platform/velto_SC_utils.h"
#include "status/velto_UI_Ctrl_common.h"

namespace {

void DateText(const tm& t, char* out, size_t size) {
    snprintf(out, size, "%04d-%02d-%02d %02d:%02d:", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
             t.tm_hour, t.tm_min);
}

void SecondsText(const tm& t, char* out, size_t size) {
    snprintf(out, size, "%02d", t.tm_sec);
}

}  // namespace

CVeltoUIDateTimeCtrl::CVeltoUIDateTimeCtrl(HINSTANCE hInstance, HWND hParent, int x, int y,
                                           int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_cTextColor(0xFF000000u),
      m_iTimerDateTime(0),
      m_hStatic(nullptr),
      m_hfStaticFont(nullptr),
      m_hTimeStatic(nullptr),
      m_last_tm{} {}

CVeltoUIDateTimeCtrl::~CVeltoUIDateTimeCtrl() {
    Deinit();
}

CVeltoUIDateTimeCtrl* CVeltoUIDateTimeCtrl::CreateNew(HINSTANCE hInstance, HWND hParent, int x,
                                                      int y, int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUIDateTimeCtrl(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoDateTimeDisplay", registered, Velto::kOverlayBlack);
}

bool CVeltoUIDateTimeCtrl::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    m_hfStaticFont =
        CreateFont((int)(ch * 0.87), 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 700, "Arialb.ttf");
    tm t = Velto::GetNow();
    m_last_tm = t;
    int dw = (int)(cw * 0.785);
    m_hStatic = CreateWindowEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE, 0, 0, dw, ch, m_hHwnd,
                               nullptr, m_hInstance, nullptr);
    m_hTimeStatic = CreateWindowEx(0, "STATIC", "", WS_CHILD | WS_VISIBLE, dw, 0, cw - dw, ch,
                                   m_hHwnd, nullptr, m_hInstance, nullptr);
    char text[64];
    for (HWND child : {m_hStatic, m_hTimeStatic}) {
        if (child && m_hfStaticFont) {
            SendMessage(child, WM_SETFONT, (WPARAM)m_hfStaticFont, 0);
        }
    }
    DateText(t, text, sizeof text);
    SendMessage(m_hStatic, WM_SETTEXT, 0, (LPARAM)text);
    SecondsText(t, text, sizeof text);
    SendMessage(m_hTimeStatic, WM_SETTEXT, 0, (LPARAM)text);
    EnableTimeDisplay(true);
    return true;
}

void CVeltoUIDateTimeCtrl::Deinit() {
    EnableTimeDisplay(false);
    if (m_hStatic) {
        DestroyWindow(m_hStatic);
        m_hStatic = nullptr;
    }
    if (m_hfStaticFont) {
        DeleteObject(m_hfStaticFont);
        m_hfStaticFont = nullptr;
    }
    CMWUIBase::Deinit();  // the seconds child goes with the window
    m_hTimeStatic = nullptr;
}

void CVeltoUIDateTimeCtrl::EnableTimeDisplay(bool enable) {
    if (enable && !m_iTimerDateTime) {
        m_iTimerDateTime =
            m_hHwnd ? (unsigned)SetTimer(m_hHwnd, TIMERID_TimeDate, 1000, fnTimeTimer) : 0;
        if (!m_iTimerDateTime) {
            printf("%s:%d Error: Create timer\n", __FUNCTION__, __LINE__);
        }
    } else if (!enable && m_iTimerDateTime) {
        if (m_hHwnd) {
            KillTimer(m_hHwnd, m_iTimerDateTime);
        }
        m_iTimerDateTime = 0;
    }
}

void CVeltoUIDateTimeCtrl::fnTimeTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUIDateTimeCtrl*>(GetWindowLong(hwnd, 8));
    if (self) {
        self->OnTick();
    }
}

void CVeltoUIDateTimeCtrl::OnTick() {
    tm t = Velto::GetNow();
    if (!IsVisable()) {
        return;
    }
    char text[64];
    if (t.tm_year != m_last_tm.tm_year || t.tm_mon != m_last_tm.tm_mon ||
        t.tm_mday != m_last_tm.tm_mday || t.tm_hour != m_last_tm.tm_hour ||
        t.tm_min != m_last_tm.tm_min) {
        DateText(t, text, sizeof text);
        SetWindowText(m_hStatic, text);
    }
    SecondsText(t, text, sizeof text);
    SetWindowText(m_hTimeStatic, text);
    m_last_tm = t;
}

LRESULT CVeltoUIDateTimeCtrl::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
        case WM_DESTROY:
        case WM_PAINT:
        case WM_ERASEBKGND:
            return 0;
        case WM_CTLCOLORSTATIC: {
            HWND child = (HWND)lParam;
            if (child == m_hStatic || child == m_hTimeStatic) {
                return Velto::OverlayStaticColours((HDC)wParam, child, OPAQUE);
            }
            return DefWindowProc(hwnd, msg, wParam, lParam);
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
