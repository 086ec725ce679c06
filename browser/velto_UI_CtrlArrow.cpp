#include "browser/velto_UI_CtrlArrow.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFFFFu;
constexpr COLORREF kBlack = 0xFF000000u;
constexpr COLORREF kGrey = 0xFF808080u;
constexpr COLORREF kDarkRed = 0xFF000080u;

}  // namespace

CVeltoUICtrlArrow::CVeltoUICtrlArrow(HINSTANCE hInstance, HWND hParent, int x, int y, int width,
                                     int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height), m_Direction(ARROW_DIR_LEFT) {}

CVeltoUICtrlArrow::~CVeltoUICtrlArrow() {
    Deinit();
}

CVeltoUICtrlArrow* CVeltoUICtrlArrow::CreateNew(HINSTANCE hInstance, HWND hParent, int x, int y,
                                                int width, int height) {
    static bool registered = false;
    return SetUpNew(new CVeltoUICtrlArrow(hInstance, hParent, x, y, width, height), hInstance,
                    "VeltoArrow", registered, 0xFF010101u);
}

bool CVeltoUICtrlArrow::Init() {
    return CMWUIBase::Init();
}

void CVeltoUICtrlArrow::Deinit() {
    CMWUIBase::Deinit();
}

void CVeltoUICtrlArrow::SetDirection(ARROW_DIR dir) {
    if (dir == m_Direction) {
        return;
    }
    m_Direction = dir;
    if (m_hHwnd) {
        InvalidateRect(m_hHwnd, nullptr, TRUE);
    }
}

void CVeltoUICtrlArrow::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    FastFillRect(hdc, &rc, kWhite);
    int l = rc.left, t = rc.top, r = rc.right - 1, b = rc.bottom - 1;
    int mid = (rc.bottom - rc.top) / 2;
    bool left = m_Direction == ARROW_DIR_LEFT;
    // Apex, then the two ends of the base, then the apex again; the right
    // arrow is the mirror image.
    auto triangle = [&](int inset, POINT* pts) {
        int apex = left ? l + inset : r - inset;
        int base = left ? r - inset : l + inset;
        pts[0] = POINT{apex, mid};
        pts[1] = POINT{base, t + inset};
        pts[2] = POINT{base, b - inset};
        pts[3] = pts[0];
    };
    POINT outline[4], inset[4], fill[4];
    triangle(0, outline);
    triangle(2, inset);
    triangle(3, fill);

    HPEN black = CreatePen(PS_SOLID, 1, kBlack);
    HPEN grey = CreatePen(PS_SOLID, 1, kGrey);
    HPEN red = CreatePen(PS_SOLID, 1, kDarkRed);
    HBRUSH brush = CreateSolidBrush(kDarkRed);
    HGDIOBJ oldPen = SelectObject(hdc, black);
    Polyline(hdc, outline, 4);
    SelectObject(hdc, grey);
    Polyline(hdc, inset, 4);
    SelectObject(hdc, red);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    Polygon(hdc, fill, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(brush);
    DeleteObject(red);
    DeleteObject(grey);
    DeleteObject(black);
    EndPaint(hwnd, &ps);
}

LRESULT CVeltoUICtrlArrow::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole control
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
