#include "status/velto_scrlbar1.h"

#include <string.h>

#include <algorithm>

namespace {

constexpr const char* kClassName = "VeltoScrlBar1";
constexpr COLORREF kWhite = 0xFFFFFFFFu;
constexpr COLORREF kBlack = 0xFF000000u;
constexpr COLORREF kRed = 0xFF0000FFu;

struct CScrollState {
    int nMin = 0;
    int nMax = 0;
    int nPos = 0;
    unsigned nPage = 0;
    int nThumbOffset = 0;
    int nThumbLength = 4;
    unsigned nStatus = 0;
};

CScrollState* State(HWND hwnd) {
    return reinterpret_cast<CScrollState*>(GetWindowLong(hwnd, GWL_USERDATA));
}

bool IsVertical(HWND hwnd) {
    return (GetWindowLong(hwnd, GWL_STYLE) & SBS_VERT) != 0;
}

// Thumb position and size along the bar, in pixels from the bar's start.
void PlaceThumb(HWND hwnd, CScrollState* s) {
    RECT rc;
    GetClientRect(hwnd, &rc);
    bool vert = IsVertical(hwnd);
    int length = vert ? rc.bottom : rc.right;
    int thickness = vert ? rc.right : rc.bottom;
    int track = std::max(0, length - 2);
    s->nThumbLength = std::min(track, std::max(4, thickness));
    int travel = track - s->nThumbLength;
    int span = s->nMax - s->nMin;
    s->nThumbOffset = 1 + (span > 0 ? (int)((long long)travel * (s->nPos - s->nMin) / span) : 0);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    CScrollState* s = State(hwnd);
    if (hdc && s) {
        RECT rc;
        GetClientRect(hwnd, &rc);
        // A white track framed in black.
        FastFillRect(hdc, &rc, kBlack);
        RECT track{1, 1, rc.right - 1, rc.bottom - 1};
        FastFillRect(hdc, &track, kWhite);
        PlaceThumb(hwnd, s);
        RECT thumb = IsVertical(hwnd)
                         ? RECT{0, s->nThumbOffset, rc.right, s->nThumbOffset + s->nThumbLength}
                         : RECT{s->nThumbOffset, 0, s->nThumbOffset + s->nThumbLength, rc.bottom};
        FastFillRect(hdc, &thumb, kBlack);
        RECT inner{thumb.left + 1, thumb.top + 1, thumb.right - 1, thumb.bottom - 1};
        FastFillRect(hdc, &inner, kRed);
    }
    EndPaint(hwnd, &ps);
}

void RepaintNow(HWND hwnd) {
    InvalidateRect(hwnd, nullptr, TRUE);
    SendMessage(hwnd, WM_PAINT, 0, 0);
}

LRESULT ScrollProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE: {
            auto* s = new CScrollState;
            const CREATESTRUCT* cs = reinterpret_cast<const CREATESTRUCT*>(lParam);
            if (cs) {
                bool vert = (cs->style & SBS_VERT) != 0;
                int length = vert ? cs->cy : cs->cx;
                int thickness = vert ? cs->cx : cs->cy;
                if (length - 2 * thickness > 4) {
                    s->nMax = 10;
                }
            }
            s->nPage = (unsigned)(s->nMax - s->nMin) / 10;
            SetWindowLong(hwnd, GWL_USERDATA, (LONG)s);
            return 0;
        }
        case WM_DESTROY:
            delete State(hwnd);
            SetWindowLong(hwnd, GWL_USERDATA, 0);
            return 0;
        case VSBM_SETRANGE: {
            CScrollState* s = State(hwnd);
            if (!s) {
                return 0;
            }
            int a = (int)wParam, b = (int)lParam;
            s->nMin = std::min(a, b);
            s->nMax = std::max(a, b);
            s->nPage = (unsigned)(s->nMax - s->nMin) / 10;
            s->nPos = std::clamp(s->nPos, s->nMin, s->nMax);
            RepaintNow(hwnd);
            return 0;
        }
        case VSBM_SETPOS: {
            CScrollState* s = State(hwnd);
            if (!s) {
                return 0;
            }
            int pos = std::clamp((int)wParam, s->nMin, s->nMax);
            if (pos != s->nPos) {
                s->nPos = pos;
                RepaintNow(hwnd);
            }
            return 0;
        }
        case WM_PAINT:
            Paint(hwnd);
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers the whole bar
        case WM_GETDLGCODE:
            return DLGC_WANTARROWS | DLGC_WANTALLKEYS;
        default:
            return DefWindowProc(hwnd, msg, wParam, lParam);
    }
}

}  // namespace

BOOL MwRegisterVeltoScrollbar1Control(HINSTANCE hInstance) {
    WNDCLASS wc{};
    wc.style = CS_GLOBALCLASS | CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ScrollProc;
    wc.hInstance = hInstance;
    wc.hbrBackground = (HBRUSH)GetStockObject(OVERLAY_BRUSH);
    wc.lpszClassName = kClassName;
    return RegisterClass(&wc) != 0 || GetClassInfo(hInstance, kClassName, nullptr);
}

int GetVeltoScroll1InfoEx(HWND hwnd, SCROLLINFO* info) {
    char cls[32];
    if (!info || GetClassName(hwnd, cls, sizeof cls) == 0 || strcmp(cls, kClassName) != 0) {
        return 0;
    }
    CScrollState* s = State(hwnd);
    if (!s) {
        return 0;
    }
    if (info->fMask & SIF_RANGE) {
        info->nMin = s->nMin;
        info->nMax = s->nMax;
    }
    if (info->fMask & SIF_PAGE) {
        info->nPage = s->nPage;
    }
    if (info->fMask & SIF_POS) {
        info->nPos = s->nPos;
    }
    return 1;
}
