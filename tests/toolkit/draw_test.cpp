// Drawing calls the screens use, checked on the in-memory display's pixels:
// the sunken frame, the caret, text codings and DrawText formats, scaled
// images from surfaces of every pixel kind.
#include <stdlib.h>
#include <string.h>

#include <sys/stat.h>

#include <functional>

#include "tests/toolkit/tk_fixture.h"

namespace {

const COLORREF kBg = RGB(0x16, 0x42, 0x73);
const uint32_t kBgPx = 0x164273u;  // the same as a composed 0xRRGGBB pixel

std::function<void(HDC)> g_paint;

LRESULT PaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FastFillRect(hdc, &rc, kBg);
        if (g_paint) {
            g_paint(hdc);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

class DrawTest : public CToolkitTest {
protected:
    void TearDown() override {
        g_paint = nullptr;
        CToolkitTest::TearDown();
    }
    // A window at (x, y) whose paint fills kBg and then runs paint.
    HWND Painted(std::function<void(HDC)> paint, int x = 0, int y = 0, int w = 320, int h = 240,
                 HWND parent = nullptr) {
        WNDCLASS wc{};
        wc.lpfnWndProc = PaintProc;
        wc.lpszClassName = "DrawTestWin";
        RegisterClass(&wc);
        g_paint = std::move(paint);
        HWND hwnd = CreateWindowEx(0, "DrawTestWin", "", (parent ? WS_CHILD : 0) | WS_VISIBLE, x, y,
                                   w, h, parent, nullptr, MwGetInstance(), nullptr);
        MwPumpMessages();
        return hwnd;
    }
    static COLORREF C(COLORREF c) { return c & 0xFFFFFFu; }
    // Bounding box of the pixels in r that differ from kBg; empty when none.
    static RECT Ink(const RECT& r) {
        RECT b{r.right, r.bottom, r.left, r.top};
        for (int y = r.top; y < r.bottom; ++y) {
            for (int x = r.left; x < r.right; ++x) {
                if (Ui(x, y) != C(kBg)) {
                    b.left = std::min(b.left, x), b.right = std::max(b.right, x + 1);
                    b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y + 1);
                }
            }
        }
        return b;
    }
    static HFONT Font(int h = 20, const char* face = "Arial.ttf") {
        return CreateFont(h, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, ANTIALIASED_QUALITY, 0, face);
    }
};

TEST_F(DrawTest, Draw3dInsetIsDarkTopLeftLightBottomRightAndClipped) {
    HWND parent = Painted(nullptr);
    const COLORREF shadow = C(GetSysColor(COLOR_BTNSHADOW));
    Painted([](HDC hdc) { Draw3dInset(hdc, 10, 10, 40, 20); }, 0, 0, 320, 240, parent);
    EXPECT_EQ(shadow, Ui(10, 10));
    EXPECT_EQ(shadow, Ui(30, 10));  // top edge
    EXPECT_EQ(shadow, Ui(10, 20));  // left edge
    COLORREF light = Ui(49, 20);
    EXPECT_NE(shadow, light);
    EXPECT_NE(C(kBg), light);
    EXPECT_EQ(light, Ui(30, 29));   // bottom edge
    EXPECT_EQ(C(kBg), Ui(30, 20));  // inside is left alone
    EXPECT_EQ(C(kBg), Ui(50, 20));  // nothing beyond x + w - 1
    EXPECT_EQ(C(kBg), Ui(30, 30));  // nor below y + h - 1
    // The brighter edge is brighter than the shadow.
    EXPECT_GT(GetRValue(light) + GetGValue(light), GetRValue(shadow) + GetGValue(shadow));

    // Degenerate sizes draw nothing; a frame reaching outside a small child
    // is cut at its edge.
    DestroyWindow(parent);
    HWND host = Painted(nullptr);
    Painted(
        [](HDC hdc) {
            Draw3dInset(hdc, 0, 0, 1, 50);
            Draw3dInset(hdc, 5, 5, 0, 0);
            Draw3dInset(hdc, 0, 0, 100, 100);
        },
        100, 100, 20, 20, host);
    EXPECT_EQ(shadow, Ui(100, 110));
    EXPECT_EQ(C(kBg), Ui(121, 100)) << "the frame's top edge stopped at the child's edge";
    EXPECT_EQ(C(kBg), Ui(99, 110));
}

TEST_F(DrawTest, TheCaretInvertsItsCellAndFollowsItsOwner) {
    HWND host = Painted(nullptr);
    HWND edit = Solid(host, RGB(0, 0, 0), 100, 50, 60, 20);
    MwPumpMessages();
    EXPECT_FALSE(ShowCaret(edit)) << "no caret yet";
    EXPECT_FALSE(SetCaretPos(1, 1));
    POINT pt{9, 9};
    EXPECT_FALSE(GetCaretPos(&pt));
    ASSERT_TRUE(CreateCaret(edit, nullptr, 2, 10));
    MwPumpMessages();
    EXPECT_EQ(0x000000u, Px(105, 55)) << "a new caret is hidden";
    EXPECT_TRUE(SetCaretPos(5, 5));
    EXPECT_TRUE(ShowCaret(edit));
    EXPECT_FALSE(ShowCaret(host)) << "only the owner shows it";
    MwPumpMessages();
    EXPECT_EQ(0xFFFFFFu, Px(105, 55));
    EXPECT_EQ(0xFFFFFFu, Px(106, 64));
    EXPECT_EQ(0x000000u, Px(107, 55));
    EXPECT_EQ(0x000000u, Px(105, 65));
    EXPECT_EQ(0x000000u, Ui(105, 55)) << "drawn over the screen, not into the window";
    ASSERT_TRUE(GetCaretPos(&pt));
    EXPECT_EQ(5, pt.x);
    EXPECT_EQ(5, pt.y);

    // Moving leaves no trail; hiding restores; past the owner's edge it is cut.
    SetCaretPos(20, 0);
    MwPumpMessages();
    EXPECT_EQ(0x000000u, Px(105, 55));
    EXPECT_EQ(0xFFFFFFu, Px(120, 50));
    SetCaretPos(59, 15);
    MwPumpMessages();
    EXPECT_EQ(0xFFFFFFu, Px(159, 69));
    EXPECT_EQ(kBgPx, Px(160, 69)) << "not inverted outside the owner";
    EXPECT_TRUE(HideCaret(edit));
    MwPumpMessages();
    EXPECT_EQ(0x000000u, Px(159, 69));

    // Hidden with its window; gone with its window.
    ShowCaret(edit);
    ShowWindow(edit, SW_HIDE);
    MwPumpMessages();
    EXPECT_EQ(kBgPx, Px(159, 69));
    ShowWindow(edit, SW_SHOW);
    MwPumpMessages();
    EXPECT_EQ(0xFFFFFFu, Px(159, 69));
    DestroyWindow(edit);
    MwPumpMessages();
    EXPECT_EQ(0, CountNot(RECT{100, 50, 160, 70}, kBg));
    EXPECT_EQ(kBgPx, Px(159, 69));
    EXPECT_FALSE(DestroyCaret());
    EXPECT_FALSE(SetCaretPos(1, 1));
    EXPECT_TRUE(SetCaretBlinkTime(300));
    EXPECT_EQ(300u, GetCaretBlinkTime());
}

TEST_F(DrawTest, TextCodingDecidesHowBytesBecomeCharacters) {
    HWND w = Painted(nullptr);
    HDC hdc = GetDC(w);
    HFONT f = Font();
    SelectObject(hdc, f);
    auto width = [&](const char* s, int n = -1) {
        int cx = 0, cy = 0, base = 0;
        GdGetTextSize(hdc, s, n, &cx, &cy, &base);
        EXPECT_GT(cy, 0);
        EXPECT_GT(base, 0);
        EXPECT_LE(base, cy);
        return cx;
    };
    int old = MwSetTextCoding(MWTF_UTF8);
    const int utf8E = width("\xC3\xA9");  // e acute in UTF-8: one character
    const int plainE = width("e");
    EXPECT_EQ(MWTF_UTF8, MwSetTextCoding(MWTF_ASCII));
    const int latinE = width("\xE9");        // the same character as one Latin-1 byte
    const int twoLatin = width("\xC3\xA9");  // two characters in Latin-1
    EXPECT_EQ(utf8E, latinE);
    EXPECT_GT(twoLatin, utf8E);
    EXPECT_NEAR(utf8E, plainE, 2);
    // Lengths count bytes in either coding.
    EXPECT_EQ(width("ab"), width("abcd", 2));
    MwSetTextCoding(MWTF_UTF8);
    EXPECT_EQ(width("ab"), width("abcd", 2));
    // A sequence cut by the count or broken by a plain byte is not eaten
    // with its neighbours: the plain characters after it still show.
    EXPECT_GT(width("\xC3"
                    "A"),
              width("A"));
    EXPECT_GT(width("\xC3\xA9", 1), 0);
    EXPECT_EQ(width("\xE2\x82\xAC"), width("\xE2\x82\xAC\xE2\x82\xAC", 3));  // euro sign
    EXPECT_EQ(MWTF_UTF8, MwSetTextCoding(42)) << "unknown codings mean UTF-8";
    EXPECT_EQ(MWTF_UTF8, MwSetTextCoding(old));
    ReleaseDC(w, hdc);
    DeleteObject(f);
}

TEST_F(DrawTest, DrawTextFormatsOfTheScreens) {
    HFONT f = Font(20);
    static HFONT font;
    font = f;
    static int calcHeight, plainHeight;
    static RECT calc;
    Painted([](HDC hdc) {
        SelectObject(hdc, font);
        SetTextColor(hdc, RGB(255, 255, 255));
        SetBkMode(hdc, TRANSPARENT);
        // Index text in the corner: format 16 with a trailing newline.
        RECT index{0, 0, 80, 20};
        plainHeight = DrawText(hdc, "3/10\n", -1, &index, DT_WORDBREAK);
        // A caption centred with word wrap (17) over the full width.
        RECT caption{0, 140, 320, 240};
        DrawText(hdc, "Delete this file now? It cannot be undone afterwards", -1, &caption,
                 DT_CENTER | DT_WORDBREAK);
        // Single line centred both ways.
        RECT box{200, 30, 300, 90};
        DrawTextA(hdc, "OK", -1, &box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
        // Measuring draws nothing.
        calc = RECT{0, 100, 50, 100};
        calcHeight = DrawText(hdc, "one two three", -1, &calc, DT_CALCRECT | DT_WORDBREAK);
    });
    // Index: ink only in its rectangle, near its left edge.
    RECT index = Ink(RECT{0, 0, 320, 30});
    EXPECT_LT(index.left, 6);
    EXPECT_LE(index.right, 80);
    EXPECT_LE(index.bottom, 20);
    EXPECT_GT(plainHeight, 0);

    // Caption: two or more lines, each one centred on its own.
    int lines = 0;
    for (int y = 140; y < 240;) {
        RECT row = Ink(RECT{0, y, 320, y + 1});
        if (row.left >= row.right) {
            ++y;
            continue;
        }
        int top = y;
        while (y < 240 && Ink(RECT{0, y, 320, y + 1}).left < 320) {
            ++y;
        }
        RECT line = Ink(RECT{0, top, 320, y});
        ++lines;
        EXPECT_LE(std::abs(line.left - (320 - line.right)), 6) << "line " << lines;
    }
    EXPECT_GE(lines, 2);

    // Vertically centred single line.
    RECT ok = Ink(RECT{200, 30, 300, 90});
    ASSERT_LT(ok.left, ok.right);
    EXPECT_LE(std::abs((ok.top - 30) - (90 - ok.bottom)), 8);
    EXPECT_LE(std::abs((ok.left - 200) - (300 - ok.right)), 3);

    // DT_CALCRECT: three short words in 50 px need three lines, nothing drawn.
    EXPECT_EQ(calc.bottom - calc.top, calcHeight);
    EXPECT_GE(calcHeight, 3 * 18);
    EXPECT_LE(calc.right - calc.left, 50);
    EXPECT_EQ(0, CountNot(RECT{0, 95, 60, 139}, kBg));
    DeleteObject(f);
}

TEST_F(DrawTest, TextStaysInsideItsRectangleUnlessToldOtherwise) {
    static HFONT font;
    font = Font(30);
    Painted([](HDC hdc) {
        SelectObject(hdc, font);
        SetTextColor(hdc, RGB(255, 255, 255));
        SetBkColor(hdc, RGB(0, 0, 0));
        SetBkMode(hdc, OPAQUE);
        RECT narrow{10, 10, 40, 50};
        DrawText(hdc, "WWWWWW", -1, &narrow, DT_SINGLELINE);
        RECT free{10, 100, 40, 140};
        DrawText(hdc, "WWWWWW", -1, &free, DT_SINGLELINE | DT_NOCLIP);
        RECT right{100, 180, 300, 220};
        DrawText(hdc, "End", -1, &right, DT_SINGLELINE | DT_RIGHT);
    });
    EXPECT_EQ(0, CountNot(RECT{40, 0, 320, 60}, kBg));
    EXPECT_EQ(0, CountNot(RECT{0, 0, 10, 60}, kBg));
    EXPECT_GT(CountNot(RECT{40, 100, 320, 140}, kBg), 50);
    // Opaque mode fills the text's cell with the background colour.
    EXPECT_GT(CountNot(RECT{10, 10, 40, 50}, RGB(255, 255, 255)), 0);
    RECT end = Ink(RECT{100, 180, 320, 240});
    EXPECT_LE(end.right, 300);
    EXPECT_GE(end.right, 296);
    DeleteObject(font);
}

// A surface of the screen's kind over caller pixels, as pixmaps are made; the
// surface owns a copy of the palette.
PSD Surface(int w, int h, int bpp, int pixtype, int linelen, void* pixels,
            const void* palette = nullptr, int palsize = 0) {
    PSD root = GdGetScreen();
    PSD s = root->AllocateMemGC(root);
    if (!s) {
        return nullptr;
    }
    s->MapMemGC(s, w, h, 1, bpp, linelen, linelen * h, pixels);
    s->pixtype = pixtype;
    if (palsize > 0) {
        s->palette = malloc((size_t)palsize * 4);
        memcpy(s->palette, palette, (size_t)palsize * 4);
        s->palsize = palsize;
    }
    return s;
}

TEST_F(DrawTest, DrawDibFitScalesEveryPixelKindByNearestSample) {
    // 2 x 2 of red, green / blue, white in each kind.
    uint16_t p565[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    uint16_t p555[4] = {0x7C00, 0x03E0, 0x001F, 0x7FFF};
    uint16_t p444[4] = {0x0F00, 0x00F0, 0x000F, 0x0FFF};
    uint8_t p888[2 * 8] = {0,   0, 255, 0,   255, 0,   0, 0,  // B G R, line padded to 8
                           255, 0, 0,   255, 255, 255, 0, 0};
    uint32_t argb[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    uint32_t abgr[4] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
    uint8_t pal[4 * 4] = {255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0};
    uint8_t idx8[2 * 4] = {0, 1, 0, 0, 2, 3, 0, 0};
    uint8_t idx4[2 * 4] = {0x01, 0, 0, 0, 0x23, 0, 0, 0};
    uint8_t idx2[2 * 4] = {0x10, 0, 0, 0, 0xB0, 0, 0, 0};
    std::vector<PSD> kinds = {
        Surface(2, 2, 16, MWPF_TRUECOLOR565, 4, p565),
        Surface(2, 2, 16, MWPF_TRUECOLOR555, 4, p555),
        Surface(2, 2, 16, MWPF_TRUECOLOR444, 4, p444),
        Surface(2, 2, 24, MWPF_TRUECOLOR888, 8, p888),
        Surface(2, 2, 32, MWPF_TRUECOLOR8888, 8, argb),
        Surface(2, 2, 32, MWPF_TRUECOLORABGR, 8, abgr),
        Surface(2, 2, 8, MWPF_PALETTE, 4, idx8, pal, 4),
        Surface(2, 2, 4, MWPF_PALETTE, 4, idx4, pal, 4),
        Surface(2, 2, 2, MWPF_PALETTE, 4, idx2, pal, 4),
    };
    for (size_t k = 0; k < kinds.size(); ++k) {
        ASSERT_TRUE(kinds[k]) << k;
        static PSD img;
        img = kinds[k];
        HWND w = Painted([](HDC hdc) {
            DrawDIBFit(hdc, 10, 10, 40, 20, img);  // 20 x 10 per source pixel
            DrawDIBFit(hdc, 100, 100, 1, 1, img);  // shrunk to its first pixel
        });
        SCOPED_TRACE("kind " + std::to_string(k));
        EXPECT_EQ(C(RGB(255, 0, 0)), Ui(10, 10));
        EXPECT_EQ(C(RGB(255, 0, 0)), Ui(29, 19));
        EXPECT_EQ(C(RGB(0, 255, 0)), Ui(30, 10));
        EXPECT_EQ(C(RGB(0, 255, 0)), Ui(49, 19));
        EXPECT_EQ(C(RGB(0, 0, 255)), Ui(10, 20));
        EXPECT_EQ(C(RGB(255, 255, 255)), Ui(49, 29));
        EXPECT_EQ(C(kBg), Ui(50, 10));
        EXPECT_EQ(C(kBg), Ui(10, 30));
        EXPECT_EQ(C(RGB(255, 0, 0)), Ui(100, 100));
        EXPECT_EQ(C(kBg), Ui(101, 100));
        DestroyWindow(w);
        img->FreeMemGC(img);  // the caller's pixels stay the caller's
    }

    // Drawn at negative positions, partly off screen: only what is on it.
    uint32_t one[4] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0xFFFFFFFFu};
    static PSD img;
    img = Surface(2, 2, 32, MWPF_TRUECOLOR8888, 8, one);
    Painted([](HDC hdc) { DrawDIBFit(hdc, -10, -10, 40, 40, img); });
    EXPECT_EQ(C(RGB(255, 0, 0)), Ui(0, 0));
    EXPECT_EQ(C(RGB(0, 255, 0)), Ui(15, 5));
    EXPECT_EQ(C(RGB(255, 255, 255)), Ui(29, 29));
    EXPECT_EQ(C(kBg), Ui(30, 30));
    img->FreeMemGC(img);
}

}  // namespace

namespace {

std::string ReadAll(const std::string& path) {
    FILE* f = fopen(path.c_str(), "rb");
    std::string s;
    if (!f) {
        return s;
    }
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
        s.append(buf, n);
    }
    fclose(f);
    return s;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f);
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

TEST_F(DrawTest, DamagedOrOddFontsFallBackAndStillDrawText) {
    const std::string arial = ReadAll(std::string(VELTO_BIN_DIR) + "/fonts/Arial.ttf");
    ASSERT_GT(arial.size(), 1000u) << "fonts are staged into the build";
    mkdir("fonts", 0755);
    WriteAll("fonts/Junk.ttf", std::string(4096, '\x5A'));
    WriteAll("fonts/Empty.ttf", "");
    WriteAll("fonts/Cut.ttf", arial.substr(0, arial.size() / 3));
    WriteAll("fonts/Header.ttf", arial.substr(0, 12));
    static std::vector<HFONT> fonts;
    fonts.clear();
    for (const char* face : {"Junk.ttf", "Empty.ttf", "Cut.ttf", "Header.ttf", "Missing.ttf", ""}) {
        HFONT f = Font(20, face);
        ASSERT_TRUE(f) << face;
        fonts.push_back(f);
    }
    // Heights as the screens pass them: negative, zero, very large.
    fonts.push_back(Font(-20));
    fonts.push_back(Font(0));
    fonts.push_back(Font(2000));
    for (HFONT f : fonts) {
        ASSERT_TRUE(f);
    }
    HWND w = Painted([](HDC hdc) {
        SetTextColor(hdc, RGB(255, 255, 255));
        SetBkMode(hdc, TRANSPARENT);
        for (size_t i = 0; i < fonts.size() - 1; ++i) {
            SelectObject(hdc, fonts[i]);
            RECT rc{0, (int)i * 24, 320, (int)i * 24 + 24};
            DrawText(hdc, "Ag", -1, &rc, DT_SINGLELINE);
        }
        SelectObject(hdc, fonts.back());
        RECT big{0, 230, 320, 240};
        DrawText(hdc, "W", -1, &big, DT_SINGLELINE);
    });
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_GT(CountNot(RECT{0, (int)i * 24, 320, (int)i * 24 + 24}, kBg), 10) << "font " << i;
    }
    HDC hdc = GetDC(w);
    int cx = 0, cy = 0;
    SelectObject(hdc, fonts[6]);
    GdGetTextSize(hdc, "Ag", -1, &cx, &cy, nullptr);
    int negH = cy;
    SelectObject(hdc, fonts[0]);
    GdGetTextSize(hdc, "Ag", -1, &cx, &cy, nullptr);
    EXPECT_NEAR(negH, cy, 2) << "the sign of a height is ignored";
    ReleaseDC(w, hdc);
    for (HFONT f : fonts) {
        EXPECT_TRUE(DeleteObject(f));
    }
    EXPECT_FALSE(DeleteObject(fonts[0]));
}

}  // namespace
