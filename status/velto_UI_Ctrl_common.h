// What the status controls share: the overlay colours and the colours of
// their static children.
#pragma once

#include "toolkit/winapi.h"

namespace Velto {

constexpr COLORREF kOverlayBlack = 0xFF010101u;  // the video shows through
constexpr COLORREF kTextWhite = 0xFFFFFFFFu;

// The answer of a status control to WM_CTLCOLORSTATIC for child: white text
// on the overlay black in bkMode with the child's font, and a fresh overlay
// brush that the child keeps as its paint brush.
inline LRESULT OverlayStaticColours(HDC hdc, HWND child, int bkMode) {
    SetTextColor(hdc, kTextWhite);
    SetBkColor(hdc, kOverlayBlack);
    SetBkMode(hdc, bkMode);
    HGDIOBJ font = (HGDIOBJ)SendMessage(child, WM_GETFONT, 0, 0);
    if (font) {
        SelectObject(hdc, font);
    }
    HBRUSH brush = CreateSolidBrush(kOverlayBlack);
    MwSetWindowPaintBrush(child, brush);
    return (LRESULT)brush;
}

// Fills the client area of hwnd with colour (the controls' WM_ERASEBKGND).
inline LRESULT FillClient(HWND hwnd, HDC hdc, COLORREF colour) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    FastFillRect(hdc, &rc, colour);
    return 1;
}

// What a status control answers to the messages it does not handle
// itself: nothing of its own to paint (its children paint), the background
// in colour, the rest to DefWindowProc.
inline LRESULT OverlayControlProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                  COLORREF colour) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return FillClient(hwnd, (HDC)wParam, colour);
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

// Shows or hides a child window only when that changes something.
inline void ShowIfChanged(HWND hwnd, bool show) {
    bool shown = (GetWindowLong(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (hwnd && shown != show) {
        ShowWindow(hwnd, show ? SW_SHOW : SW_HIDE);
    }
}

}  // namespace Velto
