#include "camera/utils.h"

#include <stddef.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>

#include "camera/digital_glyphs.h"
#include "platform/velto_SC_utils.h"

namespace {

static_assert(kDigitalGlyphWidth * 3 == kGlyphBytesPerRow && kDigitalGlyphHeight == kGlyphRows,
              "glyph art and glyph bitmaps disagree on the size");

// The glyph bitmaps, expanded from the art once before main().
unsigned char s_glyphs[kDigitalGlyphCount][kGlyphBytes];

bool ExpandGlyphs() {
    for (int g = 0; g < kDigitalGlyphCount; g++) {
        for (int r = 0; r < kGlyphRows; r++) {
            // Stored bottom row first.
            const char* art = kDigitalGlyphArt[g][kGlyphRows - 1 - r];
            unsigned char* row = s_glyphs[g] + r * kGlyphBytesPerRow;
            for (int c = 0; c < kDigitalGlyphWidth; c++) {
                memset(row + 3 * c, art[c] == '#' ? 255 : 0, 3);
            }
        }
    }
    return true;
}
const bool s_glyphsExpanded = ExpandGlyphs();

const char* GlyphAt(int i) {
    return reinterpret_cast<const char*>(s_glyphs[i]);
}

int GlyphIndex(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c == '-' ? 10 : (c == ':' ? 11 : -1);
}

// One line of the crop: Y pairs to the Y plane, chroma with its top bit
// flipped (= byte - 128) to the U and V planes. GCC's default -O2 cost model
// leaves this deinterleave scalar; the vectorised loop is several times
// cheaper on the PC, and the board's compiler keeps the scalar form.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("vect-cost-model=dynamic")))
#endif
void SplitLine(const uint8_t* __restrict in, uint8_t* __restrict y, uint8_t* __restrict u,
               uint8_t* __restrict v, size_t groups) {
    for (size_t i = 0; i < groups; i++) {
        y[2 * i] = in[4 * i];
        y[2 * i + 1] = in[4 * i + 2];
        u[i] = in[4 * i + 1] ^ 0x80;
        v[i] = in[4 * i + 3] ^ 0x80;
    }
}

}  // namespace

const char* const Digital_Num_Array[12] = {GlyphAt(0), GlyphAt(1), GlyphAt(2),  GlyphAt(3),
                                           GlyphAt(4), GlyphAt(5), GlyphAt(6),  GlyphAt(7),
                                           GlyphAt(8), GlyphAt(9), GlyphAt(10), GlyphAt(11)};

int YUYVtoYUV422PZoomoutCen(char* in, char* out, unsigned width, unsigned height, unsigned dstW,
                            unsigned dstH) {
    if (dstW > width || dstH > height || !in || !out) {
        return -1;
    }
    size_t half = size_t(dstW) * dstH / 2;
    uint8_t* y = reinterpret_cast<uint8_t*>(out);
    uint8_t* u = y + half * 2;
    uint8_t* v = y + half * 3;
    // An even left margin keeps the source on group boundaries, so U and V
    // never trade places.
    size_t left = ((width - dstW) / 2) & ~1u;
    size_t top = (height - dstH) / 2;
    const uint8_t* src = reinterpret_cast<const uint8_t*>(in) + (top * width + left) * 2;
    size_t groups = dstW / 2;
    for (unsigned line = 0; line < dstH; line++) {
        SplitLine(src, y, u, v, groups);
        src += size_t(width) * 2;
        y += dstW;
        u += groups;
        v += groups;
    }
    return 2;
}

void invert_flip_bimap_output(unsigned char* rgb, const char* glyph, int x, int y, unsigned width) {
    if (!rgb || !glyph) {
        return;
    }
    for (int r = 0; r < kGlyphRows; r++) {
        const char* src = glyph + (kGlyphRows - 1 - r) * kGlyphBytesPerRow;
        unsigned char* dst = rgb + (size_t(y + r) * width + x) * 3;
        for (int b = 0; b < kGlyphBytesPerRow; b++) {
            if (src[b] != 0) {
                dst[b] = static_cast<unsigned char>(src[b]);
            }
        }
    }
}

int put_timestamp_to_rgb_matrix(unsigned char* rgb, unsigned width, unsigned height) {
    return put_timestamp_to_rgb_matrix_at(rgb, width, height, Velto::GetNow());
}

int put_timestamp_to_rgb_matrix_at(unsigned char* rgb, unsigned width, unsigned height,
                                   const struct tm& now) {
    if (!rgb) {
        return 0;
    }
    char text[64];
    snprintf(text, sizeof(text), "%4d-%02d-%02d %02d:%02d:%02d", now.tm_year + 1900, now.tm_mon + 1,
             now.tm_mday, now.tm_hour, now.tm_min, now.tm_sec);
    long top = long(height) - 48;
    for (int i = 0; i < 19 && text[i]; i++) {
        int g = GlyphIndex(text[i]);
        long left = long(width) + 24 * i - 532;
        // A narrow or short image keeps the stamp inside its own memory.
        if (g < 0 || left < 0 || top < 0 || left + kDigitalGlyphWidth > long(width) ||
            top + kGlyphRows > long(height)) {
            continue;
        }
        invert_flip_bimap_output(rgb, Digital_Num_Array[g], int(left), int(top), width);
    }
    return 0;
}
