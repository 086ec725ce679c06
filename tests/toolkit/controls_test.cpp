// The built-in STATIC and LISTBOX controls.
#include "tests/toolkit/tk_fixture.h"

namespace {

// A plain red 8 x 8 image.
PSD Velto_TestImage() {
    CToolkitTest::WritePngFile("red.png", 8, 8, std::vector<uint32_t>(64, 0xFFFF0000u));
    return GdLoadImageFromFile("red.png", 0);
}

std::vector<std::pair<WORD, HWND>> g_notes;
HBRUSH g_lastBrush = nullptr;
LRESULT ParentProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
        case WM_COMMAND:
            g_notes.push_back({HIWORD(wParam), (HWND)lParam});
            return 0;
        case WM_CTLCOLORSTATIC:
            SetTextColor((HDC)wParam, 0xFFFFFFFFu);
            SetBkMode((HDC)wParam, TRANSPARENT);
            // A fresh brush on every paint, as the screens do.
            g_lastBrush = CreateSolidBrush(0xFF734216u);
            return (LRESULT)g_lastBrush;
        case WM_ERASEBKGND: {
            RECT rc;
            GetClientRect(hwnd, &rc);
            FastFillRect((HDC)wParam, &rc, 0xFF00FF00u);
            return 1;
        }
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

class ControlsTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        WNDCLASS wc{};
        wc.lpfnWndProc = ParentProc;
        wc.lpszClassName = "Parent";
        RegisterClass(&wc);
        m_parent = CreateWindowEx(0, "Parent", "", WS_VISIBLE, 0, 0, 320, 240, nullptr, nullptr,
                                  MwGetInstance(), nullptr);
        g_notes.clear();
    }
    HWND m_parent = nullptr;
};

TEST_F(ControlsTest, StaticsDrawTextOnTheParentsBrushAndOwnTheLatestBrush) {
    HFONT f = CreateFont(20, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "MSYH.TTF");
    HWND s = CreateWindowEx(0, "STATIC", "Menu", WS_CHILD | WS_VISIBLE | SS_CENTER, 0, 0, 320, 40,
                            m_parent, nullptr, MwGetInstance(), nullptr);
    SendMessage(s, WM_SETFONT, (WPARAM)f, 0);
    MwPumpMessages();
    HBRUSH first = g_lastBrush;
    EXPECT_EQ(0x734216u, Ui(2, 2));
    EXPECT_GT(CountNot(RECT{100, 0, 220, 40}, 0x734216u), 20);
    EXPECT_EQ(0, CountNot(RECT{0, 0, 100, 40}, 0x734216u));
    EXPECT_EQ(0x00FF00u, Ui(2, 50));

    SetWindowText(s, "Menu 2");
    MwPumpMessages();
    EXPECT_NE(first, g_lastBrush);
    EXPECT_FALSE(DeleteObject(first)) << "the earlier brush was freed by the control";
    EXPECT_EQ(g_lastBrush, MwGetWindowPaintBrush(s));
    char buf[16];
    EXPECT_EQ(6, GetWindowText(s, buf, sizeof buf));
    EXPECT_STREQ("Menu 2", buf);
    DestroyWindow(s);
    EXPECT_FALSE(DeleteObject(g_lastBrush));
    DeleteObject(f);
}

TEST_F(ControlsTest, ImageStaticsScaleTheirImageToTheControl) {
    PSD img = Velto_TestImage();
    HWND s = CreateWindowEx(0, "STATIC", "cs", 0x50000003, 10, 10, 30, 30, m_parent, nullptr,
                            MwGetInstance(), nullptr);
    EXPECT_EQ(0, SendMessage(s, STM_SETIMAGE, IMAGE_BITMAP, (LPARAM)img));
    EXPECT_EQ((LRESULT)img, SendMessage(s, STM_GETIMAGE, IMAGE_BITMAP, 0));
    MwPumpMessages();
    EXPECT_EQ(RGB(255, 0, 0) & 0xFFFFFFu, Ui(11, 11));
    EXPECT_EQ(RGB(255, 0, 0) & 0xFFFFFFu, Ui(38, 38));
    EXPECT_EQ((LRESULT)img, SendMessage(s, STM_SETIMAGE, IMAGE_BITMAP, 0));
    MwPumpMessages();
    EXPECT_EQ(0x734216u, Ui(20, 20));
    DestroyWindow(s);
    img->FreeMemGC(img);
}

TEST_F(ControlsTest, ListBoxRowsSelectionAndKeys) {
    HWND lb =
        CreateWindowEx(0, "LISTBOX", "SETUP", WS_CHILD | WS_VISIBLE | LBS_NOTIFY | LBS_USEICON, 10,
                       10, 300, 200, m_parent, (HMENU)7, MwGetInstance(), nullptr);
    ASSERT_TRUE(lb);
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_GETCURSEL, 0, 0));
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);  // empty: nothing happens
    EXPECT_TRUE(g_notes.empty());
    PSD icon = Velto_TestImage();
    const char* names[] = {"Advanced", "Color", "Format", "Help"};
    for (int i = 0; i < 4; ++i) {
        LISTBOXITEMINFO item{0, const_cast<char*>(names[i]), 0, icon};
        EXPECT_EQ(i, SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)&item));
    }
    EXPECT_EQ(4, SendMessage(lb, LB_GETCOUNT, 0, 0));
    EXPECT_EQ(LB_OKAY, SendMessage(lb, LB_SETITEMHEIGHT, 0, 50));
    EXPECT_EQ(50, SendMessage(lb, LB_GETITEMHEIGHT, 0, 0));
    EXPECT_EQ(0, SendMessage(lb, LB_SETCURSEL, 0, 0));
    MwPumpMessages();

    const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFFu;
    auto rowSelected = [&](int row) { return Ui(300, 10 + row * 50 + 25) == highlight; };
    EXPECT_TRUE(rowSelected(0));
    EXPECT_FALSE(rowSelected(1));
    // Icons sit at the left of every row, text after them.
    EXPECT_EQ(RGB(255, 0, 0) & 0xFFFFFFu, Ui(10 + 4 + 20, 10 + 50 + 25));
    EXPECT_GT(CountNot(RECT{70, 60, 200, 110}, 0xFFFFFFu), 20);

    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(2, SendMessage(lb, LB_GETCURSEL, 0, 0));
    ASSERT_EQ(2u, g_notes.size());
    EXPECT_EQ(LBN_SELCHANGE, g_notes[0].first);
    EXPECT_EQ(lb, g_notes[0].second);
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);
    SendMessage(lb, WM_KEYDOWN, VK_DOWN, 0);  // stays on the last row
    EXPECT_EQ(3, SendMessage(lb, LB_GETCURSEL, 0, 0));
    EXPECT_EQ(3u, g_notes.size());
    MwPumpMessages();
    EXPECT_TRUE(rowSelected(3));
    EXPECT_FALSE(rowSelected(0));

    char text[32];
    EXPECT_EQ(4, SendMessage(lb, LB_GETTEXT, 3, (LPARAM)text));
    EXPECT_STREQ("Help", text);
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_SETCURSEL, 9, 0));
    EXPECT_EQ(LB_ERR, SendMessage(lb, LB_GETCURSEL, 0, 0));
    SendMessage(lb, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(0, SendMessage(lb, LB_GETCOUNT, 0, 0));
    DestroyWindow(lb);
    icon->FreeMemGC(icon);
}

TEST_F(ControlsTest, PlainListBoxesTakeStringsAndScrollToTheSelection) {
    HWND lb = CreateWindowEx(0, "LISTBOX", "TVOUT", 0x50000001, 0, 0, 200, 100, m_parent, nullptr,
                             MwGetInstance(), nullptr);
    for (const char* s : {"NTSC", "PAL", "A", "B", "C", "D"}) {
        SendMessage(lb, LB_ADDSTRING, 0, (LPARAM)s);
    }
    SendMessage(lb, LB_SETITEMHEIGHT, 0, 25);  // four rows visible
    SendMessage(lb, LB_SETCURSEL, 5, 0);
    EXPECT_EQ(2, SendMessage(lb, LB_GETTOPINDEX, 0, 0));
    SendMessage(lb, LB_SETCURSEL, 0, 0);
    EXPECT_EQ(0, SendMessage(lb, LB_GETTOPINDEX, 0, 0));
    char text[8];
    SendMessage(lb, LB_GETTEXT, 1, (LPARAM)text);
    EXPECT_STREQ("PAL", text);
}

}  // namespace
