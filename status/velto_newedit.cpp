#include "status/velto_newedit.h"

#include "app/velto_mwin_utils.h"

namespace {

constexpr COLORREF kBlack = 0xFF000000u;
constexpr COLORREF kEnabledText = 0xFF0080FFu;  // orange: the field being edited
constexpr COLORREF kDisabledText = 0xFFC0C0C0u;

LRESULT NewEditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Velto::PaintClient(hwnd, [hwnd](HDC hdc, RECT& rc) {
                FastFillRect(hdc, &rc, kBlack);
                char text[256];
                GetWindowText(hwnd, text, sizeof text);
                HFONT font = (HFONT)(intptr_t)GetWindowLong(hwnd, GWL_USERDATA);
                if (font) {
                    SelectObject(hdc, font);
                }
                bool enabled = !(GetWindowLong(hwnd, GWL_STYLE) & WS_DISABLED);
                SetTextColor(hdc, enabled ? kEnabledText : kDisabledText);
                SetBkMode(hdc, TRANSPARENT);
                DrawText(hdc, text, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
            });
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_SETFONT:
            SetWindowLong(hwnd, GWL_USERDATA, (LONG)(intptr_t)wParam);
            if (lParam) {
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return (LRESULT)GetWindowLong(hwnd, GWL_USERDATA);
        case WM_ENABLE: {
            // Sent directly as well as by EnableWindow: the style follows it.
            LONG style = GetWindowLong(hwnd, GWL_STYLE);
            SetWindowLong(hwnd, GWL_STYLE, wParam ? (style & ~WS_DISABLED) : (style | WS_DISABLED));
            InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        }
        case WM_SETTEXT: {
            LRESULT r = DefWindowProc(hwnd, msg, wParam, lParam);
            InvalidateRect(hwnd, nullptr, TRUE);
            return r;
        }
        case WM_KILLFOCUS:
            return 0;
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS | DLGC_WANTCHARS;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

BOOL MwRegisterVeltoNewEditControl(HINSTANCE hInstance) {
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = NewEditProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
    wc.lpszClassName = "VeltoNewEDIT";
    return RegisterClass(&wc) != 0 || GetClassInfo(hInstance, "VeltoNewEDIT", nullptr);
}
