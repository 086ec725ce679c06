// Timers that change themselves from their own callbacks, modal loops that
// end out of order, and the idle notification of the modal loop.
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/toolkit/tk_fixture.h"

namespace {

std::vector<std::string> g_log;
HWND g_a = nullptr;
HWND g_b = nullptr;

class TimerModalTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        g_log.clear();
        g_a = g_b = nullptr;
    }
    // Advances virtual time in steps and runs whatever became due.
    static void Run(uint32_t ms, uint32_t step = 10) {
        for (uint32_t t = 0; t < ms; t += step) {
            MwClockAdvance(step);
            MwPumpMessages();
        }
    }
};

TEST_F(TimerModalTest, TimersChangedFromTheirOwnCallbacks) {
    g_a = Solid(nullptr, 0, 0, 0, 5, 5, false);
    g_b = Solid(nullptr, 0, 0, 0, 5, 5, false);
    // One-shot: killed on its first call.
    SetTimer(g_a, 1, 100, [](HWND h, UINT, UINT_PTR id, DWORD) {
        g_log.push_back("once");
        EXPECT_TRUE(KillTimer(h, id));
        EXPECT_FALSE(KillTimer(h, id));
    });
    // Due at the same time as the next one but killing it first: the
    // victim must not fire afterwards from a stale list entry.
    SetTimer(g_a, 2, 200, [](HWND h, UINT, UINT_PTR id, DWORD) {
        g_log.push_back("killer");
        KillTimer(h, 3);
        KillTimer(h, id);
    });
    SetTimer(g_a, 3, 200, [](HWND, UINT, UINT_PTR, DWORD) { g_log.push_back("victim"); });
    // Restarts itself with a longer period.
    SetTimer(g_b, 4, 50, [](HWND h, UINT, UINT_PTR id, DWORD) {
        g_log.push_back("slow@" + std::to_string(GetTickCount() % 100000));
        SetTimer(h, id, 1000, nullptr);  // from now on posted as WM_TIMER
    });
    DWORD t0 = GetTickCount();
    (void)t0;
    Run(1200);
    int once = 0, killer = 0, victim = 0, slow = 0;
    for (const std::string& s : g_log) {
        once += s == "once";
        killer += s == "killer";
        victim += s == "victim";
        slow += s.rfind("slow@", 0) == 0;
    }
    EXPECT_EQ(1, once);
    EXPECT_EQ(1, killer);
    EXPECT_EQ(0, victim);
    EXPECT_EQ(1, slow) << "the callback was replaced by the restart";

    // A window destroyed inside its own timer callback: no further calls, no
    // crash, and its other timers die with it.
    static int calls;
    calls = 0;
    SetTimer(g_b, 5, 10, [](HWND h, UINT, UINT_PTR, DWORD) {
        ++calls;
        DestroyWindow(h);
    });
    SetTimer(g_b, 6, 10, [](HWND, UINT, UINT_PTR, DWORD) { ++calls; });
    Run(200);
    EXPECT_EQ(1, calls);
    EXPECT_FALSE(IsWindow(g_b));
}

TEST_F(TimerModalTest, KillingUnknownTimersChangesNothing) {
    static int fired;
    fired = 0;
    HWND w = Solid(nullptr, 0, 0, 0, 5, 5, false);
    HWND other = Solid(nullptr, 0, 0, 0, 5, 5, false);
    TIMERPROC count = [](HWND, UINT, UINT_PTR, DWORD) { ++fired; };
    ASSERT_EQ(7u, SetTimer(w, 7, 100, count));
    EXPECT_FALSE(KillTimer(w, 8));
    EXPECT_FALSE(KillTimer(other, 7)) << "same id on another window";
    EXPECT_FALSE(KillTimer(nullptr, 7));
    EXPECT_FALSE(KillTimer((HWND)(uintptr_t)0x12345, 7));
    // Thread timers get ids of their own, never the asked one.
    UINT_PTR t1 = SetTimer(nullptr, 7, 100, count);
    UINT_PTR t2 = SetTimer(nullptr, 7, 100, count);
    EXPECT_NE(0u, t1);
    EXPECT_NE(t1, t2);
    EXPECT_TRUE(KillTimer(nullptr, t1));
    Run(100);
    EXPECT_EQ(2, fired);  // w's timer and t2
    EXPECT_TRUE(KillTimer(nullptr, t2));
    EXPECT_TRUE(KillTimer(w, 7));
    Run(300);
    EXPECT_EQ(2, fired);
}

// ---- Nested modal loops ending in different orders -------------------------

DWORD g_innerEnd = 0;
DWORD g_outerHiddenAt = 0;
INT_PTR g_innerResult = 0;

INT_PTR InnerEndsLaterProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        g_b = hwnd;
        SetTimer(hwnd, 1, 3000, [](HWND h, UINT, UINT_PTR, DWORD) {
            g_innerEnd = GetTickCount();
            EXPECT_FALSE(IsWindowVisible(g_a)) << "an ended dialog is hidden at once";
            EndDialog(h, 9);
        });
    }
    return 0;
}

INT_PTR OuterEndedFirstProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        g_a = hwnd;
        SetTimer(hwnd, 1, 1000, [](HWND h, UINT, UINT_PTR id, DWORD) {
            KillTimer(h, id);
            g_outerHiddenAt = GetTickCount();
            EXPECT_TRUE(EndDialog(h, 5));
            EXPECT_TRUE(EndDialog(h, 6)) << "a second EndDialog keeps the first result";
        });
    }
    if (msg == WM_ENTERIDLE && !g_b) {
        g_innerResult =
            DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), hwnd, InnerEndsLaterProc, 0);
        g_log.push_back("inner-back");
    }
    return 0;
}

TEST_F(TimerModalTest, AnOuterDialogEndedUnderAnInnerOneReturnsAfterIt) {
    DWORD t0 = GetTickCount();
    INT_PTR r =
        DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, OuterEndedFirstProc, 0);
    EXPECT_EQ(5, r);
    EXPECT_EQ(9, g_innerResult);
    EXPECT_EQ(std::vector<std::string>{"inner-back"}, g_log);
    EXPECT_EQ(1000u, g_outerHiddenAt - t0);
    EXPECT_EQ(3000u, g_innerEnd - t0) << "the inner loop ran on after the outer one ended";
    EXPECT_FALSE(IsWindow(g_a));
    EXPECT_FALSE(IsWindow(g_b));
    EXPECT_EQ(0, MwModalDepth());
}

INT_PTR InnerDestroysOuterProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        g_b = hwnd;
        SetTimer(hwnd, 1, 500, [](HWND, UINT, UINT_PTR, DWORD) { DestroyWindow(g_a); });
    }
    if (msg == WM_DESTROY) {
        g_log.push_back("inner-destroy");
    }
    return 0;
}

INT_PTR OuterDestroyedProc(HWND hwnd, UINT msg, WPARAM, LPARAM) {
    if (msg == WM_INITDIALOG) {
        g_a = hwnd;
    }
    if (msg == WM_ENTERIDLE && !g_b) {
        g_innerResult =
            DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), hwnd, InnerDestroysOuterProc, 0);
        g_log.push_back("inner-back");
    }
    if (msg == WM_DESTROY) {
        g_log.push_back("outer-destroy");
    }
    return 0;
}

TEST_F(TimerModalTest, DestroyingTheOuterDialogEndsBothLoops) {
    // Guard against a hang: the test fails rather than waits forever.
    static std::atomic<bool> done{false};
    done = false;
    std::thread guard([] {
        for (int i = 0; i < 200 && !done; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (!done) {
            MwRunOnGuiThread([] {
                EndDialog(g_b, -2);
                EndDialog(g_a, -2);
            });
        }
    });
    INT_PTR r =
        DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, OuterDestroyedProc, 0);
    done = true;
    guard.join();
    EXPECT_NE(-2, r);
    EXPECT_NE(-2, g_innerResult);
    // The inner dialog is owned by the outer one and goes first with it.
    EXPECT_EQ((std::vector<std::string>{"outer-destroy", "inner-destroy", "inner-back"}), g_log);
    EXPECT_FALSE(IsWindow(g_a));
    EXPECT_FALSE(IsWindow(g_b));
    EXPECT_EQ(0, MwModalDepth());
}

// ---- Idle notification ------------------------------------------------------

int g_idle = 0;
int g_idleAfterEnd = 0;
bool g_ended = false;

INT_PTR IdleProc(HWND hwnd, UINT msg, WPARAM, LPARAM lParam) {
    if (msg == WM_INITDIALOG) {
        g_a = hwnd;
        SetTimer(hwnd, 1, 100, [](HWND h, UINT, UINT_PTR, DWORD) {
            static int ticks;
            if (++ticks == 3) {
                ticks = 0;
                KillTimer(h, 1);
            }
        });
    }
    if (msg == WM_ENTERIDLE) {
        EXPECT_EQ((LPARAM)hwnd, lParam);
        ++g_idle;
        g_idleAfterEnd += g_ended;
    }
    return 0;
}

TEST_F(TimerModalTest, EnterIdleIsSentOncePerIdleAndNotAfterTheEnd) {
    g_idle = g_idleAfterEnd = 0;
    g_ended = false;
    // Without auto-advance the loop sleeps; a helper thread wakes it with
    // clock moves that bring no message, then ends the dialog.
    MwClockSetVirtual(true, false);
    std::thread driver([] {
        for (int i = 0; i < 40; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            MwClockAdvance(10);  // three timer ticks at 100, 200, 300 ms
        }
        for (int i = 0; i < 10; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            MwClockAdvance(0);  // wakes only
        }
        MwRunOnGuiThread([] {
            g_ended = true;
            EndDialog(g_a, 1);
        });
    });
    EXPECT_EQ(1, DialogBoxParam(MwGetInstance(), MAKEINTRESOURCE(103), nullptr, IdleProc, 0));
    driver.join();
    // Once when shown, once after each of the three ticks (and its paints).
    EXPECT_GE(g_idle, 4);
    EXPECT_LE(g_idle, 5);
    EXPECT_EQ(0, g_idleAfterEnd);
}

}  // namespace

// ---- Requests from other threads -------------------------------------------

// A request the GUI thread does not take in time is withdrawn and never runs
// (it refers to the caller's locals, gone by then); one it has started is
// waited for to its end.
TEST_F(TimerModalTest, GuiRequestsAreWithdrawnInTimeOrWaitedFor) {
    static std::atomic<int> ran{0};
    ran = 0;
    std::atomic<int> result{-1};
    std::thread caller([&] {
        int local = 0;
        result = MwRunOnGuiThread([&local] { local = 1, ++ran; }, 100) ? 1 : 0;
    });
    caller.join();  // the GUI thread (this one) took nothing meanwhile
    EXPECT_EQ(0, result);
    MwPumpMessages();
    EXPECT_EQ(0, ran) << "a withdrawn request ran after its caller had gone";

    // Started well before the caller's time is up, and running past it: the
    // caller waits for its end.
    std::atomic<bool> finished{false};
    result = -1;
    std::thread slow([&] {
        result = MwRunOnGuiThread(
                     [&] {
                         std::this_thread::sleep_for(std::chrono::milliseconds(1500));
                         finished = true;
                     },
                     1000)
                     ? 1
                     : 0;
        EXPECT_TRUE(finished) << "the caller returned while its request ran";
    });
    for (int i = 0; i < 1000 && result < 0; ++i) {  // bounded: a fault fails, not hangs
        MwPumpMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    slow.join();
    EXPECT_EQ(1, result);
    EXPECT_TRUE(finished);
}
