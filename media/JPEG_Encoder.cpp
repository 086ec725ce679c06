#include "media/JPEG_Encoder.h"

#include <setjmp.h>
#include <stdlib.h>

#include <jpeglib.h>

#include <algorithm>
#include <vector>

#include "camera/color.h"
#include "camera/utils.h"
#include "media/velto_exif.h"
#include "platform/velto_SC_utils.h"

namespace {

struct my_error_mgr {
    jpeg_error_mgr pub;
    jmp_buf setjmp_buffer;
};

// A libjpeg error must not end the process: print its text, then return to
// the encoder, which cleans up and reports failure.
void my_error_exit(j_common_ptr cinfo) {
    my_error_mgr* err = reinterpret_cast<my_error_mgr*>(cinfo->err);
    (*cinfo->err->output_message)(cinfo);
    longjmp(err->setjmp_buffer, 1);
}

// The settings both encodes share: RGB rows of width x height at quality.
void SetPicture(jpeg_compress_struct& cinfo, int width, int height, int quality) {
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
}

// Everything between setjmp and the jumps lives here, so no local of the
// caller is modified after setjmp (which would leave it indeterminate).
int Compress(FILE* file, unsigned char* rgb, int width, int height, int quality,
             const std::vector<uint8_t>& exif) {
    jpeg_compress_struct cinfo;
    my_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = my_error_exit;
    if (setjmp(jerr.setjmp_buffer)) {
        jpeg_destroy_compress(&cinfo);
        return -1;
    }
    // The version of the headers we were built with (80 for the board's
    // library); a fixed number would refuse any other build of the library.
    jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof(cinfo));
    jpeg_stdio_dest(&cinfo, file);
    SetPicture(cinfo, width, height, quality);
    cinfo.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&cinfo, TRUE);
    // After the JFIF marker that jpeg_start_compress wrote.
    jpeg_write_marker(&cinfo, JPEG_APP0 + 1, exif.data(), static_cast<unsigned>(exif.size()));
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = rgb + size_t(cinfo.next_scanline) * width * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return 0;
}

// The preview's box in pixels, and its quality: small enough that a page of
// six decodes in a fraction of one picture, good enough for a grid cell.
const int kThumbWidth = 160;
const int kThumbHeight = 120;
const int kThumbQuality = 80;

// The picture averaged down into tw x th (each output pixel the mean of the
// source pixels it covers), so the preview does not alias.
std::vector<unsigned char> BoxShrink(const unsigned char* rgb, int w, int h, int tw, int th) {
    std::vector<unsigned char> out(size_t(tw) * th * 3);
    for (int ty = 0; ty < th; ++ty) {
        int y0 = int(int64_t(ty) * h / th), y1 = int(int64_t(ty + 1) * h / th);
        for (int tx = 0; tx < tw; ++tx) {
            int x0 = int(int64_t(tx) * w / tw), x1 = int(int64_t(tx + 1) * w / tw);
            uint32_t sum[3] = {0, 0, 0};
            for (int y = y0; y < y1; ++y) {
                const unsigned char* p = rgb + (size_t(y) * w + x0) * 3;
                for (int x = x0; x < x1; ++x, p += 3) {
                    sum[0] += p[0];
                    sum[1] += p[1];
                    sum[2] += p[2];
                }
            }
            uint32_t n = uint32_t(x1 - x0) * uint32_t(y1 - y0);
            unsigned char* o = &out[(size_t(ty) * tw + tx) * 3];
            for (int c = 0; c < 3; ++c) {
                o[c] = (unsigned char)((sum[c] + n / 2) / n);
            }
        }
    }
    return out;
}

// A bare baseline JPEG in memory (no JFIF marker: it lives inside the EXIF
// block). *out comes from the library's malloc; null when it failed.
void CompressToMemory(const unsigned char* rgb, int w, int h, int quality, unsigned char** out,
                      unsigned long* outSize) {
    jpeg_compress_struct cinfo;
    my_error_mgr jerr;
    cinfo.err = jpeg_std_error(&jerr.pub);
    jerr.pub.error_exit = my_error_exit;
    if (setjmp(jerr.setjmp_buffer)) {
        jpeg_destroy_compress(&cinfo);
        free(*out);
        *out = nullptr;
        *outSize = 0;
        return;
    }
    jpeg_CreateCompress(&cinfo, JPEG_LIB_VERSION, sizeof(cinfo));
    jpeg_mem_dest(&cinfo, out, outSize);
    SetPicture(cinfo, w, h, quality);
    cinfo.write_JFIF_header = FALSE;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<unsigned char*>(rgb) + size_t(cinfo.next_scanline) * w * 3;
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
}

// The preview of the picture as stamped, fitted into the thumbnail box with
// the picture's proportions; empty for a picture no larger than the box or
// when the preview cannot be made (the picture is then saved without one).
std::vector<uint8_t> MakeThumbnail(const unsigned char* rgb, int w, int h) {
    int tw = kThumbWidth, th = kThumbHeight;
    if (int64_t(w) * kThumbHeight >= int64_t(h) * kThumbWidth) {
        th = std::max(1, int((int64_t(h) * kThumbWidth + w / 2) / w));
    } else {
        tw = std::max(1, int((int64_t(w) * kThumbHeight + h / 2) / h));
    }
    if (tw >= w || th >= h) {
        return {};
    }
    std::vector<unsigned char> small = BoxShrink(rgb, w, h, tw, th);
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    CompressToMemory(small.data(), tw, th, kThumbQuality, &jpeg, &size);
    std::vector<uint8_t> out;
    if (jpeg) {
        out.assign(jpeg, jpeg + size);
        free(jpeg);
    }
    return out;
}

}  // namespace

int encode_yuv422_to_rgb_jpeg(FILE* file, unsigned char* yuyv, int width, int height, int quality) {
    if (!file || !yuyv || width <= 0 || height <= 0) {
        return -1;
    }
    unsigned char* rgb = static_cast<unsigned char*>(malloc(size_t(width) * 3 * height));
    if (!rgb) {
        return -1;
    }
    int result = -1;
    if (Pyuv422torgb24(yuyv, rgb, width, height) >= 0) {
        // One reading of the clock for the stamp and the EXIF block.
        tm now = Velto::GetNow();
        put_timestamp_to_rgb_matrix_at(rgb, width, height, now);
        std::vector<uint8_t> thumb = MakeThumbnail(rgb, width, height);
        std::vector<uint8_t> exif =
            VeltoBuildExifBlock(now, width, height, thumb.data(), thumb.size());
        result = Compress(file, rgb, width, height, quality, exif);
    }
    free(rgb);
    return result;
}

int encode_yuyv_frame_to_jpeg(FILE* file, unsigned char* yuyv, long length, int width, int height,
                              int quality) {
    long expected = long(width) * height * 2;
    if (width <= 0 || height <= 0 || length != expected) {
        printf("Error: frame of %ld bytes is not a %dx%d YUYV frame (%ld bytes)\n", length, width,
               height, expected);
        return -1;
    }
    return encode_yuv422_to_rgb_jpeg(file, yuyv, width, height, quality);
}
