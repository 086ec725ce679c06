// Invalidation and painting: "mark for repaint later" (InvalidateRect) and
// "paint now" (UpdateWindow), BeginPaint/EndPaint, window DCs and the
// default window procedure.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "toolkit/tk_gdi.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

using namespace VeltoTk;

BOOL InvalidateRect(HWND hwnd, const RECT* rc, BOOL erase) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    RECT client{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    RECT r = rc ? RectIntersect(*rc, client) : client;
    if (RectEmpty(r)) {
        return TRUE;
    }
    w->update = RectUnion(w->update, r);
    w->erase = w->erase || erase;
    if (Tk().display) {
        Tk().display->Wake();
    }
    return TRUE;
}

BOOL ValidateRect(HWND hwnd, const RECT*) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    w->update = RECT{0, 0, 0, 0};
    w->erase = false;
    return TRUE;
}

BOOL UpdateWindow(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return FALSE;
    }
    // Controls change their own state and then ask to be shown as they are
    // now, without marking anything invalid first: paint whenever visible.
    if (IsShown(w)) {
        MSG msg{hwnd, WM_PAINT, 0, 0, 0, {0, 0}};
        DispatchMessage(&msg);
    }
    return TRUE;
}

HDC BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
    CWindow* w = Find(hwnd);
    if (!w || !ps) {
        return nullptr;
    }
    if (RectEmpty(w->update)) {
        // A paint asked for directly (WM_PAINT sent, UpdateWindow) with
        // nothing invalid repaints the whole window, background included.
        w->update = RECT{0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
        w->erase = true;
    }
    RECT sr = ScreenRect(w);
    CRegion clip = VisibleRegion(w);
    clip.Intersect(RectOffset(w->update, sr.left, sr.top));
    bool erase = w->erase;
    ps->rcPaint = w->update;
    w->update = RECT{0, 0, 0, 0};
    w->erase = false;
    HDC hdc = NewDc(hwnd, clip);
    ps->hdc = hdc;
    ps->fErase = FALSE;
    if (erase && !clip.Empty()) {
        ps->fErase = SendMessage(hwnd, WM_ERASEBKGND, (WPARAM)hdc, 0) ? FALSE : TRUE;
    }
    return hdc;
}

BOOL EndPaint(HWND hwnd, const PAINTSTRUCT* ps) {
    if (!ps) {
        return FALSE;
    }
    if (CDc* dc = FindDc(ps->hdc)) {
        MarkDirty(dc->clip.Bounds());
    }
    FreeDc(ps->hdc);
    return TRUE;
}

HDC GetDC(HWND hwnd) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return nullptr;
    }
    return NewDc(hwnd, VisibleRegion(w));
}

HDC GetWindowDC(HWND hwnd) {
    return GetDC(hwnd);
}

int ReleaseDC(HWND, HDC hdc) {
    CDc* dc = FindDc(hdc);
    if (!dc) {
        return 0;
    }
    MarkDirty(dc->clip.Bounds());
    FreeDc(hdc);
    return 1;
}

LRESULT DefWindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindow* w = Find(hwnd);
    if (!w) {
        return 0;
    }
    switch (msg) {
        case WM_NCCREATE:
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_ERASEBKGND: {
            HBRUSH bg = w->cls ? w->cls->background : nullptr;
            if (!bg) {
                return 0;
            }
            RECT rc;
            GetClientRect(hwnd, &rc);
            FillRect((HDC)wParam, &rc, bg);
            return 1;
        }
        case WM_SETTEXT: {
            const char* text = reinterpret_cast<const char*>(lParam);
            std::string t = text ? text : "";
            if (t != w->text) {
                w->text = t;
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return TRUE;
        }
        case WM_GETTEXT: {
            char* buf = reinterpret_cast<char*>(lParam);
            if (!buf || wParam == 0) {
                return 0;
            }
            size_t n = std::min(w->text.size(), (size_t)wParam - 1);
            memcpy(buf, w->text.data(), n);
            buf[n] = 0;
            return (LRESULT)n;
        }
        case WM_GETTEXTLENGTH:
            return (LRESULT)w->text.size();
        case WM_SETFONT:
            w->font = (HFONT)wParam;
            if (lParam) {
                InvalidateRect(hwnd, nullptr, TRUE);
            }
            return 0;
        case WM_GETFONT:
            return (LRESULT)w->font;
        case WM_CTLCOLORSTATIC: {
            HDC hdc = (HDC)wParam;
            SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
            return (LRESULT)GetSysColorBrush(COLOR_BTNFACE);
        }
        case WM_CLOSE:
            DestroyWindow(hwnd);
            return 0;
        default:
            return 0;
    }
}
