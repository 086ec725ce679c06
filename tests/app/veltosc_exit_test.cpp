// The abrupt exit of the main program (a new video output was chosen): the
// main controller is gone while its window and the goodbye screen's loop
// still run, so whatever still reaches that window must find no object.
#include <stdio.h>
#include <unistd.h>

#include "app/velto_SC_Main.h"
#include "app/veltosc.h"
#include "support/ui_screen_test.h"

namespace {

const UINT kProbe = WM_USER + 41;
HWND g_hMain = nullptr;

// Reports what the main window points at once the messages posted to it
// before the exit have been handled, in the goodbye screen's loop.
LRESULT CALLBACK ProbeProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == kProbe) {
        bool exists = IsWindow(g_hMain);
        LONG slot = GetWindowLong(g_hMain, DWL_USER);
        fprintf(stderr, "main window %s, %s\n", exists ? "exists" : "gone",
                slot ? "still points at its object" : "points at nothing");
        fflush(stderr);
        return 0;
    }
    return DefWindowProc(hwnd, msg, wParam, lParam);
}

HWND g_hProbe = nullptr;

// In the main window's loop: messages for the main window and the probe,
// then the abrupt exit, whose goodbye screen's loop delivers them.
void CALLBACK ExitNow(HWND hwnd, UINT, UINT_PTR id, DWORD) {
    KillTimer(hwnd, id);
    g_hMain = GetActiveWindow();
    if (!m_pMain || GetWindowLong(g_hMain, DWL_USER) != (LONG)m_pMain) {
        fprintf(stderr, "the active window is not the main window\n");
        _exit(2);
    }
    PostMessage(g_hMain, WM_KEYDOWN, VK_F1, 0);
    PostMessage(g_hMain, WM_KEYDOWN, VK_F4, 0);
    PostMessage(g_hMain, WM_COMMAND, IDOK, 0);
    PostMessage(g_hProbe, kProbe, 0, 0);
    sig_int_handler(0);
}

class VeltoscExitTest : public CVeltoUiScreenTest {
protected:
    static void RunUntilTheAbruptExit() {
        WNDCLASS wc{};
        wc.lpfnWndProc = ProbeProc;
        wc.lpszClassName = "VeltoExitProbe";
        RegisterClass(&wc);
        g_hProbe = CreateWindowEx(0, "VeltoExitProbe", "", 0, 0, 0, 1, 1, nullptr, nullptr,
                                  MwGetInstance(), nullptr);
        if (!g_hProbe || !SetTimer(g_hProbe, 1, 3000, ExitNow)) {
            fprintf(stderr, "no probe\n");
            _exit(2);
        }
        WinMain(MwGetInstance(), nullptr, nullptr, SW_SHOW);
        fprintf(stderr, "the main window closed before the exit\n");
        _exit(2);
    }
};

TEST_F(VeltoscExitTest, MessagesToTheMainWindowDuringTheGoodbyeScreenFindNoObject) {
    ::testing::FLAGS_gtest_death_test_style = "fast";
    EXPECT_EXIT(RunUntilTheAbruptExit(), ::testing::ExitedWithCode(0),
                "main window exists, points at nothing");
}

}  // namespace
