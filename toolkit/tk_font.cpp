#include "toolkit/tk_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include <dirent.h>
#include <stdio.h>
#include <string.h>
#include <strings.h>
#include <sys/stat.h>

#include <set>

#include "toolkit/tk_surface.h"

#ifndef VELTO_TK_FONT_DIR
#define VELTO_TK_FONT_DIR ""
#endif

namespace VeltoTk {

static int g_nTextCoding = MWTF_UTF8;

int TextCoding() {
    return g_nTextCoding;
}

}  // namespace VeltoTk

int MwSetTextCoding(int coding) {
    int old = VeltoTk::g_nTextCoding;
    VeltoTk::g_nTextCoding = coding == MWTF_ASCII ? MWTF_ASCII : MWTF_UTF8;
    return old;
}

namespace VeltoTk {

static FT_Library Library() {
    static FT_Library lib = nullptr;
    static bool tried = false;
    if (!tried) {
        tried = true;
        if (FT_Init_FreeType(&lib) != 0) {
            printf("Error: font engine could not start\n");
            lib = nullptr;
        }
    }
    return lib;
}

CFontFace::~CFontFace() {
    if (m_pFace) {
        FT_Done_Face(static_cast<FT_Face>(m_pFace));
    }
}

std::shared_ptr<CFontFace> CFontFace::Open(const std::string& file, int height, bool bold) {
    FT_Library lib = Library();
    if (!lib || file.empty()) {
        return nullptr;
    }
    FT_Face face = nullptr;
    if (FT_New_Face(lib, file.c_str(), 0, &face) != 0) {
        return nullptr;
    }
    if (height < 1) {
        height = 1;
    }
    if (FT_Set_Pixel_Sizes(face, 0, (FT_UInt)height) != 0) {
        FT_Done_Face(face);
        return nullptr;
    }
    // A cut file can open by its header and still have no glyph outlines
    // (they load as empty shapes); such a face would draw nothing, so it is
    // refused and the caller falls back to another font.
    FT_UInt probe = FT_Get_Char_Index(face, 'A');
    if (FT_Load_Glyph(face, probe, FT_LOAD_NO_SCALE) != 0 ||
        (face->glyph->format == FT_GLYPH_FORMAT_OUTLINE && face->glyph->outline.n_points == 0)) {
        FT_Done_Face(face);
        return nullptr;
    }
    std::shared_ptr<CFontFace> f(new CFontFace());
    f->m_pFace = face;
    // A bold request on a face that is bold already takes the face as it is:
    // emboldening it again would widen the text past the boxes made for it.
    f->m_bBold = bold && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    f->m_nAscent = (int)((face->size->metrics.ascender + 63) >> 6);
    f->m_nDescent = (int)((-face->size->metrics.descender + 63) >> 6);
    if (f->m_nAscent + f->m_nDescent < 1) {
        f->m_nAscent = height;
    }
    return f;
}

const CGlyph& CFontFace::Glyph(uint32_t cp) {
    auto it = m_glyphs.find(cp);
    if (it != m_glyphs.end()) {
        return it->second;
    }
    CGlyph& g = m_glyphs[cp];
    FT_Face face = static_cast<FT_Face>(m_pFace);
    FT_UInt index = FT_Get_Char_Index(face, cp);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) {
        return g;
    }
    if (m_bBold && face->glyph->format == FT_GLYPH_FORMAT_OUTLINE) {
        FT_Outline_Embolden(&face->glyph->outline, face->size->metrics.y_ppem * 3);
    }
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) {
        return g;
    }
    const FT_Bitmap& bm = face->glyph->bitmap;
    g.advance = (int)((face->glyph->advance.x + 32) >> 6) + (m_bBold ? 1 : 0);
    g.left = face->glyph->bitmap_left;
    g.top = face->glyph->bitmap_top;
    g.width = (int)bm.width;
    g.rows = (int)bm.rows;
    g.coverage.resize((size_t)g.width * g.rows);
    for (int y = 0; y < g.rows; ++y) {
        const uint8_t* src = bm.buffer + (ptrdiff_t)y * bm.pitch;
        for (int x = 0; x < g.width; ++x) {
            g.coverage[(size_t)y * g.width + x] = bm.pixel_mode == FT_PIXEL_MODE_MONO
                                                      ? ((src[x / 8] >> (7 - x % 8)) & 1) * 255
                                                      : src[x];
        }
    }
    return g;
}

int CFontFace::TextWidth(const std::vector<uint32_t>& text) {
    int w = 0;
    for (uint32_t cp : text) {
        w += Glyph(cp).advance;
    }
    return w;
}

void CFontFace::Draw(PSD dst, const CRegion& clip, int x, int y, const std::vector<uint32_t>& text,
                     uint32_t pixel) {
    int baseline = y + m_nAscent;
    for (uint32_t cp : text) {
        const CGlyph& g = Glyph(cp);
        int gx = x + g.left;
        int gy = baseline - g.top;
        for (int row = 0; row < g.rows; ++row) {
            for (int col = 0; col < g.width; ++col) {
                unsigned a = g.coverage[(size_t)row * g.width + col];
                if (a) {
                    BlendPixel32(dst, clip, gx + col, gy + row, pixel, a);
                }
            }
        }
        x += g.advance;
    }
}

static bool IsFile(const std::string& path) {
    struct stat st;
    return !path.empty() && stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The shipped files keep the names the screens ask for, but a file system
// may have changed their case.
static std::string FindInDir(const std::string& dir, const std::string& name) {
    std::string exact = dir + "/" + name;
    if (IsFile(exact)) {
        return exact;
    }
    DIR* d = opendir(dir.c_str());
    if (!d) {
        return "";
    }
    std::string found;
    while (dirent* e = readdir(d)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            found = dir + "/" + e->d_name;
            break;
        }
    }
    closedir(d);
    return IsFile(found) ? found : "";
}

std::string FindFontFile(const std::string& face) {
    if (face.empty()) {
        return "";
    }
    if (face.find('/') != std::string::npos) {
        return IsFile(face) ? face : "";
    }
    const std::string builtDir = VELTO_TK_FONT_DIR;
    for (const std::string& dir : {std::string("fonts"), std::string("."), builtDir}) {
        if (dir.empty()) {
            continue;
        }
        std::string f = FindInDir(dir, face);
        if (!f.empty()) {
            return f;
        }
    }
    return "";
}

std::shared_ptr<CFontFace> LoadFace(const std::string& face, int height, bool bold) {
    static std::set<std::string> warned;
    std::string file = FindFontFile(face);
    std::shared_ptr<CFontFace> f = CFontFace::Open(file, height, bold);
    if (f) {
        return f;
    }
    static const char* const fallbacks[] = {
        "Arial.ttf",
        "MSYH.TTF",
        "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
    };
    for (const char* fb : fallbacks) {
        f = CFontFace::Open(FindFontFile(fb), height, bold);
        if (f) {
            if (warned.insert(face).second) {
                printf("Error: font %s not found or unreadable, using %s instead\n", face.c_str(),
                       fb);
            }
            return f;
        }
    }
    if (warned.insert(face).second) {
        printf("Error: font %s not found and no fallback font exists; text is not drawn\n",
               face.c_str());
    }
    return nullptr;
}

std::vector<uint32_t> DecodeText(const char* text, int count) {
    std::vector<uint32_t> out;
    if (!text) {
        return out;
    }
    size_t n = count < 0 ? strlen(text) : (size_t)count;
    const uint8_t* s = reinterpret_cast<const uint8_t*>(text);
    if (g_nTextCoding == MWTF_ASCII) {
        for (size_t i = 0; i < n && s[i]; ++i) {
            out.push_back(s[i]);
        }
        return out;
    }
    for (size_t i = 0; i < n && s[i];) {
        uint32_t c = s[i];
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + extra >= n) {
            // A broken sequence shows as a replacement glyph, one byte at a time.
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        uint32_t cp = extra == 0 ? c : extra == 1 ? (c & 0x1F) : extra == 2 ? (c & 0x0F) : (c & 7);
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            cp = (cp << 6) | (s[i + k] & 0x3F);
        }
        if (!ok) {
            out.push_back(0xFFFD);
            ++i;
            continue;
        }
        out.push_back(cp);
        i += extra + 1;
    }
    return out;
}

}  // namespace VeltoTk
