#include "media/JPEG_Encoder.h"

#include <setjmp.h>
#include <stdlib.h>

#include <jpeglib.h>

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
    cinfo.image_width = width;
    cinfo.image_height = height;
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
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
        std::vector<uint8_t> exif = VeltoBuildExifBlock(now, width, height);
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
