#include "status/velto_UI_Ctrl_PowerIcon.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "status/velto_UI_Ctrl_common.h"

namespace {

constexpr COLORREF kGreen = 0xFF00FF00u;
constexpr COLORREF kRed = 0xFF0000FFu;
constexpr unsigned kLowPercent = 31;   // red and blinking at or below
constexpr unsigned kEmptyPercent = 1;  // power-off at or below

}  // namespace

CVeltoUICtrlPowerIcon::CVeltoUICtrlPowerIcon(HINSTANCE hInstance, HWND hParent, int x, int y,
                                             int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_pPlugImage(nullptr),
      m_pBattery(nullptr),
      m_nTimerID(0),
      m_pPlugImageStatic(nullptr) {}

CVeltoUICtrlPowerIcon::~CVeltoUICtrlPowerIcon() {
    Deinit();
}

CVeltoUICtrlPowerIcon* CVeltoUICtrlPowerIcon::CreateNew(HINSTANCE hInstance, HWND hParent, int x,
                                                        int y, int width, int height) {
    printf("%s:%d w=%d,h=%d\n", __FUNCTION__, __LINE__, width, height);
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlPowerIcon(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoPowerIcon", registered, Velto::kOverlayBlack);
}

bool CVeltoUICtrlPowerIcon::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    m_pPlugImage = Velto::LoadImage("img/plug.gif");
    m_pPlugImageStatic =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, rc.right,
                       rc.bottom, m_hHwnd, nullptr, m_hInstance, nullptr);
    SendMessage(m_pPlugImageStatic, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pPlugImage);
    m_pBattery = CVeltoUICtrlBattery::CreateNew(m_hInstance, m_hHwnd, 0, 0, rc.right,
                                                (int)(rc.bottom * 0.7));
    if (m_pBattery) {
        m_pBattery->SetBatteryColor(kGreen);
        m_pBattery->SetPowerColor(kGreen);
        m_pBattery->Show(SW_HIDE);
    }
    CheckPower();
    m_nTimerID = (unsigned)SetTimer(m_hHwnd, TIMERID_BATTERY, 2000, fnCheckTimer);
    if (!m_nTimerID) {
        printf("%s:%d Error: Create timer\n", __FUNCTION__, __LINE__);
    }
    return true;
}

void CVeltoUICtrlPowerIcon::Deinit() {
    if (m_nTimerID && m_hHwnd) {
        KillTimer(m_hHwnd, m_nTimerID);
    }
    m_nTimerID = 0;
    delete m_pBattery;
    m_pBattery = nullptr;
    if (m_pPlugImageStatic) {
        DestroyWindow(m_pPlugImageStatic);
        m_pPlugImageStatic = nullptr;
    }
    Velto::UnloadImage(m_pPlugImage);
    m_pPlugImage = nullptr;
    CMWUIBase::Deinit();
}

void CVeltoUICtrlPowerIcon::fnCheckTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUICtrlPowerIcon*>(GetWindowLong(hwnd, 8));
    if (self) {
        self->CheckPower();
    }
}

void CVeltoUICtrlPowerIcon::CheckPower() {
    if (!IsVisable()) {
        return;
    }
    if (Velto::IsACOnline()) {
        Velto::ShowIfChanged(m_pPlugImageStatic, true);
        if (m_pBattery && m_pBattery->IsVisable()) {
            m_pBattery->Show(SW_HIDE);
        }
        return;
    }
    Velto::ShowIfChanged(m_pPlugImageStatic, false);
    if (!m_pBattery) {
        return;
    }
    unsigned p = Velto::GetBatteryPowerPercent();
    if (p > kLowPercent) {
        m_pBattery->SetBatteryColor(kGreen);
    } else {
        m_pBattery->SetBatteryColor(kRed);
        if (p <= kEmptyPercent) {
            Board().Sync();
            SetPowerOffStatus();
        }
    }
    if (!m_pBattery->IsVisable()) {
        m_pBattery->Show(SW_SHOW);
    } else if (p <= kLowPercent) {
        m_pBattery->Show(SW_HIDE);
    }
    m_pBattery->RefreshPercent(p);
}

LRESULT CVeltoUICtrlPowerIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_ERASEBKGND:
            return Velto::FillClient(hwnd, (HDC)wParam, m_cBackgroundColor);
        case WM_CTLCOLORSTATIC:
            return Velto::OverlayStaticColours((HDC)wParam, (HWND)lParam, OPAQUE);
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        default:
            return 0;
    }
}
