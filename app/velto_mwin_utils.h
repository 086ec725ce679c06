// Drawing helpers shared by the screens: images, the busy indicator and
// off-screen surfaces.
#pragma once

#include <string>

#include "toolkit/winapi.h"

namespace Velto {

// Loads an image file (PNG, GIF, JPEG); null when it can't be read.
PSD LoadImage(std::string path);
// Frees an image from LoadImage; null is ignored.
void UnloadImage(PSD image);
// Shows or hides the pointer cursor at the screen centre as the busy
// indicator; enabling while shown hides it again.
void ShowFunnel(bool enable);
// An off-screen surface of width x height in one of the image formats
// (0: the root's); null for a size below 1, an unknown format or no memory.
// With pixels null a zeroed buffer is made and owned by the surface.
PSD GdCreatePixmap(PSD root, int width, int height, int format, void* pixels, int palsize);
// A pixmap over a malloc'd buffer (a thumbnail over a decoded frame) that
// takes the buffer over: the surface frees it, and on failure (a buffer of
// fewer than bufferSize bytes than the pixmap needs, or as above) it is
// freed at once, so the caller never owns it after this call.
PSD GdCreatePixmapOwning(PSD root, int width, int height, int format, void* pixels,
                         size_t bufferSize);

// Answers WM_PAINT for hwnd: draw(hdc, client rectangle) between BeginPaint
// and EndPaint.
template <class Draw>
void PaintClient(HWND hwnd, Draw draw) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    RECT rc;
    GetClientRect(hwnd, &rc);
    draw(hdc, rc);
    EndPaint(hwnd, &ps);
}
// Answers WM_PAINT for hwnd with its client area in colour.
inline void PaintClientColour(HWND hwnd, COLORREF colour) {
    PaintClient(hwnd, [colour](HDC hdc, RECT& rc) { FastFillRect(hdc, &rc, colour); });
}
// Answers WM_CTLCOLORSTATIC for child: the stock white brush, which the
// child paints with.
inline LRESULT WhiteStaticBrush(HWND child) {
    HBRUSH brush = (HBRUSH)GetStockObject(WHITE_BRUSH);
    MwSetWindowPaintBrush(child, brush);
    return (LRESULT)brush;
}

}  // namespace Velto
