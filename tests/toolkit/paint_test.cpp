// Painting: clipping between windows, the colour-keyed overlay, text,
// images and screenshots, asserted on the in-memory display's pixels.
#include <gif_lib.h>
#include <stdio.h>
// jpeglib.h needs stdio's FILE first.
#include <jpeglib.h>

#include <fstream>
#include <vector>

#include "tests/toolkit/tk_fixture.h"
#include "toolkit/tk_surface.h"

namespace {

class PaintTest : public CToolkitTest {};

TEST_F(PaintTest, WindowsPaintOnlyWhatIsVisibleOfThem) {
    HWND top = Solid(nullptr, RGB(255, 0, 0), 0, 0, 320, 240, false);
    HWND green = Solid(top, RGB(0, 255, 0), 10, 10, 100, 100);
    HWND blue = Solid(top, RGB(0, 0, 255), 60, 60, 100, 100);
    // A grandchild reaching outside its parent is cut at the parent's edge.
    Solid(green, RGB(255, 255, 0), 80, 80, 50, 50);
    MwPumpMessages();
    EXPECT_EQ(0xFF0000u, Px(5, 5));
    EXPECT_EQ(0x00FF00u, Px(20, 20));
    EXPECT_EQ(0x0000FFu, Px(70, 70));  // blue is above green
    EXPECT_EQ(0x0000FFu, Px(95, 95));  // green's children stay under green's sibling

    // Repainting the lower window must not overwrite the one above it.
    InvalidateRect(green, nullptr, TRUE);
    MwPumpMessages();
    EXPECT_EQ(0x0000FFu, Px(70, 70));

    // What a hidden window uncovers is repainted by those beneath.
    ShowWindow(blue, SW_HIDE);
    MwPumpMessages();
    EXPECT_EQ(0x00FF00u, Px(70, 70));
    EXPECT_EQ(0xFFFF00u, Px(95, 95));
    EXPECT_EQ(0xFF0000u, Px(115, 115));  // the grandchild is cut at green's edge
    EXPECT_EQ(0xFF0000u, Px(150, 150));
    MoveWindow(green, 200, 100, 50, 50, TRUE);
    MwPumpMessages();
    EXPECT_EQ(0xFF0000u, Px(20, 20));
    EXPECT_EQ(0x00FF00u, Px(210, 110));
}

TEST_F(PaintTest, TheOverlayShowsWhereTheUiHasTheColourKey) {
    HWND top = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    Solid(top, RGB(255, 255, 255), 100, 100, 20, 20);
    MwPumpMessages();
    EXPECT_EQ(0x000000u, Px(10, 10));  // no video yet: black
    std::vector<uint32_t> video(160 * 120, 0xFF00FF00u);
    for (int x = 0; x < 80; ++x) {
        video[x] = 0xFFFF0000u;  // first half of the top line red
    }
    MwSetOverlay(video.data(), 160, 120, 160);
    MwPumpMessages();
    EXPECT_EQ(0x010101u, Ui(10, 10));
    EXPECT_EQ(0x00FF00u, Px(10, 10));  // scaled 2x to the screen
    EXPECT_EQ(0xFF0000u, Px(10, 0));
    EXPECT_EQ(0x00FF00u, Px(170, 0));
    EXPECT_EQ(0xFFFFFFu, Px(110, 110));  // UI where it is not the key
}

LRESULT TextProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FastFillRect(hdc, &rc, 0xFF734216u);
        HFONT f = CreateFont(24, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 4, 700, "Arial.ttf");
        SelectObject(hdc, f);
        SetTextColor(hdc, 0xFFFFFFFFu);
        SetBkMode(hdc, TRANSPARENT);
        RECT box{0, 40, 320, 100};
        DrawText(hdc, "Setup", -1, &box, DT_CENTER);
        RECT wrap{0, 120, 60, 240};
        DrawText(hdc, "one two three", -1, &wrap, DT_WORDBREAK);
        EndPaint(hwnd, &ps);
        DeleteObject(f);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST_F(PaintTest, TextIsDrawnCentredAndWrappedInsideItsRectangle) {
    WNDCLASS wc{};
    wc.lpfnWndProc = TextProc;
    wc.lpszClassName = "TextWin";
    RegisterClass(&wc);
    CreateWindowEx(0, "TextWin", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, MwGetInstance(),
                   nullptr);
    MwPumpMessages();
    const COLORREF blue = 0x734216u;
    int left = 320, right = -1, topRow = 240, bottomRow = -1;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            COLORREF c = Ui(x, y);
            if (c != blue && y < 100) {
                left = std::min(left, x), right = std::max(right, x);
                topRow = std::min(topRow, y), bottomRow = std::max(bottomRow, y);
            }
        }
    }
    ASSERT_LT(left, right) << "no text drawn";
    EXPECT_GE(topRow, 40);
    EXPECT_LE(bottomRow, 70);
    // Centred: the margins on both sides differ by at most a few pixels.
    EXPECT_LE(std::abs(left - (319 - right)), 4);
    EXPECT_EQ(blue, Ui(left - 1, (topRow + bottomRow) / 2) & 0xFFFFFFu);
    // Anti-aliased: some edge pixels are between white and blue.
    int mixed = 0;
    for (int x = left; x <= right; ++x) {
        COLORREF c = Ui(x, (topRow + bottomRow) / 2);
        mixed += c != blue && c != 0xFFFFFFu;
    }
    EXPECT_GT(mixed, 0);
    // Three words in 60 px wrap onto three lines and never pass x = 60.
    EXPECT_EQ(0, CountNot(RECT{60, 120, 320, 240}, blue));
    int lines = 0;
    bool inLine = false;
    for (int y = 120; y < 240; ++y) {
        bool any = CountNot(RECT{0, y, 60, y + 1}, blue) > 0;
        lines += any && !inLine;
        inLine = any;
    }
    EXPECT_EQ(3, lines);
}

PSD g_image = nullptr;
LRESULT ImageProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc{0, 0, 320, 240};
        FastFillRect(hdc, &rc, 0xFF808080u);
        DrawDIBFit(hdc, 10, 10, 40, 20, g_image);
        DrawDIBFit(hdc, 100, 100, 0, 0, g_image);  // natural size
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

void ShowImage(PSD image) {
    g_image = image;
    WNDCLASS wc{};
    wc.lpfnWndProc = ImageProc;
    wc.lpszClassName = "ImageWin";
    RegisterClass(&wc);
    CreateWindowEx(0, "ImageWin", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr, MwGetInstance(),
                   nullptr);
    MwPumpMessages();
}

TEST_F(PaintTest, PngImagesAreScaledAndBlendedByAlpha) {
    // 4 x 2: red, green, blue, transparent / white, black, half-red, red.
    WritePng("t.png", 4, 2,
             {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu, 0x00000000u, 0xFFFFFFFFu, 0xFF000000u,
              0x80FF0000u, 0xFFFF0000u});
    PSD img = GdLoadImageFromFile("t.png", 0);
    ASSERT_TRUE(img);
    EXPECT_EQ(4, img->xres);
    EXPECT_EQ(2, img->yres);
    ShowImage(img);
    EXPECT_EQ(0x0000FFu, Ui(10, 10) & 0xFFFFFF) << "red is COLORREF 0x0000FF";
    EXPECT_EQ(RGB(0, 255, 0) & 0xFFFFFFu, Ui(25, 15));
    EXPECT_EQ(RGB(0, 0, 255) & 0xFFFFFFu, Ui(35, 19));
    EXPECT_EQ(RGB(128, 128, 128) & 0xFFFFFFu, Ui(45, 15));  // transparent: background
    EXPECT_EQ(RGB(255, 255, 255) & 0xFFFFFFu, Ui(10, 29));
    COLORREF half = Ui(35, 25);
    EXPECT_NEAR(GetRValue(half), 192, 2);
    EXPECT_NEAR(GetGValue(half), 64, 2);
    EXPECT_EQ(RGB(128, 128, 128) & 0xFFFFFFu, Ui(50, 15));  // outside the rectangle
    EXPECT_EQ(RGB(0, 255, 0) & 0xFFFFFFu, Ui(101, 100));
    EXPECT_EQ(RGB(128, 128, 128) & 0xFFFFFFu, Ui(104, 100));
    img->FreeMemGC(img);
}

TEST_F(PaintTest, GifTransparencyAndPaletteAreHonoured) {
    int err = 0;
    GifFileType* gif = EGifOpenFileName("t.gif", false, &err);
    ASSERT_TRUE(gif);
    GifColorType colours[2] = {{255, 255, 0}, {0, 0, 0}};
    ColorMapObject* map = GifMakeMapObject(2, colours);
    EGifPutScreenDesc(gif, 2, 1, 1, 0, map);
    GraphicsControlBlock gcb{0, false, 0, 1};
    GifByteType ext[4];
    size_t n = EGifGCBToExtension(&gcb, ext);
    EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, (int)n, ext);
    EGifPutImageDesc(gif, 0, 0, 2, 1, false, nullptr);
    GifPixelType line[2] = {0, 1};
    EGifPutLine(gif, line, 2);
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);

    PSD img = GdLoadImageFromFile("t.gif", 0);
    ASSERT_TRUE(img);
    ShowImage(img);
    EXPECT_EQ(RGB(255, 255, 0) & 0xFFFFFFu, Ui(15, 15));
    EXPECT_EQ(RGB(128, 128, 128) & 0xFFFFFFu, Ui(35, 15));  // index 1 is transparent
    img->FreeMemGC(img);
}

// Only the first frame is decoded: interlaced lines land in their rows, a
// damaged later frame does not cost the picture, and a frame header claiming
// more than the limit is refused before its lines are allocated.
TEST_F(PaintTest, GifFirstFrameIsReadLineByLine) {
    int err = 0;
    GifFileType* gif = EGifOpenFileName("anim.gif", false, &err);
    ASSERT_TRUE(gif);
    GifColorType colours[8];
    for (int i = 0; i < 8; ++i) {
        colours[i] = GifColorType{GifByteType(i * 30), GifByteType(255 - i * 30), 7};
    }
    ColorMapObject* map = GifMakeMapObject(8, colours);
    EGifPutScreenDesc(gif, 2, 8, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, 2, 8, true, nullptr);
    // Interlaced order: row 0, 4, then 2, 6, then the odd rows.
    for (int y : {0, 4, 2, 6, 1, 3, 5, 7}) {
        GifPixelType line[2] = {GifPixelType(y), GifPixelType(y)};
        EGifPutLine(gif, line, 2);
    }
    EGifPutImageDesc(gif, 0, 0, 2, 8, false, nullptr);
    for (int y = 0; y < 8; ++y) {
        GifPixelType line[2] = {0, 0};
        EGifPutLine(gif, line, 2);
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    std::ifstream in("anim.gif", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The second frame cut short: the first is still the picture.
    std::ofstream("cut2.gif", std::ios::binary) << bytes.substr(0, bytes.size() - 6);

    for (const char* name : {"anim.gif", "cut2.gif"}) {
        PSD img = GdLoadImageFromFile(name, 0);
        ASSERT_TRUE(img) << name;
        for (int y = 0; y < 8; ++y) {
            EXPECT_EQ(0xFF000000u | uint32_t(y * 30) << 16 | uint32_t(255 - y * 30) << 8 | 7u,
                      VeltoTk::Row32(img, y)[1])
                << name << " row " << y;
        }
        img->FreeMemGC(img);
    }

    // 2 x 1 screen, one frame of 65535 x 65535 with a few bytes of data.
    const unsigned char huge[] = {'G',  'I',  'F',  '8',  '9', 'a', 2,   0,    1,    0, 0x80, 0,
                                  0,    0,    0,    0,    255, 255, 255, 0x2C, 0,    0, 0,    0,
                                  0xFF, 0xFF, 0xFF, 0xFF, 0,   2,   2,   0x4C, 0x01, 0, 0x3B};
    EXPECT_EQ(nullptr, GdLoadImageFromMemory(huge, sizeof huge));

    // Inputs the fuzzer kept (tests/toolkit/image_regressions): GIFs whose
    // frame header claims some 2 GiB once took seconds to allocate and free.
    const std::string dir = std::string(VELTO_SOURCE_DIR) + "/tests/toolkit/image_regressions";
    for (const char* name : {"gif-frame-2gib", "gif-frame-2gib-slow"}) {
        std::ifstream kept(dir + "/" + name, std::ios::binary);
        std::string b((std::istreambuf_iterator<char>(kept)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(b.empty()) << name;
        EXPECT_EQ(nullptr, GdLoadImageFromMemory(b.data(), b.size())) << name;
        EXPECT_EQ(nullptr, GdLoadImageFromMemoryAtLeast(b.data(), b.size(), 94, 68)) << name;
    }
}

TEST_F(PaintTest, MissingOrDamagedImagesGiveNullAndDrawNothing) {
    EXPECT_EQ(nullptr, GdLoadImageFromFile("img/none.gif", 0));
    EXPECT_EQ(nullptr, GdLoadImageFromFile(nullptr, 0));
    WritePng("good.png", 8, 8, std::vector<uint32_t>(64, 0xFF112233u));
    std::ifstream in("good.png", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (const char* name : {"cut.png", "cut.gif", "cut.jpg"}) {
        std::ofstream out(name, std::ios::binary);
        if (std::string(name) == "cut.png") {
            out << bytes.substr(0, bytes.size() / 2);
        } else if (std::string(name) == "cut.gif") {
            out << "GIF89a\x10\x00\x10\x00";
        } else {
            out << "\xFF\xD8\xFF\xE0 not really a jpeg";
        }
    }
    EXPECT_EQ(nullptr, GdLoadImageFromFile("cut.png", 0));
    EXPECT_EQ(nullptr, GdLoadImageFromFile("cut.gif", 0));
    EXPECT_EQ(nullptr, GdLoadImageFromFile("cut.jpg", 0));
    ShowImage(nullptr);
    EXPECT_EQ(0, CountNot(RECT{0, 0, 320, 240}, RGB(128, 128, 128)));
}

namespace {

// A baseline JPEG of a uniform colour, made in memory.
std::vector<uint8_t> MakeJpeg(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = width;
    c.image_height = height;
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 90, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<uint8_t> line(size_t(width) * 3);
    for (int x = 0; x < width; ++x) {
        line[x * 3] = r;
        line[x * 3 + 1] = g;
        line[x * 3 + 2] = b;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = line.data();
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::vector<uint8_t> bytes(out, out + size);
    free(out);
    return bytes;
}

}  // namespace

// A damaged picture on a card makes libjpeg give up in the middle of the
// decode. That must come back as null (or a partly grey picture for a file
// cut short), never a crash or a leak; the sanitizer build checks the rest.
TEST_F(PaintTest, DamagedJpegsFailSafelyAndGoodOnesStillDecode) {
    std::vector<uint8_t> good = MakeJpeg(64, 48, 200, 40, 40);
    PSD img = GdLoadImageFromMemory(good.data(), good.size());
    ASSERT_TRUE(img);
    EXPECT_EQ(64, img->xres);
    EXPECT_EQ(48, img->yres);
    uint32_t px = VeltoTk::Row32(img, 20)[30];
    EXPECT_NEAR(int((px >> 16) & 0xFF), 200, 6);
    EXPECT_NEAR(int(px & 0xFF), 40, 6);
    img->FreeMemGC(img);

    // Cut at every length: the header, the tables and the scan.
    for (size_t len = 0; len < good.size(); len += 7) {
        PSD cut = GdLoadImageFromMemory(good.data(), len);
        if (cut) {
            EXPECT_EQ(64, cut->xres) << len;
            cut->FreeMemGC(cut);
        }
    }
    // Bytes smashed after the header: errors raised from inside the scan.
    int failed = 0;
    for (size_t at = 2; at < good.size(); at += 5) {
        std::vector<uint8_t> bad = good;
        bad[at] ^= 0xA5;
        bad[at / 2 + 1] = 0xFF;
        PSD p = GdLoadImageFromMemory(bad.data(), bad.size());
        if (p) {
            p->FreeMemGC(p);
        } else {
            failed++;
        }
    }
    EXPECT_GT(failed, 0);
    // The file path takes the same road.
    {
        std::ofstream out("cut.jpg", std::ios::binary);
        out.write(reinterpret_cast<const char*>(good.data()), std::streamsize(good.size() / 3));
    }
    PSD fromFile = GdLoadImageFromFile("cut.jpg", 0);
    if (fromFile) {
        fromFile->FreeMemGC(fromFile);
    }
    EXPECT_EQ(nullptr, GdLoadImageFromMemory(nullptr, 10));
    // Pictures beyond 2048 a side would take the board's memory.
    std::vector<uint8_t> wide = MakeJpeg(2049, 8, 1, 2, 3);
    EXPECT_EQ(nullptr, GdLoadImageFromMemory(wide.data(), wide.size()));
    std::vector<uint8_t> edge = MakeJpeg(2048, 8, 1, 2, 3);
    PSD edgeImg = GdLoadImageFromMemory(edge.data(), edge.size());
    ASSERT_TRUE(edgeImg);
    edgeImg->FreeMemGC(edgeImg);
    WritePng("wide.png", 2049, 1, std::vector<uint32_t>(2049, 0xFF112233u));
    EXPECT_EQ(nullptr, GdLoadImageFromFile("wide.png", 0));
    EXPECT_EQ(nullptr, GdLoadImageFromMemory(good.data(), 0));
}

TEST_F(PaintTest, BoardPathsOfImagesAreReadFromTheBoard) {
    WritePng(HostPath("/usr/velto/bye.png"), 2, 2, std::vector<uint32_t>(4, 0xFF0000FFu));
    PSD img = GdLoadImageFromFile("/usr/velto/bye.png", 0);
    ASSERT_TRUE(img);
    img->FreeMemGC(img);
}

TEST_F(PaintTest, ScreenshotsSaveWhatIsShown) {
    HWND top = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    Solid(top, RGB(10, 20, 30), 0, 0, 100, 240);
    std::vector<uint32_t> video(4, 0xFFC08040u);
    MwSetOverlay(video.data(), 2, 2, 2);
    MwPumpMessages();
    ASSERT_TRUE(MwSaveScreenshot("shot.png"));
    PSD shot = GdLoadImageFromFile("shot.png", 0);
    ASSERT_TRUE(shot);
    EXPECT_EQ(320, shot->xres);
    EXPECT_EQ(240, shot->yres);
    auto at = [&](int x, int y) { return ((uint32_t*)shot->addr)[y * 320 + x] & 0xFFFFFFu; };
    EXPECT_EQ(0x0A141Eu, at(50, 50));
    EXPECT_EQ(0xC08040u, at(200, 50));
    shot->FreeMemGC(shot);
    EXPECT_FALSE(MwSaveScreenshot("no/such/dir/shot.png"));
}

}  // namespace
