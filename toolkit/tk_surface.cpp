#include "toolkit/tk_surface.h"

#include <stdlib.h>
#include <string.h>

#include <algorithm>

namespace VeltoTk {

static void InstallOps(PSD psd) {
    psd->AllocateMemGC = AllocateMemGC;
    psd->MapMemGC = MapMemGC;
    psd->FreeMemGC = FreeMemGC;
}

PSD AllocateMemGC(PSD root) {
    PSD psd = static_cast<PSD>(calloc(1, sizeof(SCREENDEVICE)));
    if (!psd) {
        return nullptr;
    }
    if (root) {
        psd->bpp = root->bpp;
        psd->pixtype = root->pixtype;
        psd->planes = root->planes;
        psd->portrait = root->portrait;
    }
    psd->flags = PSF_MEMORY;
    InstallOps(psd);
    return psd;
}

BOOL MapMemGC(PSD psd, int w, int h, int planes, int bpp, int linelen, int size, void* addr) {
    if (!psd || w < 1 || h < 1 || linelen < 1) {
        return FALSE;
    }
    psd->xres = psd->xvirtres = w;
    psd->yres = psd->yvirtres = h;
    psd->planes = planes;
    psd->bpp = bpp;
    psd->linelen = linelen;
    psd->size = size;
    psd->addr = addr;
    return TRUE;
}

void FreeMemGC(PSD psd) {
    if (!psd || (psd->flags & PSF_SCREEN)) {
        return;
    }
    if (psd->flags & PSF_ADDRMALLOC) {
        free(psd->addr);
    }
    free(psd->palette);
    free(psd);
}

PSD NewSurface(int w, int h) {
    if (w < 1 || h < 1 || w > 16384 || h > 16384) {
        return nullptr;
    }
    PSD psd = AllocateMemGC(nullptr);
    if (!psd) {
        return nullptr;
    }
    size_t size = (size_t)w * h * 4;
    void* pixels = calloc(1, size);
    if (!pixels) {
        free(psd);
        return nullptr;
    }
    MapMemGC(psd, w, h, 1, 32, w * 4, (int)size, pixels);
    psd->pixtype = MWPF_TRUECOLOR8888;
    psd->ncolors = 0x1000000;
    psd->flags |= PSF_ADDRMALLOC;
    return psd;
}

static uint32_t PaletteEntry(PSD src, unsigned index) {
    if (!src->palette || (int)index >= src->palsize) {
        return index ? 0xFFFFFFFFu : 0xFF000000u;
    }
    const uint8_t* e = static_cast<const uint8_t*>(src->palette) + index * 4;
    return 0xFF000000u | (uint32_t(e[0]) << 16) | (uint32_t(e[1]) << 8) | e[2];
}

static uint32_t Expand(unsigned v, unsigned bits) {
    return bits >= 8 ? v : (v << (8 - bits)) | (v >> (2 * bits - 8 > 0 ? 2 * bits - 8 : 0));
}

uint32_t ReadPixel(PSD src, int x, int y) {
    const uint8_t* row = static_cast<const uint8_t*>(src->addr) + (size_t)y * src->linelen;
    switch (src->bpp) {
        case 32: {
            uint32_t p;
            memcpy(&p, row + (size_t)x * 4, 4);
            if (src->pixtype == MWPF_TRUECOLORABGR) {
                p = (p & 0xFF00FF00u) | ((p & 0xFFu) << 16) | ((p >> 16) & 0xFFu);
            }
            return (src->flags & PSF_HAVEALPHA) ? p : (p | 0xFF000000u);
        }
        case 24: {
            const uint8_t* q = row + (size_t)x * 3;
            return 0xFF000000u | (uint32_t(q[2]) << 16) | (uint32_t(q[1]) << 8) | q[0];
        }
        case 16: {
            uint16_t v;
            memcpy(&v, row + (size_t)x * 2, 2);
            unsigned r, g, b;
            if (src->pixtype == MWPF_TRUECOLOR555) {
                r = Expand((v >> 10) & 31, 5), g = Expand((v >> 5) & 31, 5), b = Expand(v & 31, 5);
            } else if (src->pixtype == MWPF_TRUECOLOR444) {
                r = ((v >> 8) & 15) * 17, g = ((v >> 4) & 15) * 17, b = (v & 15) * 17;
            } else {
                r = Expand((v >> 11) & 31, 5), g = Expand((v >> 5) & 63, 6), b = Expand(v & 31, 5);
            }
            return 0xFF000000u | (r << 16) | (g << 8) | b;
        }
        case 8:
            return PaletteEntry(src, row[x]);
        case 4:
            return PaletteEntry(src, (row[x / 2] >> ((x & 1) ? 0 : 4)) & 15);
        case 2:
            return PaletteEntry(src, (row[x / 4] >> (6 - 2 * (x & 3))) & 3);
        case 1:
            return PaletteEntry(src, (row[x / 8] >> (7 - (x & 7))) & 1);
        default:
            return 0xFF000000u;
    }
}

void FillRect32(PSD dst, const CRegion& clip, const RECT& r, uint32_t pixel) {
    RECT screen{0, 0, dst->xres, dst->yres};
    for (const RECT& c : clip.Rects()) {
        RECT i = RectIntersect(RectIntersect(c, r), screen);
        for (int y = i.top; y < i.bottom; ++y) {
            uint32_t* row = Row32(dst, y);
            std::fill(row + i.left, row + i.right, pixel);
        }
    }
}

void PutPixel32(PSD dst, const CRegion& clip, int x, int y, uint32_t pixel) {
    if (x < 0 || y < 0 || x >= dst->xres || y >= dst->yres || !clip.Contains(x, y)) {
        return;
    }
    Row32(dst, y)[x] = pixel;
}

static inline uint32_t Mix(uint32_t dst, uint32_t src, unsigned a) {
    if (a >= 255) {
        return src | 0xFF000000u;
    }
    unsigned na = 255 - a;
    unsigned r = (((src >> 16) & 255) * a + ((dst >> 16) & 255) * na + 127) / 255;
    unsigned g = (((src >> 8) & 255) * a + ((dst >> 8) & 255) * na + 127) / 255;
    unsigned b = ((src & 255) * a + (dst & 255) * na + 127) / 255;
    return 0xFF000000u | (r << 16) | (g << 8) | b;
}

void BlendPixel32(PSD dst, const CRegion& clip, int x, int y, uint32_t pixel, unsigned alpha) {
    if (alpha == 0 || x < 0 || y < 0 || x >= dst->xres || y >= dst->yres || !clip.Contains(x, y)) {
        return;
    }
    uint32_t* p = Row32(dst, y) + x;
    *p = Mix(*p, pixel, alpha);
}

void StretchBlit(PSD dst, const CRegion& clip, int x, int y, int w, int h, PSD src) {
    if (!src || !src->addr || src->xres < 1 || src->yres < 1 || w < 1 || h < 1) {
        return;
    }
    const bool fast32 = src->bpp == 32 && src->pixtype != MWPF_TRUECOLORABGR;
    const bool alpha = (src->flags & PSF_HAVEALPHA) != 0;
    RECT target = MakeRect(x, y, w, h);
    RECT screen{0, 0, dst->xres, dst->yres};
    for (const RECT& c : clip.Rects()) {
        RECT i = RectIntersect(RectIntersect(c, target), screen);
        for (int dy = i.top; dy < i.bottom; ++dy) {
            int sy = (int)(((int64_t)(dy - y) * src->yres) / h);
            uint32_t* out = Row32(dst, dy);
            const uint32_t* in32 = reinterpret_cast<const uint32_t*>(
                static_cast<const uint8_t*>(src->addr) + (size_t)sy * src->linelen);
            for (int dx = i.left; dx < i.right; ++dx) {
                int sx = (int)(((int64_t)(dx - x) * src->xres) / w);
                uint32_t p = fast32 ? in32[sx] : ReadPixel(src, sx, sy);
                if (!alpha) {
                    out[dx] = p | 0xFF000000u;
                } else {
                    out[dx] = Mix(out[dx], p, p >> 24);
                }
            }
        }
    }
}

}  // namespace VeltoTk
