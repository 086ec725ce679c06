// Image files (PNG, GIF, JPEG) decoded into 32-bit surfaces, and drawing
// them scaled. Files are read through the board seam, so board paths such as
// /usr/velto/img land in the simulated board: whole, except for a thumbnail
// that the preview in a photo's EXIF block covers.
#include <gif_lib.h>
#include <png.h>
#include <setjmp.h>
#include <stdio.h>
#include <string.h>
// jpeglib.h needs stdio's FILE first.
#include <jpeglib.h>

#include <algorithm>
#include <vector>

#include "platform/velto_board.h"
#include "toolkit/tk_gdi.h"
#include "toolkit/tk_image.h"
#include "toolkit/tk_jpeg_head.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_surface.h"

using namespace VeltoTk;

namespace {

constexpr size_t kMaxImageFile = 32u << 20;
int g_nMaxDimension = 2048;

// An APP1 marker holds at most 64 KiB and follows SOI and the JFIF marker;
// a little more takes in the frame header after it, whose size the preview
// is checked against.
constexpr size_t kHeadBytes = 72u << 10;

// Appends to out what f holds, up to limit bytes in all; false on a read
// error or when the file holds more than kMaxImageFile bytes.
bool ReadUpTo(FILE* f, std::vector<uint8_t>& out, size_t limit, bool* atEnd) {
    uint8_t buf[65536];
    *atEnd = false;
    while (out.size() < limit) {
        size_t n = fread(buf, 1, std::min(sizeof buf, limit - out.size()), f);
        if (n == 0) {
            *atEnd = true;
            break;
        }
        out.insert(out.end(), buf, buf + n);
        if (out.size() > kMaxImageFile) {
            return false;
        }
    }
    return !ferror(f);
}

PSD DecodePng(const uint8_t* data, size_t size) {
    png_image img;
    memset(&img, 0, sizeof img);
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&img, data, size)) {
        return nullptr;
    }
    if ((int)img.width > g_nMaxDimension || (int)img.height > g_nMaxDimension) {
        png_image_free(&img);
        return nullptr;
    }
    bool alpha = (img.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    img.format = PNG_FORMAT_BGRA;  // uint32 0xAARRGGBB on little-endian
    PSD psd = NewSurface((int)img.width, (int)img.height);
    if (!psd) {
        png_image_free(&img);
        return nullptr;
    }
    if (!png_image_finish_read(&img, nullptr, psd->addr, psd->linelen, nullptr)) {
        FreeMemGC(psd);
        return nullptr;
    }
    if (alpha) {
        psd->flags |= PSF_HAVEALPHA;
    }
    return psd;
}

struct GifSource {
    const uint8_t* data;
    size_t size;
    size_t pos;
};

int GifRead(GifFileType* gif, GifByteType* buf, int len) {
    GifSource* src = static_cast<GifSource*>(gif->UserData);
    size_t n = std::min<size_t>((size_t)len, src->size - src->pos);
    memcpy(buf, src->data + src->pos, n);
    src->pos += n;
    return (int)n;
}

// Reads the first picture of an open GIF file and the graphics control
// block before it. Only that frame is ever shown, so an animation's other
// frames are not decoded, and the frame's size is checked before its lines
// are allocated (a frame header may claim 65535 x 65535).
bool ReadFirstGifFrame(GifFileType* gif, std::vector<GifPixelType>& raster,
                       GraphicsControlBlock& gcb) {
    GifRecordType type;
    while (DGifGetRecordType(gif, &type) == GIF_OK) {
        if (type == TERMINATE_RECORD_TYPE) {
            return false;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            int code = 0;
            GifByteType* ext = nullptr;
            if (DGifGetExtension(gif, &code, &ext) != GIF_OK) {
                return false;
            }
            if (code == GRAPHICS_EXT_FUNC_CODE && ext != nullptr) {
                DGifExtensionToGCB(ext[0], ext + 1, &gcb);
            }
            while (ext != nullptr) {
                if (DGifGetExtensionNext(gif, &ext) != GIF_OK) {
                    return false;
                }
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageDesc(gif) != GIF_OK) {
            return false;
        }
        const GifImageDesc& d = gif->Image;
        if (d.Width <= 0 || d.Height <= 0 || d.Width > g_nMaxDimension ||
            d.Height > g_nMaxDimension) {
            return false;
        }
        raster.assign((size_t)d.Width * d.Height, 0);
        // Interlaced lines come in four passes: every 8th from 0, every 8th
        // from 4, every 4th from 2, every 2nd from 1.
        static const int kStart[] = {0, 4, 2, 1};
        static const int kStep[] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass) {
            const int first = d.Interlace ? kStart[pass] : 0;
            const int step = d.Interlace ? kStep[pass] : 1;
            for (int y = first; y < d.Height; y += step) {
                if (DGifGetLine(gif, &raster[(size_t)y * d.Width], d.Width) != GIF_OK) {
                    return false;
                }
            }
        }
        return true;
    }
    return false;
}

PSD DecodeGif(const uint8_t* data, size_t size) {
    GifSource src{data, size, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&src, GifRead, &err);
    if (!gif) {
        return nullptr;
    }
    PSD psd = nullptr;
    std::vector<GifPixelType> raster;
    GraphicsControlBlock gcb;
    gcb.TransparentColor = NO_TRANSPARENT_COLOR;
    if (gif->SWidth > 0 && gif->SHeight > 0 && gif->SWidth <= g_nMaxDimension &&
        gif->SHeight <= g_nMaxDimension && ReadFirstGifFrame(gif, raster, gcb)) {
        const GifImageDesc& d = gif->Image;
        ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        psd = map ? NewSurface(gif->SWidth, gif->SHeight) : nullptr;
        if (psd) {
            bool transparent = gcb.TransparentColor != NO_TRANSPARENT_COLOR;
            uint32_t bg = transparent ? 0u : 0xFF000000u;
            for (int y = 0; y < psd->yres; ++y) {
                std::fill(Row32(psd, y), Row32(psd, y) + psd->xres, bg);
            }
            for (int y = 0; y < d.Height; ++y) {
                int py = d.Top + y;
                if (py < 0 || py >= psd->yres) {
                    continue;
                }
                uint32_t* row = Row32(psd, py);
                for (int x = 0; x < d.Width; ++x) {
                    int px = d.Left + x;
                    if (px < 0 || px >= psd->xres) {
                        continue;
                    }
                    int idx = raster[(size_t)y * d.Width + x];
                    if (transparent && idx == gcb.TransparentColor) {
                        continue;
                    }
                    if (idx >= map->ColorCount) {
                        continue;
                    }
                    const GifColorType& c = map->Colors[idx];
                    row[px] =
                        0xFF000000u | (uint32_t(c.Red) << 16) | (uint32_t(c.Green) << 8) | c.Blue;
                }
            }
            if (transparent) {
                psd->flags |= PSF_HAVEALPHA;
            }
        }
    }
    DGifCloseFile(gif, &err);
    return psd;
}

struct JpegError {
    jpeg_error_mgr mgr;
    jmp_buf jump;
};

void JpegFail(j_common_ptr cinfo) {
    JpegError* e = reinterpret_cast<JpegError*>(cinfo->err);
    longjmp(e->jump, 1);
}

// libjpeg reports a damaged file by long-jumping out of its calls, which
// skips C++ destructors; so nothing with one lives in this function past the
// setjmp: the line buffer comes from libjpeg's own pool, freed with cinfo.
// With minWidth and minHeight above 0 the picture is decoded at the smallest
// of libjpeg's scales 1/8 .. 8/8 that still covers that size: a thumbnail
// costs a fraction of a full decode and shrink. A preview (asPreviewOf set:
// the width and height of the picture it stands for) is refused unless it
// covers that size and has about the picture's proportions.
PSD DecodeJpeg(const uint8_t* data, size_t size, int minWidth, int minHeight,
               const int* asPreviewOf = nullptr) {
    jpeg_decompress_struct cinfo;
    JpegError err;
    // volatile: still valid after the long jump back.
    PSD volatile psd = nullptr;
    cinfo.err = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = JpegFail;
    err.mgr.output_message = [](j_common_ptr) {};
    if (setjmp(err.jump)) {
        jpeg_destroy_decompress(&cinfo);
        if (psd) {
            FreeMemGC(psd);
        }
        return nullptr;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, (unsigned long)size);
    jpeg_read_header(&cinfo, TRUE);
    // Checked before decompression starts: a progressive file has its whole
    // coefficient buffer allocated there, whatever the output scale.
    if ((int)cinfo.image_width > g_nMaxDimension || (int)cinfo.image_height > g_nMaxDimension) {
        printf("Error: a JPEG picture of %u x %u is larger than %d pixels a side\n",
               (unsigned)cinfo.image_width, (unsigned)cinfo.image_height, g_nMaxDimension);
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    if (asPreviewOf) {
        int64_t w = cinfo.image_width, h = cinfo.image_height;
        int64_t a = w * asPreviewOf[1], b = h * asPreviewOf[0];
        // Within 5 %: a preview with bars or of another crop is not the
        // picture.
        if (w < minWidth || h < minHeight || (a > b ? a - b : b - a) * 20 > std::max(a, b)) {
            jpeg_destroy_decompress(&cinfo);
            return nullptr;
        }
    }
    cinfo.out_color_space = JCS_RGB;
    if (minWidth > 0 && minHeight > 0) {
        // A thumbnail is shrunk again when drawn: the fast transform and
        // plain upsampling cost nothing that shows at that size.
        cinfo.dct_method = JDCT_IFAST;
        cinfo.do_fancy_upsampling = FALSE;
        cinfo.do_block_smoothing = FALSE;
        cinfo.scale_denom = 8;
        for (unsigned num = 1; num <= 8; ++num) {
            cinfo.scale_num = num;
            jpeg_calc_output_dimensions(&cinfo);
            if ((int)cinfo.output_width >= minWidth && (int)cinfo.output_height >= minHeight) {
                break;
            }
        }
    }
    jpeg_start_decompress(&cinfo);
    if ((int)cinfo.output_width > g_nMaxDimension || (int)cinfo.output_height > g_nMaxDimension ||
        cinfo.output_components != 3) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    psd = NewSurface((int)cinfo.output_width, (int)cinfo.output_height);
    if (!psd) {
        jpeg_destroy_decompress(&cinfo);
        return nullptr;
    }
    JSAMPARRAY rows = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo),
                                                 JPOOL_IMAGE, cinfo.output_width * 3, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        int y = (int)cinfo.output_scanline;
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) {
            break;  // suspended: a memory source never does, but never spin
        }
        const JSAMPLE* line = rows[0];
        uint32_t* out = Row32(psd, y);
        for (unsigned x = 0; x < cinfo.output_width; ++x) {
            out[x] = 0xFF000000u | (uint32_t(line[x * 3]) << 16) |
                     (uint32_t(line[x * 3 + 1]) << 8) | line[x * 3 + 2];
        }
    }
    jpeg_finish_decompress(&cinfo);
    // A preview that was cut or damaged (libjpeg fills in grey and warns)
    // gives way to the picture itself.
    bool damagedPreview = asPreviewOf && cinfo.err->num_warnings > 0;
    jpeg_destroy_decompress(&cinfo);
    if (damagedPreview) {
        FreeMemGC(psd);
        return nullptr;
    }
    return psd;
}

PSD DecodeImage(const uint8_t* data, size_t size, const char** kind, int minWidth = 0,
                int minHeight = 0) {
    *kind = "unknown";
    if (size >= 8 && memcmp(data, "\x89PNG\r\n\x1a\n", 8) == 0) {
        *kind = "PNG";
        return DecodePng(data, size);
    }
    if (size >= 6 && memcmp(data, "GIF8", 4) == 0) {
        *kind = "GIF";
        return DecodeGif(data, size);
    }
    if (size >= 3 && data[0] == 0xFF && data[1] == 0xD8 && data[2] == 0xFF) {
        *kind = "JPEG";
        return DecodeJpeg(data, size, minWidth, minHeight);
    }
    return nullptr;
}

}  // namespace

void VeltoTk::SetImageSideLimit(int nPixels) {
    g_nMaxDimension = nPixels;
}

int VeltoTk::ImageSideLimit() {
    return g_nMaxDimension;
}

namespace {

// The preview in the EXIF block of a JPEG file (data may be its head), when
// it covers minWidth x minHeight; null otherwise, or when it is damaged.
PSD DecodePreview(const uint8_t* data, size_t size, int minWidth, int minHeight) {
    if (minWidth <= 0 || minHeight <= 0 || size < 3 || data[0] != 0xFF || data[1] != 0xD8 ||
        data[2] != 0xFF) {
        return nullptr;
    }
    JpegHead head = ReadJpegHead(data, size);
    if (head.thumbLength == 0 || head.width <= 0 || head.height <= 0) {
        return nullptr;
    }
    const int picture[2] = {head.width, head.height};
    return DecodeJpeg(data + head.thumbOffset, head.thumbLength, minWidth, minHeight, picture);
}

PSD LoadFile(const char* path, int minWidth, int minHeight) {
    if (!path || !*path) {
        return nullptr;
    }
    std::vector<uint8_t> data;
    FILE* f = Board().Fopen(path, "rb");
    bool atEnd = false;
    bool ok = f != nullptr;
    if (ok && minWidth > 0 && minHeight > 0) {
        // The preview needs only the file's head; the rest is read when
        // there is none that will do.
        ok = ReadUpTo(f, data, kHeadBytes, &atEnd);
        if (ok) {
            if (PSD psd = DecodePreview(data.data(), data.size(), minWidth, minHeight)) {
                fclose(f);
                return psd;
            }
        }
    }
    if (ok && !atEnd) {
        ok = ReadUpTo(f, data, kMaxImageFile + 1, &atEnd);
    }
    if (f) {
        fclose(f);
    }
    if (!ok) {
        printf("Error: cannot read image %s\n", path);
        return nullptr;
    }
    const char* kind = nullptr;
    PSD psd = DecodeImage(data.data(), data.size(), &kind, minWidth, minHeight);
    if (!psd) {
        printf("Error: image %s is damaged or not a PNG, GIF or JPEG file (%s)\n", path, kind);
    }
    return psd;
}

}  // namespace

PSD GdLoadImageFromFile(const char* path, int) {
    return LoadFile(path, 0, 0);
}

PSD GdLoadImageFromFileAtLeast(const char* path, int minWidth, int minHeight) {
    return LoadFile(path, minWidth, minHeight);
}

PSD GdLoadImageFromMemory(const void* data, size_t size) {
    return GdLoadImageFromMemoryAtLeast(data, size, 0, 0);
}

PSD GdLoadImageFromMemoryAtLeast(const void* data, size_t size, int minWidth, int minHeight) {
    if (!data || size == 0 || size > kMaxImageFile) {
        return nullptr;
    }
    const uint8_t* bytes = static_cast<const uint8_t*>(data);
    if (PSD psd = DecodePreview(bytes, size, minWidth, minHeight)) {
        return psd;
    }
    const char* kind = nullptr;
    return DecodeImage(bytes, size, &kind, minWidth, minHeight);
}

void DrawDIBFit(HDC hdc, int x, int y, int width, int height, PSD image) {
    CDc* dc = FindDc(hdc);
    if (!dc || !image || !dc->psd || !dc->psd->addr) {
        return;
    }
    if (width <= 0 || height <= 0) {
        width = image->xres;
        height = image->yres;
    }
    StretchBlit(dc->psd, dc->clip, x + dc->origin.x, y + dc->origin.y, width, height, image);
}

PSD GdGetScreen() {
    return Tk().screen;
}

void GdFreeSurface(PSD psd) {
    FreeMemGC(psd);
}
