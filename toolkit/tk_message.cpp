// The message queue, the loop primitives and message dispatch. Posted
// messages come first, then paints, then due timers; a loop with nothing to
// do sleeps in the display's Wait until input, a post or the next timer.
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "toolkit/tk_clock.h"
#include "toolkit/tk_gdi.h"
#include "toolkit/tk_host.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

bool NextTimerMessage(MSG* msg, bool remove);
int64_t MsUntilNextTimer();
bool HasTimers();
HWND KeyTarget();

// A key injected without a window goes to whoever has the keys when it is
// taken from the queue, so keys pressed while a screen opens reach it.
static bool TakePosted(MSG* msg, bool remove) {
    CToolkit& tk = Tk();
    std::lock_guard<std::mutex> lock(tk.queueMutex);
    while (!tk.posted.empty()) {
        MSG m = tk.posted.front();
        bool isKey = m.message == WM_KEYDOWN || m.message == WM_KEYUP;
        if (m.hwnd == nullptr && isKey) {
            m.hwnd = KeyTarget();
        }
        if (m.hwnd && !Find(m.hwnd)) {
            tk.posted.pop_front();  // its window is gone
            continue;
        }
        if (m.hwnd == nullptr && isKey) {
            tk.posted.pop_front();  // nobody to take it
            continue;
        }
        *msg = m;
        if (remove) {
            tk.posted.pop_front();
        }
        return true;
    }
    if (tk.quitPosted) {
        *msg = MSG{nullptr, WM_QUIT, (WPARAM)tk.quitCode, 0, GetTickCount(), {0, 0}};
        if (remove) {
            tk.quitPosted = false;
        }
        return true;
    }
    return false;
}

static bool NextPaint(MSG* msg) {
    for (HWND h : PaintOrder()) {
        CWindow* w = Find(h);
        if (w && !RectEmpty(w->update)) {
            *msg = MSG{h, WM_PAINT, 0, 0, GetTickCount(), {0, 0}};
            return true;
        }
    }
    return false;
}

static void PollInput(int timeoutMs) {
    CToolkit& tk = Tk();
    if (!tk.display) {
        return;
    }
    std::vector<CKeyEvent> keys;
    tk.display->Wait(timeoutMs, keys);
    for (const CKeyEvent& k : keys) {
        MwInjectKey(k.vk, k.down);
    }
}

static bool PendingWork() {
    CToolkit& tk = Tk();
    std::lock_guard<std::mutex> lock(tk.queueMutex);
    return !tk.posted.empty() || !tk.tasks.empty() || tk.quitPosted;
}

void PostQuitFromDisplay() {
    PostQuitMessage(0);
}

}  // namespace VeltoTk

using namespace VeltoTk;

BOOL PeekMessage(MSG* msg, HWND, UINT, UINT, UINT removeMsg) {
    if (!msg) {
        return FALSE;
    }
    RunTasks();
    PollInput(0);
    bool remove = (removeMsg & PM_REMOVE) != 0;
    if (TakePosted(msg, remove)) {
        return TRUE;
    }
    if (NextPaint(msg)) {
        return TRUE;
    }
    if (NextTimerMessage(msg, remove)) {
        return TRUE;
    }
    return FALSE;
}

BOOL WaitMessage() {
    CToolkit& tk = Tk();
    Present();
    RunTasks();
    MSG probe;
    if (PendingWork() || NextPaint(&probe) || NextTimerMessage(&probe, false)) {
        return TRUE;
    }
    int64_t until = MsUntilNextTimer();  // -1: no timer
    if (ClockVirtual()) {
        if (ClockAutoAdvance() && until >= 0) {
            ClockJumpTo(ClockNow() + (uint64_t)until);
            PollInput(0);
            return TRUE;
        }
        // Virtual time moves only when a test advances it, which wakes us.
        until = -1;
    }
    if (!tk.display) {
        return FALSE;
    }
    PollInput(until < 0 ? -1 : (int)std::min<int64_t>(until, 1 << 30));
    return TRUE;
}

BOOL GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax) {
    if (!msg) {
        return FALSE;
    }
    for (;;) {
        if (PeekMessage(msg, hwnd, filterMin, filterMax, PM_REMOVE)) {
            return msg->message != WM_QUIT;
        }
        if (!WaitMessage()) {
            // No display to wait on: nothing can ever arrive.
            *msg = MSG{nullptr, WM_QUIT, 0, 0, GetTickCount(), {0, 0}};
            return FALSE;
        }
    }
}

BOOL TranslateMessage(const MSG*) {
    return FALSE;
}

LRESULT DispatchMessage(const MSG* msg) {
    if (!msg) {
        return 0;
    }
    if (msg->hwnd && !Find(msg->hwnd)) {
        return 0;
    }
    if (msg->message == WM_TIMER && msg->lParam) {
        TIMERPROC proc = reinterpret_cast<TIMERPROC>(msg->lParam);
        proc(msg->hwnd, WM_TIMER, (UINT_PTR)msg->wParam, GetTickCount());
        return 0;
    }
    if (!msg->hwnd) {
        return 0;
    }
    if (msg->message == WM_PAINT) {
        CWindow* w = Find(msg->hwnd);
        RECT before = w->update;
        LRESULT r = SendMessage(msg->hwnd, WM_PAINT, 0, 0);
        w = Find(msg->hwnd);
        if (w && !RectEmpty(w->update) && memcmp(&before, &w->update, sizeof before) == 0) {
            // The window ignored its paint: erase it ourselves so the loop
            // does not spin on the same update region.
            PAINTSTRUCT ps;
            BeginPaint(msg->hwnd, &ps);
            EndPaint(msg->hwnd, &ps);
        }
        return r;
    }
    return SendMessage(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CWindow* w = Find(hwnd);
    if (!w || !w->proc) {
        return 0;
    }
    return w->proc(hwnd, msg, wParam, lParam);
}

BOOL PostMessage(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    CToolkit& tk = Tk();
    {
        std::lock_guard<std::mutex> lock(tk.queueMutex);
        tk.posted.push_back(MSG{hwnd, msg, wParam, lParam, GetTickCount(), {0, 0}});
    }
    if (tk.display) {
        tk.display->Wake();
    }
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    CToolkit& tk = Tk();
    std::lock_guard<std::mutex> lock(tk.queueMutex);
    tk.quitPosted = true;
    tk.quitCode = exitCode;
}

void MwInjectKey(UINT vk, bool down) {
    PostMessage(nullptr, down ? WM_KEYDOWN : WM_KEYUP, vk, down ? 1 : (LPARAM)0xC0000001u);
}

int MwPumpMessages() {
    int n = 0;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage((int)msg.wParam);
            break;
        }
        DispatchMessage(&msg);
        ++n;
    }
    Present();
    return n;
}
