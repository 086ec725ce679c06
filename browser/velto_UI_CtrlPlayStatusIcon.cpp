#include "browser/velto_UI_CtrlPlayStatusIcon.h"

namespace {

constexpr COLORREF kWhite = 0xFFFFFFFFu;
constexpr COLORREF kOverlay = 0xFF010101u;
constexpr COLORREF kGreen = 0xFF00FF00u;
constexpr COLORREF kYellow = 0xFF00FFFFu;
constexpr COLORREF kRed = 0xFF0000FFu;

void Fill(HDC hdc, int l, int t, int r, int b, COLORREF colour) {
    if (r > l && b > t) {
        RECT rc{l, t, r, b};
        FastFillRect(hdc, &rc, colour);
    }
}

void Triangle(HDC hdc, const POINT (&pts)[3], COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ oldBrush = SelectObject(hdc, brush);
    HGDIOBJ oldPen = SelectObject(hdc, pen);
    Polygon(hdc, pts, 3);
    SelectObject(hdc, oldBrush);
    SelectObject(hdc, oldPen);
    DeleteObject(brush);
    DeleteObject(pen);
}

}  // namespace

CVeltoUICtrlPlayStatusIcon::CVeltoUICtrlPlayStatusIcon(HINSTANCE hInstance, HWND hParent, int x,
                                                       int y, int width, int height)
    : CMWUIBase(hInstance, hParent, x, y, width, height), m_sPlayStatus(PLAY_STOP) {}

CVeltoUICtrlPlayStatusIcon::~CVeltoUICtrlPlayStatusIcon() {
    Deinit();
}

CVeltoUICtrlPlayStatusIcon* CVeltoUICtrlPlayStatusIcon::CreateNew(HINSTANCE hInstance, HWND hParent,
                                                                  int x, int y, int width,
                                                                  int height) {
    auto* c = new CVeltoUICtrlPlayStatusIcon(hInstance, hParent, x, y, width, height);
    if (!c->Init()) {
        delete c;
        return nullptr;
    }
    return c;
}

bool CVeltoUICtrlPlayStatusIcon::Init() {
    static bool registered = false;
    if (!RegisterKind(m_hInstance, "VeltoPlayIcon", registered)) {
        return false;
    }
    m_cBackgroundColor = kOverlay;
    return CMWUIBase::Init();
}

void CVeltoUICtrlPlayStatusIcon::Deinit() {
    CMWUIBase::Deinit();
}

void CVeltoUICtrlPlayStatusIcon::SetStatus(PlayStatus status) {
    if (status == m_sPlayStatus) {
        return;
    }
    m_sPlayStatus = status;
    if (m_hHwnd) {
        InvalidateRect(m_hHwnd, nullptr, FALSE);
        UpdateWindow(m_hHwnd);
    }
}

void CVeltoUICtrlPlayStatusIcon::Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    const int l = rc.left, t = rc.top, r = rc.right, b = rc.bottom;
    const int m = r / 14;
    Fill(hdc, l, t, r, b, kWhite);
    Fill(hdc, l, t, r, b, m_cBackgroundColor);
    switch (m_sPlayStatus) {
        case PLAY_PLAYING: {
            const int mid = (t + b) / 2;
            Triangle(hdc, {{l, t}, {r - 1, mid}, {l, b - 1}}, kWhite);
            Triangle(hdc, {{l + m, t + m}, {r - 1 - m, mid}, {l + m, b - 1 - m}}, kGreen);
            break;
        }
        case PLAY_PAUSE: {
            // Two bars of 2r/7 with a gap of r/7 between them and at each side.
            const int bw = 2 * r / 7;
            for (int x : {l + r / 7, l + 4 * r / 7}) {
                Fill(hdc, x, t, x + bw, b, kWhite);
                Fill(hdc, x + m, t + m, x + bw - m, b - m, kYellow);
            }
            break;
        }
        case PLAY_STOP:
        default:
            Fill(hdc, l, t, r, b, kWhite);
            Fill(hdc, l + m, t + m, r - m, b - m, kRed);
            break;
    }
    EndPaint(hwnd, &ps);
}

LRESULT CVeltoUICtrlPlayStatusIcon::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, m_cBackgroundColor);
            return 1;
        }
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}
