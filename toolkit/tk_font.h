// TrueType fonts through FreeType: faces found by file name, glyphs cached
// per size, text measured and drawn anti-aliased.
#pragma once

#include <stdint.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/tk_region.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

struct CGlyph {
    int advance = 0;
    int left = 0;  // bitmap offset from the pen position
    int top = 0;   // bitmap top above the baseline
    int width = 0;
    int rows = 0;
    std::vector<uint8_t> coverage;
};

class CFontFace {
public:
    ~CFontFace();
    // Opens file at pixel height; null when FreeType cannot read it.
    static std::shared_ptr<CFontFace> Open(const std::string& file, int height, bool bold);

    int Ascent() const { return m_nAscent; }
    int Descent() const { return m_nDescent; }
    int LineHeight() const { return m_nAscent + m_nDescent; }
    const CGlyph& Glyph(uint32_t codepoint);
    int TextWidth(const std::vector<uint32_t>& text);
    // Draws text with its baseline at (x, y + Ascent()).
    void Draw(PSD dst, const CRegion& clip, int x, int y, const std::vector<uint32_t>& text,
              uint32_t pixel);

private:
    CFontFace() = default;
    void* m_pFace = nullptr;  // FT_Face
    int m_nAscent = 0;
    int m_nDescent = 0;
    bool m_bBold = false;
    std::map<uint32_t, CGlyph> m_glyphs;
};

// Where a face file is found: the working directory's "fonts/", the working
// directory itself, then the font folder of the build. Empty when nowhere.
std::string FindFontFile(const std::string& face);
// A face for the name, falling back (with one diagnostic per name) to any
// font that exists. Null only when no font at all can be read.
std::shared_ptr<CFontFace> LoadFace(const std::string& face, int height, bool bold);

// Decodes text (count < 0: up to the terminating 0) in the current coding.
std::vector<uint32_t> DecodeText(const char* text, int count);
int TextCoding();

}  // namespace VeltoTk
