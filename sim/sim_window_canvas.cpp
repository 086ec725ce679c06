#include "sim/sim_window_canvas.h"

#include <ft2build.h>
#include <stdio.h>
#include FT_FREETYPE_H

#include <algorithm>

void CVeltoSimCanvas::Resize(int width, int height, uint32_t colour) {
    m_nWidth = width;
    m_nHeight = height;
    m_pixels.assign((size_t)width * height, colour);
}

void CVeltoSimCanvas::Fill(const SVeltoSimRect& r, uint32_t colour) {
    int x0 = std::max(r.x, 0), y0 = std::max(r.y, 0);
    int x1 = std::min(r.x + r.w, m_nWidth), y1 = std::min(r.y + r.h, m_nHeight);
    for (int y = y0; y < y1; ++y) {
        std::fill(&m_pixels[(size_t)y * m_nWidth + x0], &m_pixels[(size_t)y * m_nWidth + x1],
                  colour);
    }
}

void CVeltoSimCanvas::Frame(const SVeltoSimRect& r, uint32_t colour) {
    Fill(SVeltoSimRect{r.x, r.y, r.w, 1}, colour);
    Fill(SVeltoSimRect{r.x, r.y + r.h - 1, r.w, 1}, colour);
    Fill(SVeltoSimRect{r.x, r.y, 1, r.h}, colour);
    Fill(SVeltoSimRect{r.x + r.w - 1, r.y, 1, r.h}, colour);
}

void CVeltoSimCanvas::Blend(int x, int y, uint32_t colour, unsigned alpha) {
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || alpha == 0) {
        return;
    }
    uint32_t& p = m_pixels[(size_t)y * m_nWidth + x];
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned a = colour >> shift & 0xFF, b = p >> shift & 0xFF;
        out |= (uint32_t)((a * alpha + b * (255 - alpha) + 127) / 255) << shift;
    }
    p = out;
}

void CVeltoSimCanvas::Disc(int cx, int cy, int radius, uint32_t colour) {
    for (int y = -radius; y <= radius; ++y) {
        for (int x = -radius; x <= radius; ++x) {
            if (x * x + y * y <= radius * radius) {
                Blend(cx + x, cy + y, colour, 255);
            }
        }
    }
}

void CVeltoSimCanvas::Arrow(const SVeltoSimRect& r, char dir, uint32_t colour) {
    const int size = std::min(r.w, r.h) / 2;
    const int cx = r.x + r.w / 2, cy = r.y + r.h / 2;
    for (int i = 0; i < size; ++i) {
        int half = i / 2;  // the triangle widens away from its tip
        int tip = -size / 2 + i;
        for (int j = -half; j <= half; ++j) {
            int x = 0, y = 0;
            switch (dir) {
                case 'U':
                    x = cx + j, y = cy + tip;
                    break;
                case 'D':
                    x = cx + j, y = cy - tip;
                    break;
                case 'L':
                    x = cx + tip, y = cy + j;
                    break;
                default:
                    x = cx - tip, y = cy + j;
                    break;
            }
            Blend(x, y, colour, 255);
        }
    }
}

void CVeltoSimCanvas::Blit(const uint32_t* px, int w, int h, int x, int y, int scale) {
    for (int sy = 0; sy < h * scale; ++sy) {
        int dy = y + sy;
        if (dy < 0 || dy >= m_nHeight) {
            continue;
        }
        const uint32_t* src = px + (size_t)(sy / scale) * w;
        uint32_t* dst = &m_pixels[(size_t)dy * m_nWidth];
        for (int sx = 0; sx < w * scale; ++sx) {
            int dx = x + sx;
            if (dx >= 0 && dx < m_nWidth) {
                dst[dx] = src[sx / scale] | 0xFF000000u;
            }
        }
    }
}

CVeltoSimFont::~CVeltoSimFont() {
    if (m_pFace) {
        FT_Done_Face(static_cast<FT_Face>(m_pFace));
    }
    if (m_pLibrary) {
        FT_Done_FreeType(static_cast<FT_Library>(m_pLibrary));
    }
}

bool CVeltoSimFont::Load(const std::string& path, int pixels) {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&lib) != 0) {
        fprintf(stderr, "velto-sim: FreeType cannot start\n");
        return false;
    }
    if (FT_New_Face(lib, path.c_str(), 0, &face) != 0) {
        fprintf(stderr, "velto-sim: cannot read the font %s\n", path.c_str());
        FT_Done_FreeType(lib);
        return false;
    }
    FT_Set_Pixel_Sizes(face, 0, (FT_UInt)pixels);
    m_pLibrary = lib;
    m_pFace = face;
    m_nPixels = pixels;
    return true;
}

namespace {

// The next code point of UTF-8 text at i; a broken sequence gives '?'.
uint32_t NextCodePoint(const std::string& s, size_t& i) {
    unsigned char c = (unsigned char)s[i++];
    if (c < 0x80) {
        return c;
    }
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : -1;
    if (extra < 0) {
        return '?';
    }
    uint32_t cp = c & (0x3F >> extra);
    for (int k = 0; k < extra; ++k) {
        if (i >= s.size() || ((unsigned char)s[i] & 0xC0) != 0x80) {
            return '?';
        }
        cp = cp << 6 | ((unsigned char)s[i++] & 0x3F);
    }
    return cp;
}

}  // namespace

int CVeltoSimFont::Measure(const std::string& text) {
    FT_Face face = static_cast<FT_Face>(m_pFace);
    if (!face) {
        return 0;
    }
    int width = 0;
    for (size_t i = 0; i < text.size();) {
        if (FT_Load_Char(face, NextCodePoint(text, i), FT_LOAD_DEFAULT) == 0) {
            width += (int)(face->glyph->advance.x >> 6);
        }
    }
    return width;
}

void CVeltoSimFont::Draw(CVeltoSimCanvas& canvas, int x, int y, const std::string& text,
                         uint32_t colour, int maxWidth) {
    FT_Face face = static_cast<FT_Face>(m_pFace);
    if (!face) {
        return;
    }
    const int baseline = y + (int)(face->size->metrics.ascender >> 6);
    int pen = x;
    for (size_t i = 0; i < text.size();) {
        if (FT_Load_Char(face, NextCodePoint(text, i), FT_LOAD_RENDER) != 0) {
            continue;
        }
        FT_GlyphSlot g = face->glyph;
        if (maxWidth > 0 && pen + (int)(g->advance.x >> 6) > x + maxWidth) {
            break;
        }
        const FT_Bitmap& bm = g->bitmap;
        for (unsigned row = 0; row < bm.rows; ++row) {
            for (unsigned col = 0; col < bm.width; ++col) {
                canvas.Blend(pen + g->bitmap_left + (int)col, baseline - g->bitmap_top + (int)row,
                             colour, bm.buffer[row * bm.pitch + col]);
            }
        }
        pen += (int)(g->advance.x >> 6);
    }
}
