#include "app/velto_mwin_utils.h"

#include <stdio.h>
#include <stdlib.h>

#include "settings/velto_SC_setting.h"

namespace Velto {

PSD LoadImage(std::string path) {
    return GdLoadImageFromFile(path.c_str(), 0);
}

void UnloadImage(PSD image) {
    if (image) {
        image->FreeMemGC(image);
    }
}

static bool g_bFunnelShown = false;

void ShowFunnel(bool enable) {
    PSD screen = GdGetScreen();
    if (enable && !g_bFunnelShown) {
        CVeltoSCSetting& s = CVeltoSCSetting::GetInstance();
        MwMoveCursor((int)s.GetScrWidth() / 2 - 10, (int)s.GetScrHeight() / 2);
        if (GdShowCursor(screen)) {
            g_bFunnelShown = true;
        }
    } else {
        g_bFunnelShown = GdHideCursor(screen) ? false : true;
    }
    printf("@@@Have %s funnel\n", g_bFunnelShown ? "show" : "hide");
}

namespace {

bool FormatBits(PSD root, int format, int* bpp, int* pixtype) {
    switch (format) {
        case 0:
            *bpp = root->bpp;
            *pixtype = root->pixtype;
            return true;
        case 32:
            if (root->bpp == 32) {
                *bpp = root->bpp;
                *pixtype = root->pixtype;
            } else {
                *bpp = 32;
                *pixtype = MWPF_TRUECOLORABGR;
            }
            return true;
        case MWIF_PAL1:
        case MWIF_PAL1B:
        case MWIF_PAL1C:
            *bpp = 1, *pixtype = MWPF_PALETTE;
            return true;
        case MWIF_RGBA8888:
            *bpp = 32, *pixtype = MWPF_TRUECOLOR8888;
            return true;
        case MWIF_BGRA8888:
            *bpp = 32, *pixtype = MWPF_TRUECOLORABGR;
            return true;
        case MWIF_BGR888:
            *bpp = 24, *pixtype = MWPF_TRUECOLOR888;
            return true;
        case MWIF_RGB565:
            *bpp = 16, *pixtype = MWPF_TRUECOLOR565;
            return true;
        case MWIF_RGB555:
            *bpp = 16, *pixtype = MWPF_TRUECOLOR555;
            return true;
        case MWIF_RGB444:
            *bpp = 16, *pixtype = MWPF_TRUECOLOR444;
            return true;
        case MWIF_PAL2:
            *bpp = 2, *pixtype = MWPF_PALETTE;
            return true;
        case MWIF_PAL4:
            *bpp = 4, *pixtype = MWPF_PALETTE;
            return true;
        case MWIF_PAL8:
            *bpp = 8, *pixtype = MWPF_PALETTE;
            return true;
        default:
            return false;
    }
}

// In 64 bits: a width near INT_MAX must give a pitch too large to allocate,
// not a wrapped-around small one.
int64_t LinePitch(int planes, int bpp, int64_t w) {
    int64_t pitch;
    if (planes == 4) {
        pitch = (w + 1) / 2;
    } else {
        switch (bpp) {
            case 1:
                pitch = (w + 7) / 8;
                break;
            case 2:
                pitch = (w + 3) / 4;
                break;
            case 4:
                pitch = (w + 1) / 2;
                break;
            case 8:
                pitch = w;
                break;
            case 16:
                pitch = 2 * w;
                break;
            case 18:
            case 24:
                pitch = 3 * w;
                break;
            default:
                pitch = 4 * w;
                break;
        }
    }
    return (pitch + 3) & ~(int64_t)3;
}

}  // namespace

PSD GdCreatePixmap(PSD root, int width, int height, int format, void* pixels, int palsize) {
    if (!root || width < 1 || height < 1) {
        return nullptr;
    }
    int bpp, pixtype;
    if (!FormatBits(root, format, &bpp, &pixtype)) {
        return nullptr;
    }
    PSD psd = root->AllocateMemGC(root);
    if (!psd) {
        return nullptr;
    }
    // In a portrait mode lines run along the height.
    int lineW = psd->portrait ? height : width;
    int other = psd->portrait ? width : height;
    int64_t pitch = LinePitch(psd->planes, bpp, lineW);
    if (pitch > 0x7FFFFFFF) {
        psd->FreeMemGC(psd);
        return nullptr;
    }
    int64_t size = pitch * other;
    if (size > 0x7FFFFFFF) {
        psd->FreeMemGC(psd);
        return nullptr;
    }
    if (!pixels) {
        pixels = calloc(1, (size_t)size);
        if (!pixels) {
            psd->FreeMemGC(psd);
            return nullptr;
        }
        psd->flags |= PSF_ADDRMALLOC;
    }
    psd->addr = pixels;
    if (palsize > 0) {
        psd->palette = calloc((size_t)palsize, 4);
        if (!psd->palette) {
            psd->FreeMemGC(psd);  // frees an owned pixel buffer too
            return nullptr;
        }
        psd->palsize = palsize;
    }
    psd->MapMemGC(psd, width, height, psd->planes, bpp, (int)pitch, (int)size, pixels);
    psd->pixtype = pixtype;
    psd->ncolors = bpp < 24 ? (1L << bpp) : 0x1000000L;
    return psd;
}

PSD GdCreatePixmapOwning(PSD root, int width, int height, int format, void* pixels,
                         size_t bufferSize) {
    if (!pixels) {
        return nullptr;
    }
    PSD psd = GdCreatePixmap(root, width, height, format, pixels, 0);
    if (!psd || size_t(psd->size) > bufferSize) {
        if (psd) {
            psd->FreeMemGC(psd);  // not yet the owner: leaves the buffer
        }
        free(pixels);
        return nullptr;
    }
    psd->flags |= PSF_ADDRMALLOC;
    return psd;
}

}  // namespace Velto
