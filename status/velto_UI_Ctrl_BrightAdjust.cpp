#include "status/velto_UI_Ctrl_BrightAdjust.h"

#include <algorithm>

#include "app/velto_mwin_utils.h"
#include "status/velto_UI_Ctrl_common.h"
#include "status/velto_scrlbar1.h"

CVeltoUICtrlBrightAdjust::CVeltoUICtrlBrightAdjust(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                   int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height),
      m_pIconImg(nullptr),
      m_hBright(nullptr),
      m_hIcon(nullptr) {}

CVeltoUICtrlBrightAdjust::~CVeltoUICtrlBrightAdjust() {
    Deinit();
}

CVeltoUICtrlBrightAdjust* CVeltoUICtrlBrightAdjust::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                              int x, int y, int width, int height) {
    static bool registered = false;
    auto* c = new CVeltoUICtrlBrightAdjust(hInstance, hParent, x, y, width, height);
    c->RegisterKind(hInstance, "VeltoBrightAdjust", registered);
    c->SetBackgroundColor(Velto::kOverlayBlack);
    if (!c->Init()) {
        delete c;
        return nullptr;
    }
    return c;
}

bool CVeltoUICtrlBrightAdjust::Init() {
    if (!CMWUIBase::Init()) {
        return false;
    }
    MwRegisterVeltoScrollbar1Control(m_hInstance);  // normally done at start-up
    RECT rc;
    GetClientRect(m_hHwnd, &rc);
    int cw = rc.right, ch = rc.bottom;
    m_pIconImg = Velto::LoadImage("img/bright.gif");
    int s = (int)(ch * 0.66);
    m_hIcon = CreateWindowEx(0, "STATIC", "cs", WS_CHILD | WS_VISIBLE | SS_ICON,
                             (int)((cw - ch * 0.66) * 0.5), 0, s, s, m_hHwnd, nullptr, m_hInstance,
                             nullptr);
    SendMessage(m_hIcon, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)m_pIconImg);
    m_hBright = CreateWindowEx(0, "VeltoScrlBar1", "OK", WS_CHILD | WS_VISIBLE, 0, (int)(ch * 0.7),
                               cw, (int)(ch * 0.3), m_hHwnd, nullptr, m_hInstance, nullptr);
    SCROLLINFO info{};
    if (GetScollInfo(info)) {
        SendMessage(m_hBright, VSBM_SETPOS, (WPARAM)(info.nMin + (info.nMax - info.nMin) / 2), 0);
    }
    return true;
}

void CVeltoUICtrlBrightAdjust::Deinit() {
    if (m_hBright) {
        DestroyWindow(m_hBright);
        m_hBright = nullptr;
    }
    if (m_hIcon) {
        DestroyWindow(m_hIcon);
        m_hIcon = nullptr;
    }
    Velto::UnloadImage(m_pIconImg);
    m_pIconImg = nullptr;
    CMWUIBase::Deinit();
}

bool CVeltoUICtrlBrightAdjust::GetScollInfo(SCROLLINFO& info) {
    if (!m_hBright) {
        return false;
    }
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_POS;
    return GetVeltoScroll1InfoEx(m_hBright, &info) != 0;
}

void CVeltoUICtrlBrightAdjust::IncDec(bool up) {
    SCROLLINFO info{};
    if (!GetScollInfo(info)) {
        return;
    }
    int pos = std::clamp(info.nPos + (up ? 1 : -1), info.nMin, info.nMax);
    SendMessage(m_hBright, VSBM_SETPOS, (WPARAM)pos, 0);
}

LRESULT CVeltoUICtrlBrightAdjust::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return Velto::FillClient(hwnd, (HDC)wParam, m_cBackgroundColor);
        case WM_NCPAINT: {
            HDC hdc = GetWindowDC(hwnd);
            Velto::FillClient(hwnd, hdc, m_cBackgroundColor);
            ReleaseDC(hwnd, hdc);
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            LRESULT brush = Velto::OverlayStaticColours((HDC)wParam, (HWND)lParam, TRANSPARENT);
            SelectObject((HDC)wParam, GetStockObject(BLACK_PEN));
            return brush;
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
