// What the firmware's screens rely on beyond plain Win32 habits: direct
// repaints of controls that changed themselves, keys for screens that do
// not answer WM_GETDLGCODE, bold passed where the screens pass it, classes
// that outlive a reopened toolkit and a desktop with an instance.
#include "tests/toolkit/tk_fixture.h"

namespace {

class ScreenNeedsTest : public CToolkitTest {
protected:
    // Bright pixels of a line of text drawn in font.
    static int InkPixels(HFONT font);
};

// Paints its current colour over the whole client area on WM_PAINT only.
COLORREF g_paintColour = 0;
int g_nPaints = 0;
LRESULT SelfPaintProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_PAINT) {
        ++g_nPaints;
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT rc;
        GetClientRect(hwnd, &rc);
        FastFillRect(hdc, &rc, g_paintColour);
        EndPaint(hwnd, &ps);
        return 0;
    }
    if (msg == WM_ERASEBKGND) {
        return 1;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST_F(ScreenNeedsTest, DirectPaintsRedrawAControlThatChangedItself) {
    WNDCLASS wc{};
    wc.lpfnWndProc = SelfPaintProc;
    wc.lpszClassName = "SelfPaint";
    ASSERT_NE(0, RegisterClass(&wc));
    HWND top = Solid(nullptr, 0xFF010101u, 0, 0, 320, 240, false);
    g_paintColour = RGB(255, 0, 0);
    HWND gauge = CreateWindowEx(0, "SelfPaint", "", WS_CHILD | WS_VISIBLE, 10, 10, 40, 20, top,
                                nullptr, MwGetInstance(), nullptr);
    MwPumpMessages();
    ASSERT_EQ(0xFF0000u, Px(20, 20));

    // Nothing is invalid: the sent WM_PAINT still draws the new state.
    g_paintColour = RGB(0, 255, 0);
    SendMessage(gauge, WM_PAINT, 0, 0);
    MwPumpMessages();
    EXPECT_EQ(0x00FF00u, Px(20, 20));
    EXPECT_EQ(0x00FF00u, Px(49, 29));

    g_paintColour = RGB(0, 0, 255);
    int before = g_nPaints;
    EXPECT_TRUE(UpdateWindow(gauge));
    EXPECT_EQ(before + 1, g_nPaints);
    MwPumpMessages();
    EXPECT_EQ(0x0000FFu, Px(20, 20));
    // Only the control: its parent's pixels stay as they were.
    EXPECT_EQ(0x010101u, Ui(50, 20));

    // A hidden control is not painted over whatever lies beneath it.
    ShowWindow(gauge, SW_HIDE);
    MwPumpMessages();
    EXPECT_TRUE(UpdateWindow(gauge));
    SendMessage(gauge, WM_PAINT, 0, 0);
    MwPumpMessages();
    EXPECT_EQ(0x010101u, Ui(20, 20));
}

std::vector<std::string> g_keys;
LRESULT g_code = 0;
INT_PTR KeyScreenProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            for (UINT vk : {VK_RIGHT, VK_LEFT, VK_UP, VK_DOWN, VK_RETURN, VK_F2, VK_F1}) {
                MwInjectKey(vk, true);
                MwInjectKey(vk, false);
            }
            return 0;
        case WM_GETDLGCODE:
            return g_code;
        case WM_KEYDOWN:
            g_keys.push_back(std::to_string(wParam));
            if (wParam == VK_F1) {
                EndDialog(hwnd, 1);
            }
            return 0;
        case WM_COMMAND:
            g_keys.push_back("cmd" + std::to_string(LOWORD(wParam)));
            return 0;
    }
    return 0;
}

TEST_F(ScreenNeedsTest, EachScreenGetsTheKeysItsDialogCodeAsksFor) {
    const std::vector<std::string> all{"39", "37", "38", "40", "13", "113", "112"};
    // Screens that never answer WM_GETDLGCODE (the message box, the
    // chooser) act on arrows and Enter as key-downs.
    g_keys.clear();
    g_code = 0;
    ASSERT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyScreenProc, 0));
    EXPECT_EQ(all, g_keys);

    // The settings screens answer 5.
    g_keys.clear();
    g_code = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
    ASSERT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyScreenProc, 0));
    EXPECT_EQ(all, g_keys);

    // The main window answers 0x89: arrows as keys, Enter as command IDOK.
    g_keys.clear();
    g_code = 0x89;
    ASSERT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyScreenProc, 0));
    EXPECT_EQ((std::vector<std::string>{"39", "37", "38", "40", "cmd1", "113", "112"}), g_keys);
}

int ScreenNeedsTest::InkPixels(HFONT font) {
    HWND w = Solid(nullptr, RGB(0, 0, 0), 0, 0, 320, 60, false);
    MwPumpMessages();
    HDC hdc = GetDC(w);
    SelectObject(hdc, font);
    SetTextColor(hdc, 0xFFFFFFFFu);
    SetBkMode(hdc, TRANSPARENT);
    RECT box{0, 0, 320, 60};
    DrawText(hdc, "USB Connected", -1, &box, DT_LEFT);
    ReleaseDC(w, hdc);
    int n = 0;
    for (int y = 0; y < 60; ++y) {
        for (int x = 0; x < 320; ++x) {
            n += MwGetScreenPixel(x, y) & 0x80;
        }
    }
    DestroyWindow(w);
    return n;
}

TEST_F(ScreenNeedsTest, BoldAsTheScreensAskForIt) {
    // Every screen passes weight 100 and 700 as pitch-and-family.
    HFONT plain = CreateFont(24, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, "Arial.ttf");
    HFONT screens = CreateFont(24, 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 700, "Arial.ttf");
    HFONT weight = CreateFont(24, 0, 0, 0, FW_BOLD, 0, 0, 0, 0, 0, 0, 0, 0, "Arial.ttf");
    int nPlain = InkPixels(plain);
    int nScreens = InkPixels(screens);
    EXPECT_GT(nScreens, nPlain * 11 / 10);
    EXPECT_EQ(InkPixels(weight), nScreens);
    DeleteObject(plain);
    DeleteObject(screens);
    DeleteObject(weight);
}

TEST_F(ScreenNeedsTest, ClassesAreKnownUntilTheToolkitClosesAndCanBeRegisteredAgain) {
    WNDCLASS wc{};
    wc.lpfnWndProc = SelfPaintProc;
    wc.lpszClassName = "VeltoAgain";
    wc.style = CS_GLOBALCLASS;
    ASSERT_NE(0, RegisterClass(&wc));
    WNDCLASS got{};
    ASSERT_TRUE(GetClassInfo(MwGetInstance(), "veltoagain", &got));
    EXPECT_EQ((WNDPROC)SelfPaintProc, got.lpfnWndProc);
    EXPECT_EQ((UINT)CS_GLOBALCLASS, got.style);
    EXPECT_FALSE(GetClassInfo(MwGetInstance(), "VeltoNone", nullptr));

    MwClose();
    ASSERT_TRUE(MwOpen());
    EXPECT_FALSE(GetClassInfo(MwGetInstance(), "VeltoAgain", nullptr));
    EXPECT_TRUE(GetClassInfo(MwGetInstance(), "STATIC", nullptr));
    ASSERT_NE(0, RegisterClass(&wc));
    EXPECT_NE(nullptr, CreateWindowEx(0, "VeltoAgain", "", WS_VISIBLE, 0, 0, 5, 5, nullptr, nullptr,
                                      MwGetInstance(), nullptr));
}

TEST_F(ScreenNeedsTest, TheDesktopCarriesTheProgramsInstance) {
    HWND desk = GetDesktopWindow();
    ASSERT_NE(nullptr, desk);
    EXPECT_EQ((LONG)(intptr_t)MwGetInstance(), GetWindowLong(desk, GWL_HINSTANCE));
}

}  // namespace
