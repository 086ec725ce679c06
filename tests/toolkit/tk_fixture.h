// A fresh simulated board with the toolkit open on the in-memory display
// and virtual time that jumps to the next timer whenever loops would wait.
#pragma once

#include <string>
#include <vector>

#include "support/sim_test.h"
#include "toolkit/tk_host.h"
#include "toolkit/winapi.h"

class CToolkitTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Composed screen pixel as 0xRRGGBB.
    static uint32_t Px(int x, int y) { return MwGetComposedPixel(x, y); }
    // UI plane pixel as COLORREF without alpha.
    static COLORREF Ui(int x, int y) { return MwGetScreenPixel(x, y) & 0xFFFFFFu; }
    // Number of pixels in the rectangle whose UI colour is not bg.
    static int CountNot(const RECT& r, COLORREF bg);
    // A plain window class whose procedure fills with colour (COLORREF) on
    // erase; returns its name.
    static const char* SolidClass();
    static HWND Solid(HWND parent, COLORREF colour, int x, int y, int w, int h, bool child = true);
    // Writes a PNG of w x h 0xAARRGGBB pixels.
    static void WritePng(const std::string& path, int w, int h, const std::vector<uint32_t>& px);

public:
    static bool WritePngFile(const std::string& path, int w, int h,
                             const std::vector<uint32_t>& px);
};
