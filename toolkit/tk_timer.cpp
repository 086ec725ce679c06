// Timers: one list for the GUI thread, served by every message loop, so a
// screen's timers keep running under nested modal dialogs.
#include <algorithm>

#include "toolkit/tk_clock.h"
#include "toolkit/tk_state.h"
#include "toolkit/tk_window.h"

namespace VeltoTk {

static UINT_PTR g_nNextThreadTimer = 0x7FFF0000u;

void ForgetWindowTimers(HWND hwnd) {
    auto& t = Tk().timers;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const CTimer& x) { return x.hwnd == hwnd; }),
            t.end());
}

bool HasTimers() {
    return !Tk().timers.empty();
}

static CTimer* Earliest() {
    CTimer* best = nullptr;
    for (CTimer& t : Tk().timers) {
        if (!best || t.due < best->due || (t.due == best->due && t.seq < best->seq)) {
            best = &t;
        }
    }
    return best;
}

int64_t MsUntilNextTimer() {
    CTimer* t = Earliest();
    if (!t) {
        return -1;
    }
    uint64_t now = ClockNow();
    return t->due <= now ? 0 : (int64_t)(t->due - now);
}

bool NextTimerMessage(MSG* msg, bool remove) {
    CTimer* t = Earliest();
    uint64_t now = ClockNow();
    if (!t || t->due > now) {
        return false;
    }
    *msg = MSG{t->hwnd, WM_TIMER, (WPARAM)t->id, (LPARAM)t->proc, (DWORD)now, {0, 0}};
    if (remove) {
        // A late timer fires once, not once per missed period.
        t->due = now + t->period;
        t->seq = ++Tk().timerSeq;
    }
    return true;
}

}  // namespace VeltoTk

using namespace VeltoTk;

UINT_PTR SetTimer(HWND hwnd, UINT_PTR id, UINT periodMs, TIMERPROC callback) {
    CToolkit& tk = Tk();
    if (hwnd && !Find(hwnd)) {
        return 0;
    }
    if (!hwnd) {
        id = g_nNextThreadTimer++;
    }
    UINT period = std::max<UINT>(periodMs, 1);
    uint64_t due = ClockNow() + period;
    for (CTimer& t : tk.timers) {
        if (t.hwnd == hwnd && t.id == id) {
            t.period = period;
            t.proc = callback;
            t.due = due;
            t.seq = ++tk.timerSeq;
            return id ? id : 1;
        }
    }
    tk.timers.push_back(CTimer{hwnd, id, period, callback, due, ++tk.timerSeq});
    if (tk.display) {
        tk.display->Wake();
    }
    return id ? id : 1;
}

BOOL KillTimer(HWND hwnd, UINT_PTR id) {
    auto& t = Tk().timers;
    auto it = std::find_if(t.begin(), t.end(),
                           [&](const CTimer& x) { return x.hwnd == hwnd && x.id == id; });
    if (it == t.end()) {
        return FALSE;
    }
    t.erase(it);
    return TRUE;
}
