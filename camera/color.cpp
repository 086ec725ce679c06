#include "camera/color.h"

#include <stdio.h>
#include <string.h>

#include <new>

int32_t* LutRv = nullptr;
int32_t* LutBu = nullptr;
int32_t* LutGu = nullptr;
int32_t* LutGv = nullptr;

namespace {

// Channel sums Y + table lie in [-222, 476]; the clamp tables cover
// [-256, 511] so a sum indexes them directly.
constexpr int kClipOffset = 256;
constexpr int kClipSize = 768;
uint8_t s_clip[kClipSize];
// The same clamp, placed in a little-endian B, G, R, 255 word: a BGRA pixel
// is then three loads or-ed together and one store.
uint32_t s_clipB32[kClipSize];
uint32_t s_clipG32[kClipSize];
uint32_t s_clipR32[kClipSize];

// Per V or U byte, pointers into the clamp tables already moved by the table
// value, so a channel is one load, base[Y]. Green needs U and V: its V base
// is moved further by s_guOff[U]. Built together with the tables.
const uint8_t* s_rBase[256];
const uint8_t* s_bBase[256];
const uint8_t* s_gBaseV[256];
const uint32_t* s_rBase32[256];
const uint32_t* s_bBase32[256];
const uint32_t* s_gBase32V[256];
ptrdiff_t s_guOff[256];

int32_t Scaled(int i, double factor) {
    // Truncation toward zero is what the cast does.
    return static_cast<int32_t>((i - 128) * factor / 1000.0);
}

void BuildFastTables() {
    for (int i = 0; i < kClipSize; i++) {
        int x = i - kClipOffset;
        uint32_t c = static_cast<uint32_t>(x < 0 ? 0 : (x > 255 ? 255 : x));
        s_clip[i] = static_cast<uint8_t>(c);
        s_clipB32[i] = c | 0xFF000000u;
        s_clipG32[i] = c << 8;
        s_clipR32[i] = c << 16;
    }
    for (int i = 0; i < 256; i++) {
        s_rBase[i] = s_clip + kClipOffset + LutRv[i];
        s_bBase[i] = s_clip + kClipOffset + LutBu[i];
        s_gBaseV[i] = s_clip + kClipOffset + LutGv[i];
        s_rBase32[i] = s_clipR32 + kClipOffset + LutRv[i];
        s_bBase32[i] = s_clipB32 + kClipOffset + LutBu[i];
        s_gBase32V[i] = s_clipG32 + kClipOffset + LutGv[i];
        s_guOff[i] = LutGu[i];
    }
}

// Writes the two pixels of one group.
struct Rgb24 {
    static constexpr int kBytes = 6;
    static inline void Put(unsigned u, unsigned v, unsigned y0, unsigned y1, unsigned char* out) {
        const uint8_t* r = s_rBase[v];
        const uint8_t* g = s_gBaseV[v] + s_guOff[u];
        const uint8_t* b = s_bBase[u];
        out[0] = r[y0];
        out[1] = g[y0];
        out[2] = b[y0];
        out[3] = r[y1];
        out[4] = g[y1];
        out[5] = b[y1];
    }
};

struct Bgra32 {
    static constexpr int kBytes = 8;
    static inline void Put(unsigned u, unsigned v, unsigned y0, unsigned y1, unsigned char* out) {
        const uint32_t* r = s_rBase32[v];
        const uint32_t* g = s_gBase32V[v] + s_guOff[u];
        const uint32_t* b = s_bBase32[u];
        uint32_t p0 = b[y0] | g[y0] | r[y0];
        uint32_t p1 = b[y1] | g[y1] | r[y1];
        memcpy(out, &p0, 4);
        memcpy(out + 4, &p1, 4);
    }
};

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__, "BGRA words assume little endian");

// Two groups per pass halve the loop overhead, which is a good part of the
// per-pixel cost on the board's scalar core.
template <class Order>
bool Convert(const unsigned char* in, unsigned char* out, size_t pixels) {
    if (!LutGu) {
        return false;
    }
    size_t groups = pixels / 2;
    for (const unsigned char* end = in + (groups & ~size_t(1)) * 4; in != end;
         in += 8, out += 2 * Order::kBytes) {
        Order::Put(in[1], in[3], in[0], in[2], out);
        Order::Put(in[5], in[7], in[4], in[6], out + Order::kBytes);
    }
    if (groups & 1) {
        Order::Put(in[1], in[3], in[0], in[2], out);
    }
    return true;
}

}  // namespace

bool initLut() {
    if (LutRv && LutBu && LutGu && LutGv) {
        return true;
    }
    freeLut();
    LutRv = new (std::nothrow) int32_t[256];
    LutBu = new (std::nothrow) int32_t[256];
    LutGu = new (std::nothrow) int32_t[256];
    LutGv = new (std::nothrow) int32_t[256];
    if (!LutRv || !LutBu || !LutGu || !LutGv) {
        printf("Error: initLut out of memory\n");
        freeLut();
        return false;
    }
    for (int i = 0; i < 256; i++) {
        LutRv[i] = Scaled(i, 1370.705);
        LutBu[i] = Scaled(i, 1732.446);
        // 337.633 belongs to the same coefficient set as the other three.
        LutGu[i] = Scaled(i, -337.633);
        LutGv[i] = Scaled(i, -698.001);
    }
    BuildFastTables();
    return true;
}

void freeLut() {
    delete[] LutRv;
    delete[] LutBu;
    delete[] LutGu;
    delete[] LutGv;
    LutRv = LutBu = LutGu = LutGv = nullptr;
}

static int Clamp(int x) {
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}

int R_FROMYV(int y, int v) {
    return Clamp(y + LutRv[v & 0xFF]);
}
int G_FROMYUV(int y, int u, int v) {
    return Clamp(y + LutGu[u & 0xFF] + LutGv[v & 0xFF]);
}
int B_FROMYU(int y, int u) {
    return Clamp(y + LutBu[u & 0xFF]);
}

namespace Velto {

bool ConvertYUYVToRGB24(const unsigned char* in, unsigned char* out, size_t pixels) {
    return Convert<Rgb24>(in, out, pixels);
}

bool ConvertYUYVToBGRA32(const unsigned char* in, unsigned char* out, size_t pixels) {
    return Convert<Bgra32>(in, out, pixels);
}

}  // namespace Velto

int Pyuv422torgb24(unsigned char* in, unsigned char* out, unsigned width, unsigned height) {
    printf("Pyuv422torgb24\n");
    if (!in || !out || !Velto::ConvertYUYVToRGB24(in, out, size_t(width) * height)) {
        printf("Error: Pyuv422torgb24 without colour tables or buffers\n");
        return -1;
    }
    printf("Pyuv422torgb24@@@@@@@@@\n");
    return 2;
}

int Pyuv422torgb32(unsigned char* in, unsigned char* out, unsigned width, unsigned height) {
    if (!in || !out || !Velto::ConvertYUYVToBGRA32(in, out, size_t(width) * height)) {
        printf("Error: Pyuv422torgb32 without colour tables or buffers\n");
        return -1;
    }
    return 2;
}
