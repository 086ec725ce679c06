// Drawing surfaces (PSD): allocation, pixel access and the blits and fills
// every drawing call ends in. The screen and all drawing targets are 32 bpp
// MWPF_TRUECOLOR8888 (uint32 0xAARRGGBB); sources may be any pixel type.
#pragma once

#include <stdint.h>

#include "toolkit/tk_region.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

// COLORREF 0xAABBGGRR -> screen pixel 0xFFRRGGBB.
inline uint32_t ColorToPixel(COLORREF c) {
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}
inline COLORREF PixelToColor(uint32_t p) {
    return 0xFF000000u | ((p >> 16) & 0xFFu) | (p & 0xFF00u) | ((p & 0xFFu) << 16);
}

// A new 32 bpp surface of w x h owning zeroed pixels; null when w or h < 1
// or memory is short.
PSD NewSurface(int w, int h);
// The operations installed in every surface made here.
PSD AllocateMemGC(PSD root);
BOOL MapMemGC(PSD mempsd, int w, int h, int planes, int bpp, int linelen, int size, void* addr);
void FreeMemGC(PSD mempsd);

// Pixel (x, y) of any surface as 0xAARRGGBB; alpha is 0xFF unless the
// surface carries alpha (PSF_HAVEALPHA). Coordinates must be inside.
uint32_t ReadPixel(PSD src, int x, int y);

// Target operations: dst must be 32 bpp. Everything is clipped to clip.
void FillRect32(PSD dst, const CRegion& clip, const RECT& r, uint32_t pixel);
void PutPixel32(PSD dst, const CRegion& clip, int x, int y, uint32_t pixel);
// Blends pixel with coverage alpha (0..255) into the target.
void BlendPixel32(PSD dst, const CRegion& clip, int x, int y, uint32_t pixel, unsigned alpha);
// Draws src scaled into the rectangle (x, y, w, h) with nearest sampling,
// blending src alpha when it has any.
void StretchBlit(PSD dst, const CRegion& clip, int x, int y, int w, int h, PSD src);

inline uint32_t* Row32(PSD s, int y) {
    return reinterpret_cast<uint32_t*>(static_cast<uint8_t*>(s->addr) + (size_t)y * s->linelen);
}

}  // namespace VeltoTk
