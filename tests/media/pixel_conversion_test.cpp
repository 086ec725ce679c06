// The colour tables, the table-driven conversions, the zoom crop and the
// time stamp.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <string>
#include <vector>

#include "camera/color.h"
#include "camera/utils.h"
#include "platform/velto_board.h"
#include "tests/support/sim_test.h"

namespace {

class ColorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(initLut()); }
    void TearDown() override { freeLut(); }
};

int RefClamp(int x) {
    return x < 0 ? 0 : (x > 255 ? 255 : x);
}
int RefTable(int i, double k) {
    return int((i - 128) * k / 1000.0);
}

TEST_F(ColorTest, TablesFollowOneCoefficientSet) {
    for (int i = 0; i < 256; i++) {
        EXPECT_EQ(LutRv[i], RefTable(i, 1370.705)) << i;
        EXPECT_EQ(LutBu[i], RefTable(i, 1732.446)) << i;
        EXPECT_EQ(LutGu[i], RefTable(i, -337.633)) << i;
        EXPECT_EQ(LutGv[i], RefTable(i, -698.001)) << i;
    }
    // Truncation toward zero on both sides of 128, and the green-from-U
    // weight of the same set as the others (a = -128 gives +43, not +4).
    EXPECT_EQ(LutRv[0], -175);
    EXPECT_EQ(LutRv[255], 174);
    EXPECT_EQ(LutGu[0], 43);
    EXPECT_EQ(LutGu[255], -42);
    EXPECT_EQ(LutBu[128], 0);
}

TEST_F(ColorTest, ChannelsClampAtBothEnds) {
    EXPECT_EQ(R_FROMYV(255, 128), 255);
    EXPECT_EQ(G_FROMYUV(255, 128, 128), 255);
    EXPECT_EQ(B_FROMYU(255, 128), 255);
    EXPECT_EQ(R_FROMYV(0, 0), 0);
    EXPECT_EQ(B_FROMYU(0, 0), 0);
    EXPECT_EQ(R_FROMYV(255, 255), 255);
    EXPECT_EQ(G_FROMYUV(0, 255, 255), 0);
    EXPECT_EQ(G_FROMYUV(250, 0, 0), 255);
}

// Every Y with every U, V pair, against a plain per-pixel loop over the
// table definition: the fast kernels must give the same bytes.
TEST_F(ColorTest, FastKernelsMatchThePlainDefinitionForEveryByte) {
    const size_t groups = 256 * 256 * 128;
    std::vector<unsigned char> in(groups * 4);
    size_t g = 0;
    for (int u = 0; u < 256; u++) {
        for (int v = 0; v < 256; v++) {
            for (int y = 0; y < 256; y += 2, g++) {
                in[4 * g] = y;
                in[4 * g + 1] = u;
                in[4 * g + 2] = y + 1;
                in[4 * g + 3] = v;
            }
        }
    }
    std::vector<unsigned char> rgb(groups * 6), bgra(groups * 8);
    ASSERT_TRUE(Velto::ConvertYUYVToRGB24(in.data(), rgb.data(), groups * 2));
    ASSERT_TRUE(Velto::ConvertYUYVToBGRA32(in.data(), bgra.data(), groups * 2));
    size_t bad = 0;
    for (size_t p = 0; p < groups * 2 && bad < 5; p++) {
        int y = in[(p / 2) * 4 + (p & 1) * 2], u = in[(p / 2) * 4 + 1], v = in[(p / 2) * 4 + 3];
        int r = RefClamp(y + RefTable(v, 1370.705));
        int gr = RefClamp(y + RefTable(u, -337.633) + RefTable(v, -698.001));
        int b = RefClamp(y + RefTable(u, 1732.446));
        bool ok = rgb[3 * p] == r && rgb[3 * p + 1] == gr && rgb[3 * p + 2] == b &&
                  bgra[4 * p] == b && bgra[4 * p + 1] == gr && bgra[4 * p + 2] == r &&
                  bgra[4 * p + 3] == 255;
        if (!ok) {
            ADD_FAILURE() << "y=" << y << " u=" << u << " v=" << v;
            bad++;
        }
    }
}

TEST_F(ColorTest, PublicConversionsCoverTheWholeFrameAndNoMore) {
    // 3 x 3 = 9 pixels: four groups, the odd last pixel is not converted.
    std::vector<unsigned char> in(18, 128), out(9 * 4 + 8, 0xAB);
    for (int i = 0; i < 18; i += 2) {
        in[i] = 200;
    }
    EXPECT_EQ(Pyuv422torgb32(in.data(), out.data(), 3, 3), 2);
    for (int i = 0; i < 32; i++) {
        EXPECT_EQ(out[i], (i % 4 == 3) ? 255 : 200) << i;
    }
    for (size_t i = 32; i < out.size(); i++) {
        EXPECT_EQ(out[i], 0xAB) << i;
    }
    std::vector<unsigned char> rgb(8 * 3 + 4, 0xAB);
    EXPECT_EQ(Pyuv422torgb24(in.data(), rgb.data(), 4, 2), 2);
    EXPECT_EQ(rgb[23], 200);
    EXPECT_EQ(rgb[24], 0xAB);
}

TEST(ColorTablesTest, ConversionWithoutTablesFailsInsteadOfCrashing) {
    freeLut();
    freeLut();  // twice is harmless
    EXPECT_EQ(LutGu, nullptr);
    std::vector<unsigned char> in(8, 128), out(16, 7);
    EXPECT_EQ(Pyuv422torgb24(in.data(), out.data(), 2, 2), -1);
    EXPECT_EQ(Pyuv422torgb32(in.data(), out.data(), 2, 2), -1);
    EXPECT_EQ(out[0], 7);
    ASSERT_TRUE(initLut());
    EXPECT_EQ(Pyuv422torgb32(nullptr, out.data(), 2, 2), -1);
    freeLut();
}

// ---- Zoom crop ----

std::vector<char> RefZoom(const std::vector<char>& in, unsigned w, unsigned h, unsigned dw,
                          unsigned dh) {
    std::vector<char> out(size_t(dw) * dh * 2);
    size_t half = size_t(dw) * dh / 2;
    unsigned left = (w - dw) / 2, top = (h - dh) / 2;
    size_t yi = 0, ci = 0;
    for (unsigned r = 0; r < dh; r++) {
        for (unsigned c = 0; c < dw; c += 2) {
            size_t s = (size_t(top + r) * w + left + c) * 2;
            out[yi++] = in[s];
            out[yi++] = in[s + 2];
            out[half * 2 + ci] = char(in[s + 1] - 128);
            out[half * 3 + ci] = char(in[s + 3] - 128);
            ci++;
        }
    }
    return out;
}

TEST(ZoomTest, EveryCameraZoomLevelIsTheCentredWindow) {
    std::vector<char> in(320 * 240 * 2);
    for (size_t i = 0; i < in.size(); i++) {
        in[i] = char(i * 7 + i / 640);
    }
    for (int level = 0; level <= 7; level++) {
        unsigned dw = 320 - 32 * level, dh = 240 - 24 * level;
        std::vector<char> out(320 * 240 * 2 + 1, 0x55);
        ASSERT_EQ(YUYVtoYUV422PZoomoutCen(in.data(), out.data(), 320, 240, dw, dh), 2);
        std::vector<char> ref = RefZoom(in, 320, 240, dw, dh);
        ASSERT_TRUE(std::equal(ref.begin(), ref.end(), out.begin())) << "level " << level;
        // Nothing beyond the three planes is touched.
        EXPECT_EQ(out[ref.size()], 0x55) << "level " << level;
    }
}

TEST(ZoomTest, FullSizeCopiesEverythingAndOversizeWritesNothing) {
    std::vector<char> in(16 * 4 * 2);
    for (size_t i = 0; i < in.size(); i++) {
        in[i] = char(i);
    }
    std::vector<char> out(in.size(), 0x11);
    ASSERT_EQ(YUYVtoYUV422PZoomoutCen(in.data(), out.data(), 16, 4, 16, 4), 2);
    EXPECT_EQ(out[0], in[0]);
    EXPECT_EQ(out[63], in[126]);
    EXPECT_EQ(out[64], char(in[1] - 128));  // U plane
    EXPECT_EQ(out[96], char(in[3] - 128));  // V plane

    std::vector<char> untouched(in.size(), 0x11);
    EXPECT_EQ(YUYVtoYUV422PZoomoutCen(in.data(), untouched.data(), 16, 4, 18, 4), -1);
    EXPECT_EQ(YUYVtoYUV422PZoomoutCen(in.data(), untouched.data(), 16, 4, 16, 5), -1);
    EXPECT_EQ(YUYVtoYUV422PZoomoutCen(nullptr, untouched.data(), 16, 4, 8, 2), -1);
    EXPECT_EQ(untouched, std::vector<char>(in.size(), 0x11));
}

TEST(ZoomTest, OddMarginKeepsChromaInItsPlane) {
    // 10 pixels wide, window 4: the margin of 3 pixels would start inside a
    // group and swap U and V; the crop starts on the group boundary instead.
    std::vector<char> in(10 * 2 * 2);
    for (size_t i = 0; i < in.size(); i += 4) {
        in[i] = 1;
        in[i + 1] = char(0x90);  // U
        in[i + 2] = 2;
        in[i + 3] = char(0xA0);  // V
    }
    std::vector<char> out(4 * 2 * 2);
    ASSERT_EQ(YUYVtoYUV422PZoomoutCen(in.data(), out.data(), 10, 2, 4, 2), 2);
    EXPECT_EQ(out[0], 1);
    EXPECT_EQ(out[8], char(0x10));
    EXPECT_EQ(out[12], char(0x20));
}

// ---- Time stamp ----

class TimeStampTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        setenv("TZ", "UTC", 1);
        tzset();
    }
};

int GlyphOf(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    return c == '-' ? 10 : (c == ':' ? 11 : -1);
}

TEST_F(TimeStampTest, WhiteDigitsOfTheBoardClockAtTheirPlaces) {
    tm set = {};
    set.tm_year = 2031 - 1900;
    set.tm_mon = 4;
    set.tm_mday = 17;
    set.tm_hour = 8;
    set.tm_min = 9;
    ASSERT_EQ(Board().SetTime(timegm(&set)), 0);
    const unsigned w = 640, h = 480;
    std::vector<unsigned char> img(w * h * 3, 40);
    std::string text;
    for (int attempt = 0; attempt < 3; attempt++) {
        std::fill(img.begin(), img.end(), 40);
        time_t before = Board().Time(nullptr);
        ASSERT_EQ(put_timestamp_to_rgb_matrix(img.data(), w, h), 0);
        if (Board().Time(nullptr) == before) {
            tm t;
            gmtime_r(&before, &t);
            char buf[32];
            strftime(buf, sizeof(buf), "%Y-%m-%d %H:%M:%S", &t);
            text = buf;
            break;
        }
    }
    ASSERT_EQ(text.substr(0, 13), "2031-05-17 08");
    size_t changed = 0;
    for (unsigned y = 0; y < h; y++) {
        for (unsigned x = 0; x < w; x++) {
            const unsigned char* p = &img[(y * w + x) * 3];
            bool inText = x >= 108 && x < 564 && y >= 432 && y < 470;
            if (p[0] != 40) {
                changed++;
                EXPECT_TRUE(inText) << x << "," << y;
                EXPECT_TRUE(p[0] == 255 && p[1] == 255 && p[2] == 255);
            }
            if (!inText) {
                continue;
            }
            int i = int(x - 108) / 24;
            int g = GlyphOf(text[i]);
            // Glyph rows are stored bottom row first.
            const char* glyph = g < 0 ? nullptr : Digital_Num_Array[g];
            bool ink = glyph && glyph[(37 - (y - 432)) * 72 + ((x - 108) % 24) * 3] != 0;
            ASSERT_EQ(p[0] == 255, ink) << "char " << i << " at " << x << "," << y;
        }
    }
    EXPECT_GT(changed, 1000u);
}

TEST(GlyphTest, TwelveGlyphsOfWhiteOnTransparent) {
    for (int g = 0; g < 12; g++) {
        ASSERT_NE(Digital_Num_Array[g], nullptr);
        int ink = 0;
        for (int i = 0; i < kGlyphBytes; i++) {
            unsigned char b = static_cast<unsigned char>(Digital_Num_Array[g][i]);
            ASSERT_TRUE(b == 0 || b == 255);
            ink += b != 0;
        }
        EXPECT_GT(ink, 60) << g;
    }
    // Distinct shapes: a digit drawn twice would read wrong.
    for (int a = 0; a < 12; a++) {
        for (int b = a + 1; b < 12; b++) {
            EXPECT_NE(memcmp(Digital_Num_Array[a], Digital_Num_Array[b], kGlyphBytes), 0);
        }
    }
}

TEST_F(TimeStampTest, SmallImagesAreNotWrittenOutside) {
    // 100 x 40: every glyph would land left of or above the image.
    std::vector<unsigned char> small(100 * 40 * 3, 9);
    EXPECT_EQ(put_timestamp_to_rgb_matrix(small.data(), 100, 40), 0);
    EXPECT_EQ(small, std::vector<unsigned char>(100 * 40 * 3, 9));
    // 560 wide: only the glyphs that fit entirely are drawn.
    std::vector<unsigned char> narrow(560 * 60 * 3, 9);
    EXPECT_EQ(put_timestamp_to_rgb_matrix(narrow.data(), 560, 60), 0);
    size_t firstInk = narrow.size();
    for (size_t i = 0; i < narrow.size(); i++) {
        if (narrow[i] == 255) {
            firstInk = std::min(firstInk, (i / 3) % 560);
        }
    }
    EXPECT_GE(firstInk, 28u);
    EXPECT_EQ(put_timestamp_to_rgb_matrix(nullptr, 640, 480), 0);
}

}  // namespace
