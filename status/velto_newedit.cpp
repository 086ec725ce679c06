#include "status/velto_newedit.h"

namespace {

LRESULT NewEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC hdc = BeginPaint(hwnd, &ps);
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect(hdc, &rc, 0xFFFFFFFFu);
            char text[256];
            GetWindowText(hwnd, text, sizeof text);
            SetTextColor(hdc, 0xFF000000u);
            SetBkMode(hdc, TRANSPARENT);
            DrawText(hdc, text, -1, &rc, DT_LEFT);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

BOOL MwRegisterVeltoNewEditControl(HINSTANCE hInstance) {
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = NewEditProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "VeltoNewEDIT";
    return RegisterClass(&wc) != 0 || GetClassInfo(hInstance, "VeltoNewEDIT", nullptr);
}
