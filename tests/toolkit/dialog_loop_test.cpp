// Modal dialogs, nested loops, timers and message routing.
#include <chrono>
#include <string>
#include <vector>

#include "tests/toolkit/tk_fixture.h"

namespace {

std::vector<std::string> g_log;
HWND g_outer = nullptr;
HWND g_inner = nullptr;
int g_outerTicks = 0;
INT_PTR g_innerResult = 0;

void Log(const std::string& s) {
    g_log.push_back(s);
}

void InnerTimer(HWND hwnd, UINT, UINT_PTR, DWORD) {
    Log("inner-timer");
    EndDialog(hwnd, 42);
}

void OuterTimer(HWND, UINT, UINT_PTR, DWORD) {
    ++g_outerTicks;
}

INT_PTR InnerProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            Log("inner-create");
            return 0;
        case WM_INITDIALOG:
            g_inner = hwnd;
            Log("inner-init");
            SetTimer(hwnd, 2, 5000, InnerTimer);
            return 0;
        case WM_DESTROY:
            Log("inner-destroy");
            return 0;
    }
    return 0;
}

INT_PTR OuterProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    switch (msg) {
        case WM_CREATE:
            Log(GetWindowLong(hwnd, DWL_USER) == 0 ? "outer-create" : "outer-create-with-slot");
            return 0;
        case WM_INITDIALOG:
            g_outer = hwnd;
            Log(GetWindowLong(hwnd, DWL_USER) == lParam ? "outer-init" : "outer-init-no-slot");
            SetTimer(hwnd, 1, 100, OuterTimer);
            return 0;
        case WM_ENTERIDLE:
            if (!g_inner) {
                g_innerResult =
                    DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), hwnd, InnerProc, 0);
                Log("inner-returned");
                EndDialog(hwnd, 7);
            }
            return 0;
        case WM_DESTROY:
            Log("outer-destroy");
            return 0;
    }
    return 0;
}

class DialogLoopTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        g_log.clear();
        g_outer = g_inner = nullptr;
        g_outerTicks = 0;
        g_innerResult = 0;
    }
};

TEST_F(DialogLoopTest, NestedModalWithTimersRunsInWin32Order) {
    static int object;
    uint64_t v0 = MwClockNow();
    auto t0 = std::chrono::steady_clock::now();
    INT_PTR r =
        DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, OuterProc, (LPARAM)&object);
    auto real = std::chrono::steady_clock::now() - t0;

    EXPECT_EQ(7, r);
    EXPECT_EQ(42, g_innerResult);
    std::vector<std::string> want = {"outer-create",   "outer-init",   "inner-create",
                                     "inner-init",     "inner-timer",  "inner-destroy",
                                     "inner-returned", "outer-destroy"};
    EXPECT_EQ(want, g_log);
    // The outer screen's 100 ms timer kept running under the inner dialog.
    EXPECT_GE(g_outerTicks, 49);
    EXPECT_LE(g_outerTicks, 51);
    EXPECT_GE(MwClockNow() - v0, 5000u);
    EXPECT_LT(std::chrono::duration_cast<std::chrono::milliseconds>(real).count(), 2000);
    EXPECT_FALSE(IsWindow(g_outer));
    EXPECT_FALSE(IsWindow(g_inner));
    EXPECT_EQ(0, MwModalDepth());
}

TEST_F(DialogLoopTest, EndDialogOutsideAModalLoopIsHarmless) {
    HWND w = Solid(nullptr, RGB(1, 2, 3), 0, 0, 10, 10, false);
    EXPECT_FALSE(EndDialog(w, 5));
    EXPECT_FALSE(EndDialog(nullptr, 5));
    EXPECT_TRUE(IsWindow(w));
    EXPECT_TRUE(IsWindowVisible(w));
}

int g_calls = 0;
LRESULT CountingProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_USER) {
        ++g_calls;
        return 9;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

TEST_F(DialogLoopTest, MessagesToDestroyedWindowsAreDropped) {
    WNDCLASS wc{};
    wc.lpfnWndProc = CountingProc;
    wc.lpszClassName = "Counting";
    ASSERT_NE(0, RegisterClass(&wc));
    HWND w = CreateWindowEx(0, "Counting", "", WS_VISIBLE, 0, 0, 10, 10, nullptr, nullptr,
                            MwGetInstance(), nullptr);
    ASSERT_TRUE(w);
    g_calls = 0;
    PostMessage(w, WM_USER, 0, 0);
    EXPECT_EQ(9, SendMessage(w, WM_USER, 0, 0));
    DestroyWindow(w);
    MwPumpMessages();
    EXPECT_EQ(1, g_calls);  // only the direct send
    EXPECT_EQ(0, SendMessage(w, WM_USER, 0, 0));
    EXPECT_EQ(0, GetWindowLong(w, DWL_USER));
    EXPECT_FALSE(DestroyWindow(w));
    EXPECT_EQ(0u, SetTimer(w, 1, 10, nullptr));
}

// A screen that ends itself and posts WM_QUIT to its own window, as the
// player and the warning screens do, ends only itself.
INT_PTR QuitSelfProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        EndDialog(hwnd, 6);
        PostMessage(hwnd, WM_QUIT, 0, 0);
    }
    return 0;
}

int g_outerIdle = 0;
INT_PTR HostProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_ENTERIDLE && ++g_outerIdle == 1) {
        Log(std::to_string(
            DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), hwnd, QuitSelfProc, 0)));
        SetTimer(hwnd, 3, 1000, [](HWND h, UINT, UINT_PTR, DWORD) { EndDialog(h, 11); });
    }
    return 0;
}

TEST_F(DialogLoopTest, WmQuitToAnEndedDialogLeavesTheOuterLoopRunning) {
    g_outerIdle = 0;
    EXPECT_EQ(11, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, HostProc, 0));
    ASSERT_EQ(1u, g_log.size());
    EXPECT_EQ("6", g_log[0]);
}

INT_PTR QuitAllProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        PostQuitMessage(3);
    }
    return 0;
}

INT_PTR QuitHostProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_ENTERIDLE && !g_inner) {
        g_inner = hwnd;
        DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), hwnd, QuitAllProc, 0);
        Log("inner-back");
    }
    return 0;
}

TEST_F(DialogLoopTest, PostQuitMessageEndsEveryLoopAndStaysQueued) {
    DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, QuitHostProc, 0);
    EXPECT_EQ(std::vector<std::string>{"inner-back"}, g_log);
    MSG msg;
    ASSERT_TRUE(PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ((UINT)WM_QUIT, msg.message);
    EXPECT_EQ(3u, msg.wParam);
}

std::vector<std::string> g_keys;
LRESULT g_dlgCode = 0;
INT_PTR KeyProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM) {
    switch (msg) {
        case WM_INITDIALOG:
            MwInjectKey(VK_RETURN, true);
            MwInjectKey(VK_LEFT, true);
            MwInjectKey(VK_F1, true);
            return 0;
        case WM_GETDLGCODE:
            return g_dlgCode;
        case WM_KEYDOWN:
            g_keys.push_back("key" + std::to_string(wParam));
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

TEST_F(DialogLoopTest, KeysGoToTheInnermostDialogAsItsDialogCodeAsks) {
    g_keys.clear();
    g_dlgCode = DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;  // 137
    EXPECT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyProc, 0));
    EXPECT_EQ((std::vector<std::string>{"key13", "key37", "key112"}), g_keys);

    // A window that answers no code at all gets its keys as they are.
    g_keys.clear();
    g_dlgCode = 0;
    EXPECT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyProc, 0));
    EXPECT_EQ((std::vector<std::string>{"key13", "key37", "key112"}), g_keys);

    // A code without a claim: Enter is the IDOK command, arrows vanish.
    g_keys.clear();
    g_dlgCode = DLGC_WANTCHARS;
    EXPECT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, KeyProc, 0));
    EXPECT_EQ((std::vector<std::string>{"cmd1", "key112"}), g_keys);
}

TEST_F(DialogLoopTest, TimersStopWhenKilledAndDieWithTheirWindow) {
    static int fired;
    fired = 0;
    HWND a = Solid(nullptr, 0, 0, 0, 5, 5, false);
    HWND b = Solid(nullptr, 0, 0, 0, 5, 5, false);
    TIMERPROC count = [](HWND, UINT, UINT_PTR, DWORD) { ++fired; };
    EXPECT_EQ(0x10000004u, SetTimer(a, 0x10000004, 1000, count));
    ASSERT_NE(0u, SetTimer(b, 5, 1000, count));
    DWORD t0 = GetTickCount();
    MwClockAdvance(999);
    MwPumpMessages();
    EXPECT_EQ(0, fired);
    MwClockAdvance(1);
    MwPumpMessages();
    EXPECT_EQ(2, fired);
    EXPECT_EQ(1000u, GetTickCount() - t0);
    EXPECT_TRUE(KillTimer(a, 0x10000004));
    EXPECT_FALSE(KillTimer(a, 0x10000004));
    DestroyWindow(b);
    MwClockAdvance(5000);
    MwPumpMessages();
    EXPECT_EQ(2, fired);
}

TEST_F(DialogLoopTest, BadDialogArgumentsFailWithMinusOne) {
    HWND gone = Solid(nullptr, 0, 0, 0, 5, 5, false);
    DestroyWindow(gone);
    EXPECT_EQ(-1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), gone, OuterProc, 0));
    EXPECT_EQ(-1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, nullptr, 0));
}

}  // namespace
