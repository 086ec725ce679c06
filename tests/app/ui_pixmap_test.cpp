// Off-screen pixmaps of the drawing helpers: the whole format table, sizes
// that cannot be allocated, and pixmaps drawn onto the screen.
#include <limits.h>

#include "app/velto_mwin_utils.h"
#include "support/sim_ui_test.h"
#include "toolkit/tk_host.h"

namespace {

class UiPixmapTest : public CVeltoSimUiTest {};

TEST_F(UiPixmapTest, EveryFormatGivesItsDepthKindPitchAndColours) {
    struct Row {
        int format, bpp, pixtype, pitch;  // pitch for a width of 5
    };
    const Row table[] = {
        {MWIF_PAL1, 1, MWPF_PALETTE, 4},
        {MWIF_PAL1B, 1, MWPF_PALETTE, 4},
        {MWIF_PAL1C, 1, MWPF_PALETTE, 4},
        {MWIF_RGBA8888, 32, MWPF_TRUECOLOR8888, 20},
        {MWIF_BGRA8888, 32, MWPF_TRUECOLORABGR, 20},
        {MWIF_BGR888, 24, MWPF_TRUECOLOR888, 16},
        {MWIF_RGB565, 16, MWPF_TRUECOLOR565, 12},
        {MWIF_RGB555, 16, MWPF_TRUECOLOR555, 12},
        {MWIF_RGB444, 16, MWPF_TRUECOLOR444, 12},
        {MWIF_PAL2, 2, MWPF_PALETTE, 4},
        {MWIF_PAL4, 4, MWPF_PALETTE, 4},
        {MWIF_PAL8, 8, MWPF_PALETTE, 8},
    };
    PSD root = GdGetScreen();
    for (const Row& r : table) {
        SCOPED_TRACE(r.format);
        PSD p = Velto::GdCreatePixmap(root, 5, 3, r.format, nullptr, 0);
        ASSERT_TRUE(p);
        EXPECT_EQ(r.bpp, p->bpp);
        EXPECT_EQ(r.pixtype, p->pixtype);
        EXPECT_EQ(r.pitch, p->linelen);
        EXPECT_EQ(r.pitch * 3, p->size);
        EXPECT_EQ(5, p->xres);
        EXPECT_EQ(3, p->yres);
        EXPECT_EQ(r.bpp < 24 ? (1L << r.bpp) : 0x1000000L, p->ncolors);
        EXPECT_EQ(nullptr, p->palette);
        // The owned buffer is zeroed over its whole size.
        const unsigned char* b = static_cast<const unsigned char*>(p->addr);
        int nonzero = 0;
        for (int i = 0; i < p->size; ++i) {
            nonzero += b[i] != 0;
        }
        EXPECT_EQ(0, nonzero);
        p->FreeMemGC(p);
    }
    for (int bad : {1, 16, 24, MWIF_RGB565 | 1, -1}) {
        EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 5, 3, bad, nullptr, 0)) << bad;
    }
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(nullptr, 5, 3, 0, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, -5, 3, 0, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 5, -3, 0, nullptr, 0));
}

TEST_F(UiPixmapTest, SizesBeyondMemoryGiveNullNotAnOverflow) {
    PSD root = GdGetScreen();
    // 4 * width does not fit an int; width * height does not fit a size.
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, INT_MAX, 1, MWIF_RGBA8888, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 0x40000000, 1, MWIF_RGBA8888, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, 65536, 65536, MWIF_RGBA8888, nullptr, 0));
    EXPECT_EQ(nullptr, Velto::GdCreatePixmap(root, INT_MAX, INT_MAX, MWIF_PAL1, nullptr, 0));
}

TEST_F(UiPixmapTest, APixmapDrawsWhatItsPixelsSay) {
    PSD root = GdGetScreen();
    PSD p = Velto::GdCreatePixmap(root, 2, 1, MWIF_RGB565, nullptr, 0);
    ASSERT_TRUE(p);
    uint16_t* px = static_cast<uint16_t*>(p->addr);
    px[0] = 0xF800;  // red
    px[1] = 0x07E0;  // green
    static PSD image;
    image = p;
    WNDCLASS wc{};
    wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
        if (m == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC hdc = BeginPaint(h, &ps);
            DrawDIBFit(hdc, 0, 0, 100, 50, image);
            EndPaint(h, &ps);
            return 0;
        }
        return DefWindowProc(h, m, w, l);
    };
    wc.lpszClassName = "PixmapWin";
    RegisterClass(&wc);
    CreateWindowEx(0, "PixmapWin", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                   MwGetInstance(), nullptr);
    MwPumpMessages();
    EXPECT_EQ(0xFF0000u, MwGetComposedPixel(10, 10));
    EXPECT_EQ(0x00FF00u, MwGetComposedPixel(60, 40));
    Velto::UnloadImage(p);
}

}  // namespace
