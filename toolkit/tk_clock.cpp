#include "toolkit/tk_clock.h"

#include <time.h>

#include <atomic>

#include "toolkit/tk_host.h"
#include "toolkit/tk_state.h"

namespace VeltoTk {

static std::atomic<bool> g_bVirtual{false};
static std::atomic<bool> g_bAuto{false};
static std::atomic<uint64_t> g_nVirtualNow{0};

static uint64_t RealNow() {
    // A monotonic clock: setting the date from the settings screen must not
    // make timers jump.
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (uint64_t)ts.tv_sec * 1000u + (uint64_t)ts.tv_nsec / 1000000u;
}

uint64_t ClockNow() {
    return g_bVirtual ? g_nVirtualNow.load() : RealNow();
}
bool ClockVirtual() {
    return g_bVirtual;
}
bool ClockAutoAdvance() {
    return g_bVirtual && g_bAuto;
}

void ClockJumpTo(uint64_t t) {
    uint64_t now = g_nVirtualNow.load();
    while (t > now && !g_nVirtualNow.compare_exchange_weak(now, t)) {
    }
}

}  // namespace VeltoTk

void MwClockSetVirtual(bool enable, bool autoAdvance) {
    if (enable && !VeltoTk::g_bVirtual) {
        // Virtual time continues from the real clock so ticks never go back.
        VeltoTk::g_nVirtualNow = VeltoTk::RealNow();
    }
    VeltoTk::g_bAuto = autoAdvance;
    VeltoTk::g_bVirtual = enable;
}

bool MwClockIsVirtual() {
    return VeltoTk::g_bVirtual;
}

void MwClockAdvance(uint32_t ms) {
    VeltoTk::g_nVirtualNow += ms;
    VeltoTk::CToolkit& tk = VeltoTk::Tk();
    if (tk.display) {
        tk.display->Wake();
    }
}

uint64_t MwClockNow() {
    return VeltoTk::ClockNow();
}

DWORD GetTickCount() {
    return (DWORD)VeltoTk::ClockNow();
}
