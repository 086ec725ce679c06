// A 0xAARRGGBB picture that velto-sim's window draws its face and panel
// into, with the few shapes it needs and text from a FreeType font.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "sim/sim_window_layout.h"

class CVeltoSimCanvas {
public:
    void Resize(int width, int height, uint32_t colour);
    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    uint32_t* Pixels() { return m_pixels.data(); }
    const uint32_t* Pixels() const { return m_pixels.data(); }

    void Fill(const SVeltoSimRect& r, uint32_t colour);
    void Frame(const SVeltoSimRect& r, uint32_t colour);
    void Disc(int cx, int cy, int radius, uint32_t colour);
    // A filled triangle pointing dir ('U', 'D', 'L', 'R') inside r.
    void Arrow(const SVeltoSimRect& r, char dir, uint32_t colour);
    // Copies w x h pixels scaled by a whole factor to (x, y).
    void Blit(const uint32_t* px, int w, int h, int x, int y, int scale);
    // Blends colour by alpha (0..255) at (x, y).
    void Blend(int x, int y, uint32_t colour, unsigned alpha);

private:
    int m_nWidth = 0;
    int m_nHeight = 0;
    std::vector<uint32_t> m_pixels;
};

class CVeltoSimFont {
public:
    CVeltoSimFont() = default;
    ~CVeltoSimFont();

    // Loads a font file at a pixel size; false, with a diagnostic, when it
    // cannot be read.
    bool Load(const std::string& path, int pixels);
    // Draws UTF-8 text with its top-left at (x, y), cut at maxWidth (> 0).
    void Draw(CVeltoSimCanvas& canvas, int x, int y, const std::string& text, uint32_t colour,
              int maxWidth = 0);
    int Measure(const std::string& text);
    int LineHeight() const { return m_nPixels + 4; }

private:
    void* m_pLibrary = nullptr;
    void* m_pFace = nullptr;
    int m_nPixels = 0;
};
