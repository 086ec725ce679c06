#include "status/velto_UI_Ctrl_SDChecker.h"

#include <stdio.h>

#include "app/velto_mwin_utils.h"
#include "app/velto_timer_ids.h"
#include "platform/velto_SC_utils.h"
#include "status/velto_UI_Ctrl_common.h"

CVeltoUICtrlSDChecker::CVeltoUICtrlSDChecker(HINSTANCE hInstance, HWND hParent, int x, int y,
                                             int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_tTimerChecker(0),
      m_hImgStaticCtrl(nullptr),
      m_pImgSD(nullptr) {}

CVeltoUICtrlSDChecker::~CVeltoUICtrlSDChecker() {
    Deinit();
    printf("CVeltoUICtrlSDChecker::~CVeltoUICtrlSDChecker\n");
}

CVeltoUICtrlSDChecker* CVeltoUICtrlSDChecker::CreateNew(HINSTANCE hInstance, HWND hParent, int x,
                                                        int y, int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlSDChecker(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoSDChecker", registered, Velto::kOverlayBlack);
}

bool CVeltoUICtrlSDChecker::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    m_pImgSD = Velto::LoadImage("img/sd.png");
    RECT wr;
    GetWindowRect(m_hHwnd, &wr);
    m_hImgStaticCtrl =
        CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, wr.right - wr.left,
                       wr.bottom - wr.top, m_hHwnd, nullptr, m_hInstance, nullptr);
    SendMessage(m_hImgStaticCtrl, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pImgSD);
    if (Velto::GetMMCFirstPart().empty()) {
        Show(SW_HIDE);
    }
    m_tTimerChecker = (unsigned)SetTimer(m_hHwnd, TIMERID_SDCHECKER, 2500, fnCheckTimer);
    return true;
}

void CVeltoUICtrlSDChecker::Deinit() {
    if (m_tTimerChecker && m_hHwnd) {
        KillTimer(m_hHwnd, m_tTimerChecker);
    }
    m_tTimerChecker = 0;
    if (m_hImgStaticCtrl) {
        DestroyWindow(m_hImgStaticCtrl);
        m_hImgStaticCtrl = nullptr;
    }
    Velto::UnloadImage(m_pImgSD);
    m_pImgSD = nullptr;
    CMWUIBase::Deinit();
}

void CVeltoUICtrlSDChecker::fnCheckTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
    auto* self = reinterpret_cast<CVeltoUICtrlSDChecker*>(GetWindowLong(hwnd, 8));
    if (self) {
        self->CheckCard();
    }
}

void CVeltoUICtrlSDChecker::CheckCard() {
    std::string cur = Velto::GetMMCFirstPart();
    if (!cur.empty()) {
        if (cur != m_strCurSDPath) {
            m_strCurSDPath = cur;
            printf("Found sd card on %s\n", cur.c_str());
            Show(SW_SHOW);
        }
        if (!IsVisable()) {
            Show(SW_SHOW);
        }
        return;
    }
    if (!m_strCurSDPath.empty()) {
        Show(SW_HIDE);
        m_strCurSDPath.clear();
    }
    if (IsVisable()) {
        Show(SW_HIDE);
    }
}

LRESULT CVeltoUICtrlSDChecker::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CTLCOLORSTATIC:
            return Velto::OverlayStaticColours((HDC)wParam, (HWND)lParam, OPAQUE);
        default:
            return Velto::OverlayControlProc(hwnd, msg, wParam, lParam, Velto::kOverlayBlack);
    }
}
