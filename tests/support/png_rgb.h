// Reads a PNG file (a screenshot) as packed RGB bytes, for tests and
// benchmarks that look at the screen.
#pragma once

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace VeltoTest {

// The pixels, three bytes each, row after row; empty when the file cannot
// be read. *width and *height get the size.
inline std::vector<uint8_t> ReadPngRgb(const std::string& file, int* width, int* height) {
    png_image img{};
    img.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&img, file.c_str())) {
        return {};
    }
    img.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> px(PNG_IMAGE_SIZE(img));
    if (!png_image_finish_read(&img, nullptr, px.data(), 0, nullptr)) {
        return {};
    }
    *width = static_cast<int>(img.width);
    *height = static_cast<int>(img.height);
    return px;
}

}  // namespace VeltoTest
