// Fills, lines and polygons on a device context, in client coordinates.
#include <stdlib.h>

#include <algorithm>
#include <vector>

#include "toolkit/tk_gdi.h"
#include "toolkit/tk_surface.h"

using namespace VeltoTk;

namespace {

bool Target(HDC hdc, CDc** out) {
    CDc* dc = FindDc(hdc);
    if (!dc || !dc->psd || !dc->psd->addr) {
        return false;
    }
    *out = dc;
    return true;
}

bool PenColor(CDc* dc, uint32_t* pixel, int* width) {
    CGdiObject* pen = FindObject(dc->pen);
    if (!pen || pen->null) {
        return false;
    }
    *pixel = ColorToPixel(pen->color);
    *width = pen->width;
    return true;
}

void Line(CDc* dc, int x0, int y0, int x1, int y1, uint32_t pixel, int width, bool last) {
    // Bresenham in screen coordinates; the end point is left out as GDI does.
    x0 += dc->origin.x, x1 += dc->origin.x, y0 += dc->origin.y, y1 += dc->origin.y;
    int dx = abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
    int dy = -abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int half = (width - 1) / 2;
    for (;;) {
        if (x0 == x1 && y0 == y1 && !last) {
            break;
        }
        if (width <= 1) {
            PutPixel32(dc->psd, dc->clip, x0, y0, pixel);
        } else {
            FillRect32(dc->psd, dc->clip, MakeRect(x0 - half, y0 - half, width, width), pixel);
        }
        if (x0 == x1 && y0 == y1) {
            break;
        }
        int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x0 += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y0 += sy;
        }
    }
}

// Even-odd scanline fill sampled at pixel centres.
void FillPolygon(CDc* dc, const POINT* pts, int count, uint32_t pixel) {
    int top = pts[0].y, bottom = pts[0].y;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, (int)pts[i].y);
        bottom = std::max(bottom, (int)pts[i].y);
    }
    std::vector<double> xs;
    for (int y = top; y <= bottom; ++y) {
        double cy = y + 0.5;
        xs.clear();
        for (int i = 0; i < count; ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % count];
            if ((a.y <= cy && b.y > cy) || (b.y <= cy && a.y > cy)) {
                xs.push_back(a.x + (cy - a.y) * (double)(b.x - a.x) / (double)(b.y - a.y));
            }
        }
        std::sort(xs.begin(), xs.end());
        for (size_t i = 0; i + 1 < xs.size(); i += 2) {
            int l = (int)(xs[i] + 0.5), r = (int)(xs[i + 1] + 0.5);
            FillRect32(
                dc->psd, dc->clip,
                RECT{l + dc->origin.x, y + dc->origin.y, r + dc->origin.x, y + 1 + dc->origin.y},
                pixel);
        }
    }
}

}  // namespace

int FillRect(HDC hdc, const RECT* rc, HBRUSH brush) {
    CDc* dc;
    COLORREF color;
    if (!rc || !Target(hdc, &dc) || !BrushColor(brush, &color)) {
        return 0;
    }
    FillRect32(dc->psd, dc->clip, RectOffset(*rc, dc->origin.x, dc->origin.y), ColorToPixel(color));
    return 1;
}

void FastFillRect(HDC hdc, RECT* rc, COLORREF color) {
    CDc* dc;
    if (!rc || !Target(hdc, &dc)) {
        return;
    }
    FillRect32(dc->psd, dc->clip, RectOffset(*rc, dc->origin.x, dc->origin.y), ColorToPixel(color));
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
    CDc* dc;
    if (!Target(hdc, &dc)) {
        return FALSE;
    }
    COLORREF fill;
    if (BrushColor(dc->brush, &fill)) {
        FillRect32(dc->psd, dc->clip,
                   RectOffset(RECT{left, top, right, bottom}, dc->origin.x, dc->origin.y),
                   ColorToPixel(fill));
    }
    uint32_t pixel;
    int width;
    if (PenColor(dc, &pixel, &width) && right > left && bottom > top) {
        Line(dc, left, top, right - 1, top, pixel, width, true);
        Line(dc, right - 1, top, right - 1, bottom - 1, pixel, width, true);
        Line(dc, right - 1, bottom - 1, left, bottom - 1, pixel, width, true);
        Line(dc, left, bottom - 1, left, top, pixel, width, true);
    }
    return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, POINT* old) {
    CDc* dc = FindDc(hdc);
    if (!dc) {
        return FALSE;
    }
    if (old) {
        *old = dc->pos;
    }
    dc->pos = POINT{x, y};
    return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
    CDc* dc;
    if (!Target(hdc, &dc)) {
        return FALSE;
    }
    uint32_t pixel;
    int width;
    if (PenColor(dc, &pixel, &width)) {
        Line(dc, dc->pos.x, dc->pos.y, x, y, pixel, width, false);
    }
    dc->pos = POINT{x, y};
    return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* pts, int count) {
    CDc* dc;
    if (!pts || count < 2 || !Target(hdc, &dc)) {
        return FALSE;
    }
    uint32_t pixel;
    int width;
    if (PenColor(dc, &pixel, &width)) {
        for (int i = 0; i + 1 < count; ++i) {
            Line(dc, pts[i].x, pts[i].y, pts[i + 1].x, pts[i + 1].y, pixel, width, i + 2 == count);
        }
    }
    return TRUE;
}

BOOL Polygon(HDC hdc, const POINT* pts, int count) {
    CDc* dc;
    if (!pts || count < 2 || !Target(hdc, &dc)) {
        return FALSE;
    }
    COLORREF fill;
    if (count >= 3 && BrushColor(dc->brush, &fill)) {
        FillPolygon(dc, pts, count, ColorToPixel(fill));
    }
    uint32_t pixel;
    int width;
    if (PenColor(dc, &pixel, &width)) {
        for (int i = 0; i < count; ++i) {
            const POINT& a = pts[i];
            const POINT& b = pts[(i + 1) % count];
            Line(dc, a.x, a.y, b.x, b.y, pixel, width, true);
        }
    }
    return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
    CDc* dc;
    if (!Target(hdc, &dc)) {
        return (COLORREF)-1;
    }
    PutPixel32(dc->psd, dc->clip, x + dc->origin.x, y + dc->origin.y, ColorToPixel(color));
    return color;
}

COLORREF GetPixel(HDC hdc, int x, int y) {
    CDc* dc;
    if (!Target(hdc, &dc)) {
        return (COLORREF)-1;
    }
    int sx = x + dc->origin.x, sy = y + dc->origin.y;
    if (sx < 0 || sy < 0 || sx >= dc->psd->xres || sy >= dc->psd->yres) {
        return (COLORREF)-1;
    }
    return PixelToColor(Row32(dc->psd, sy)[sx]);
}

void Draw3dInset(HDC hdc, int x, int y, int w, int h) {
    CDc* dc;
    if (!Target(hdc, &dc) || w < 2 || h < 2) {
        return;
    }
    uint32_t shadow = ColorToPixel(GetSysColor(COLOR_BTNSHADOW));
    uint32_t light = ColorToPixel(RGB(0xE0, 0xE0, 0xE0));
    Line(dc, x, y + h - 1, x, y, shadow, 1, true);
    Line(dc, x, y, x + w - 1, y, shadow, 1, true);
    Line(dc, x + w - 1, y, x + w - 1, y + h - 1, light, 1, true);
    Line(dc, x + w - 1, y + h - 1, x, y + h - 1, light, 1, true);
}
