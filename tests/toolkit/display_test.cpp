// List box scrolling at its edges, the colour-keyed overlay and the
// framebuffer display on the simulated /dev/fb0.
#include <fcntl.h>
#include <linux/fb.h>
#include <sys/mman.h>
#include <sys/stat.h>

#include <atomic>
#include <thread>

#include "platform/velto_board.h"
#include "tests/toolkit/tk_fixture.h"

namespace {

class DisplayTest : public CToolkitTest {
protected:
    HWND List(int rows, int itemHeight, int height, DWORD style = WS_CHILD | WS_VISIBLE) {
        HWND top = Solid(nullptr, RGB(0, 0, 0), 0, 0, 320, 240, false);
        HWND lb = CreateWindowEx(0, "LISTBOX", "", style, 0, 0, 200, height, top, nullptr,
                                 MwGetInstance(), nullptr);
        for (int i = 0; i < rows; ++i) {
            std::string s = "Item " + std::to_string(i);
            SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)s.c_str());
        }
        SendMessage(lb, LB_SETITEMHEIGHT, 0, itemHeight);
        return lb;
    }
    static LRESULT Top(HWND lb) { return SendMessage(lb, LB_GETTOPINDEX, 0, 0); }
    static LRESULT Sel(HWND lb) { return SendMessage(lb, LB_GETCURSEL, 0, 0); }
    static void Keys(HWND lb, UINT vk, int n) {
        for (int i = 0; i < n; ++i) {
            SendMessage(lb, WM_KEYDOWN, vk, 0);
        }
    }
};

TEST_F(DisplayTest, ListBoxKeysPageTheVisibleRowsAndStopAtTheEnds) {
    // Ten rows of 25 in 110 px: four whole rows and a cut fifth.
    HWND lb = List(10, 25, 110);
    const COLORREF hl = GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFFu;
    Keys(lb, VK_DOWN, 1);
    EXPECT_EQ(0, Sel(lb)) << "the first move from no selection lands on the first row";
    Keys(lb, VK_DOWN, 3);
    EXPECT_EQ(3, Sel(lb));
    EXPECT_EQ(0, Top(lb)) << "row 3 is still whole on screen";
    Keys(lb, VK_DOWN, 1);
    EXPECT_EQ(4, Sel(lb));
    EXPECT_EQ(1, Top(lb)) << "a cut row scrolls into view";
    MwPumpMessages();
    EXPECT_EQ(hl, Ui(150, 3 * 25 + 12)) << "the selected row is drawn where it now shows";
    EXPECT_NE(hl, Ui(150, 0 * 25 + 12));
    Keys(lb, VK_RIGHT, 20);
    EXPECT_EQ(9, Sel(lb));
    EXPECT_EQ(6, Top(lb));
    Keys(lb, VK_UP, 4);
    EXPECT_EQ(5, Sel(lb));
    EXPECT_EQ(5, Top(lb));
    Keys(lb, VK_LEFT, 20);
    EXPECT_EQ(0, Sel(lb));
    EXPECT_EQ(0, Top(lb));
    // Keys the list has no use for change nothing.
    Keys(lb, VK_RETURN, 1);
    Keys(lb, VK_F1, 1);
    EXPECT_EQ(0, Sel(lb));
    EXPECT_EQ((LRESULT)DLGC_WANTARROWS, SendMessage(lb, WM_GETDLGCODE, 0, 0));

    // Deleting rows around the selection keeps it on the same item.
    SendMessage(lb, LB_SETCURSEL, 6, 0);
    EXPECT_EQ(9, SendMessage(lb, LB_DELETESTRING, 2, 0));
    EXPECT_EQ(5, Sel(lb));
    char text[16];
    SendMessage(lb, LB_GETTEXT, (WPARAM)Sel(lb), (LPARAM)text);
    EXPECT_STREQ("Item 6", text);
    SendMessage(lb, LB_INSERTSTRING, 0, (LPARAM) "New");
    EXPECT_EQ(6, Sel(lb));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_DELETESTRING, 10, 0));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_DELETESTRING, (WPARAM)-1, 0));
    SendMessage(lb, LB_DELETESTRING, 6, 0);
    EXPECT_EQ(LB_ERR, Sel(lb)) << "deleting the selected row clears the selection";
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_GETTEXTLEN, 99, 0));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_SETITEMHEIGHT, 0, 0));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_SETTOPINDEX, 99, 0));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_GETTEXT, 99, (LPARAM)text));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_SETITEMDATA, 99, 5));
    EXPECT_EQ(LB_OKAY, SendMessage(lb, LB_SETITEMDATA, 1, 5));
    EXPECT_EQ(5, SendMessage(lb, LB_GETITEMDATA, 1, 0));
}

TEST_F(DisplayTest, AListShorterThanOneRowStillScrollsToTheSelection) {
    HWND lb = List(3, 50, 30);
    SendMessage(lb, LB_SETCURSEL, 2, 0);
    EXPECT_EQ(2, Top(lb));
    Keys(lb, VK_UP, 1);
    EXPECT_EQ(1, Top(lb));
    MwPumpMessages();
}

TEST_F(DisplayTest, OnlyTheExactColourKeyShowsTheOverlay) {
    HWND top = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    Solid(top, RGB(2, 1, 1), 0, 0, 10, 10);
    Solid(top, RGB(1, 1, 2), 10, 0, 10, 10);
    Solid(top, RGB(0, 0, 0), 20, 0, 10, 10);
    // A video picture larger than the screen is scaled down to it.
    std::vector<uint32_t> video(640 * 480, 0xFF204060u);
    for (int y = 240; y < 480; ++y) {
        for (int x = 320; x < 640; ++x) {
            video[(size_t)y * 640 + x] = 0xFFFFFF00u;
        }
    }
    MwSetOverlay(video.data(), 640, 480, 640);
    MwPumpMessages();
    EXPECT_EQ(0x020101u, Px(5, 5));
    EXPECT_EQ(0x010102u, Px(15, 5));
    EXPECT_EQ(0x000000u, Px(25, 5));
    EXPECT_EQ(0x204060u, Px(100, 100));
    EXPECT_EQ(0xFFFF00u, Px(161, 121));
    EXPECT_EQ(0x204060u, Px(159, 119));

    // Pictures from another thread while the loop runs; a stride wider than
    // the picture is honoured.
    std::atomic<bool> done{false};
    std::thread feeder([&] {
        std::vector<uint32_t> frame(8 * 2, 0xFF000000u);
        for (int x = 0; x < 4; ++x) {
            frame[x] = frame[8 + x] = 0xFF0000FFu;  // 4 x 2 blue in a stride of 8
        }
        for (int i = 0; i < 20; ++i) {
            MwSetOverlay(frame.data(), 4, 2, 8);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        done = true;
    });
    while (!done) {
        MwPumpMessages();
    }
    feeder.join();
    MwPumpMessages();
    EXPECT_EQ(0x0000FFu, Px(100, 100));
    EXPECT_EQ(0x0000FFu, Px(319, 239));
}

TEST_F(DisplayTest, TheFramebufferDisplayUsesThePanelSizeAndWritesItsMemory) {
    for (auto panel : {std::make_pair("lq035", 240), std::make_pair("tvenc_pal", 576),
                       std::make_pair("tvenc_ntsc", 480)}) {
        SCOPED_TRACE(panel.first);
        WriteFile(HostPath("/etc/lcdparams"), std::string("lcd_panel=") + panel.first + "\n");
        MwClose();
        MwSelectDisplay("fb");
        ASSERT_TRUE(MwOpen());
        ASSERT_EQ("fb", MwDisplayName());
        const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
        EXPECT_EQ(panel.second == 240 ? 320 : 720, w);
        EXPECT_EQ(panel.second, h);
        HWND top = Solid(nullptr, RGB(255, 0, 0), 0, 0, w, h, false);
        Solid(top, RGB(0, 0, 255), w - 10, h - 10, 10, 10);
        MwPumpMessages();

        int fd = Board().Open("/dev/fb0", O_RDWR);
        ASSERT_GE(fd, 0);
        fb_fix_screeninfo fix{};
        ASSERT_EQ(0, Board().Ioctl(fd, FBIOGET_FSCREENINFO, &fix));
        void* mem = Board().Mmap(nullptr, fix.smem_len, PROT_READ, MAP_SHARED, fd, 0);
        ASSERT_NE(MAP_FAILED, mem);
        auto at = [&](int x, int y) {
            return reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(mem) +
                                                     (size_t)y * fix.line_length)[x] &
                   0xFFFFFFu;
        };
        EXPECT_EQ(0xFF0000u, at(0, 0));
        EXPECT_EQ(0xFF0000u, at(w - 11, h - 1));
        EXPECT_EQ(0x0000FFu, at(w - 1, h - 1)) << "the last pixel of the last line";
        // The pointer is drawn into the framebuffer, not into the UI plane.
        MwMoveCursor(50, 50);
        GdShowCursor(GdGetScreen());
        MwPumpMessages();
        EXPECT_EQ(0x000000u, at(50, 50));
        EXPECT_EQ(RGB(255, 0, 0) & 0xFFFFFFu, MwGetScreenPixel(50, 50) & 0xFFFFFFu);
        GdHideCursor(GdGetScreen());
        MwPumpMessages();
        EXPECT_EQ(0xFF0000u, at(50, 50));
        Board().Munmap(mem, fix.smem_len);
        Board().Close(fd);
    }
}

}  // namespace
