#include "sim/sim_camera_scene.h"

#include <string.h>

#include <algorithm>

namespace {

// 24 bits of frame number, then a CRC-8 of them, so a torn band is caught.
const int kCells = 32;
const int kNumberBits = 24;
const uint8_t kLumaOne = 235;
const uint8_t kLumaZero = 16;

int CellWidth(int width) {
    return width / kCells;
}
int BandHeight(int height) {
    return std::max(8, height / 15);
}

uint32_t Crc8(uint32_t n) {
    uint32_t crc = 0;
    for (int bit = 23; bit >= 0; --bit) {
        uint32_t top = ((crc >> 7) ^ (n >> bit)) & 1;
        crc = ((crc << 1) & 0xFF) ^ (top ? 0x07 : 0);
    }
    return crc ^ 0xA5;  // so that an all-black or all-white band is no code
}

uint32_t CodeWord(uint32_t frameNo) {
    uint32_t n = frameNo & 0xFFFFFF;
    return (n << 8) | Crc8(n);
}

uint8_t Clamp(int v) {
    return static_cast<uint8_t>(std::min(255, std::max(0, v)));
}

struct Yuv {
    int y, u, v;
};

// Colour bars: white, yellow, cyan, green, magenta, red, blue, black.
const Yuv kBars[8] = {{235, 128, 128}, {210, 16, 146}, {170, 166, 16}, {145, 54, 34},
                      {106, 202, 222}, {81, 90, 240},  {41, 240, 110}, {16, 128, 128}};

}  // namespace

void VeltoSimDrawScene(uint8_t* yuyv, int width, int height, uint32_t frameNo,
                       const VeltoSimSceneLook& look) {
    if (yuyv == nullptr || width <= 0 || height <= 0) {
        return;
    }
    if (width < 64 || height < 16 || width % 2 != 0) {
        memset(yuyv, 128, static_cast<size_t>(width) * height * 2);
        return;
    }
    const int rowBytes = width * 2;
    const int cellW = CellWidth(width);
    const int bandH = BandHeight(height);
    const uint32_t code = CodeWord(frameNo);

    for (int x = 0; x < width; x += 2) {
        uint8_t* p = yuyv + x * 2;
        int cell = x / cellW;
        uint8_t y0 = kLumaZero, y1 = kLumaZero;
        if (cell < kCells) {
            y0 = (code >> (kCells - 1 - cell)) & 1 ? kLumaOne : kLumaZero;
        }
        if ((x + 1) / cellW < kCells) {
            y1 = (code >> (kCells - 1 - (x + 1) / cellW)) & 1 ? kLumaOne : kLumaZero;
        }
        p[0] = y0;
        p[1] = 128;
        p[2] = y1;
        p[3] = 128;
    }
    for (int row = 1; row < bandH; ++row) {
        memcpy(yuyv + row * rowBytes, yuyv, rowBytes);
    }

    // Bars that slide left by 4 pixels a frame, and a box that walks down.
    const int shift = static_cast<int>((frameNo * 4) % static_cast<uint32_t>(width));
    const int barW = std::max(2, width / 8);
    const int sat = std::max(0, look.saturationPercent);
    uint8_t* line = yuyv + bandH * rowBytes;
    for (int x = 0; x < width; x += 2) {
        const Yuv& c = kBars[((x + shift) / barW) % 8];
        uint8_t y = Clamp(c.y + look.brightness);
        uint8_t u = Clamp(128 + (c.u - 128) * sat / 100);
        uint8_t v = Clamp(128 + (c.v - 128) * sat / 100);
        line[x * 2 + 0] = y;
        line[x * 2 + 1] = u;
        line[x * 2 + 2] = y;
        line[x * 2 + 3] = v;
    }
    for (int row = bandH + 1; row < height; ++row) {
        memcpy(yuyv + row * rowBytes, line, rowBytes);
    }
    const int box = std::max(8, height / 8);
    const int span = std::max(1, height - bandH - box);
    const int top = bandH + static_cast<int>(frameNo % static_cast<uint32_t>(span));
    const int left = (width - box) / 2 & ~1;
    for (int row = top; row < top + box && row < height; ++row) {
        uint8_t* p = yuyv + row * rowBytes + left * 2;
        for (int x = 0; x < box; x += 2) {
            p[x * 2 + 0] = Clamp(235 + look.brightness);
            p[x * 2 + 1] = 128;
            p[x * 2 + 2] = Clamp(235 + look.brightness);
            p[x * 2 + 3] = 128;
        }
    }
}

long VeltoSimReadSceneNumber(const uint8_t* luma, int width, int height, int pixelStride,
                             int rowStride) {
    if (luma == nullptr || width < 64 || height < 16) {
        return -1;
    }
    const int cellW = CellWidth(width);
    const int row = BandHeight(height) / 2;
    uint32_t code = 0;
    for (int cell = 0; cell < kCells; ++cell) {
        int x = cell * cellW + cellW / 2;
        uint8_t y = luma[static_cast<long>(row) * rowStride + static_cast<long>(x) * pixelStride];
        code = (code << 1) | (y >= 128 ? 1u : 0u);
    }
    uint32_t n = code >> 8;
    if (Crc8(n) != (code & 0xFF)) {
        return -1;
    }
    static_assert(kNumberBits == 24, "code layout");
    return static_cast<long>(n);
}

long VeltoSimReadSceneNumberYUYV(const uint8_t* yuyv, int width, int height) {
    return VeltoSimReadSceneNumber(yuyv, width, height, 2, width * 2);
}
