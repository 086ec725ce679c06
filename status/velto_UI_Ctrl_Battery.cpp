#include "status/velto_UI_Ctrl_Battery.h"

#include <stdio.h>

#include <algorithm>

#include "platform/velto_SC_utils.h"
#include "status/velto_UI_Ctrl_common.h"

CVeltoUICtrlBattery* CVeltoUICtrlBattery::CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                    int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlBattery(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoBattery", registered, Velto::kOverlayBlack);
}

CVeltoUICtrlBattery::~CVeltoUICtrlBattery() {
    CMWUIBase::Deinit();
    printf("CVeltoUICtrlBattery::~CVeltoUICtrlBattery\n");
}

void CVeltoUICtrlBattery::RefreshPercent(unsigned percent) {
    if (!m_hHwnd || percent == m_nCurBatteryPerc) {
        return;
    }
    m_nCurBatteryPerc = std::min(percent, 100u);
    SendMessage(m_hHwnd, WM_PAINT, 0, 0);
}

void CVeltoUICtrlBattery::SetBatteryColor(COLORREF color) {
    if (m_hHwnd && color != m_cBatteryColor) {
        m_cBatteryColor = color;
        UpdateWindow(m_hHwnd);
    }
}

void CVeltoUICtrlBattery::SetPowerColor(COLORREF color) {
    if (m_hHwnd && color != m_cPowerColor) {
        m_cPowerColor = color;
        UpdateWindow(m_hHwnd);
    }
}

void CVeltoUICtrlBattery::SetBackgroundColor(COLORREF color) {
    if (m_hHwnd && color != m_cBackgroundColor) {
        m_cBackgroundColor = color;
        UpdateWindow(m_hHwnd);
    }
}

void CVeltoUICtrlBattery::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    int lw = std::max(1, (int)(rc.bottom / 5.5));
    int bw = rc.right - 2 * lw;
    int bh = rc.bottom;
    RECT body{l, t, l + bw, b};
    FastFillRect(hdc, &body, m_cBatteryColor);
    RECT hollow{l + lw, t + lw, l + bw - lw, b - lw};
    FastFillRect(hdc, &hollow, m_cBackgroundColor);
    int termTop = t + (bh - bh / 2) / 2;
    RECT terminal{l + r + lw / 2 - 2 * lw, termTop, r, termTop + bh / 2};
    FastFillRect(hdc, &terminal, m_cBatteryColor);
    // The level follows the battery as it is now, not the last figure.
    unsigned p = Velto::GetBatteryPowerPercent();
    int h = lw / 2;
    RECT level{h + lw, h + lw, (int)((bw - lw - h) * p / 100.0), bh - lw - h};
    if (level.right > level.left) {
        FastFillRect(hdc, &level, m_cBatteryColor);
    }
    EndPaint(hwnd, &ps);
}

LRESULT CVeltoUICtrlBattery::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return Velto::FillClient(hwnd, (HDC)wParam, m_cBackgroundColor);
        case WM_CREATE:
        case WM_DESTROY:
            return 0;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
