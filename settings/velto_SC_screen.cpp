#include "settings/velto_SC_screen.h"

#include <atomic>

namespace Velto {

namespace {

const int kDesignWidth = 320;
const int kDesignHeight = 240;

// Read by the PXP set-up on the camera thread as well as by the GUI thread.
std::atomic<ScreenMetricsProc> g_screenMetricsProc{nullptr};

}  // namespace

void SetScreenMetricsProc(ScreenMetricsProc proc) {
    g_screenMetricsProc.store(proc);
}

unsigned GetScreenMetric(int nIndex) {
    int nDesign = nIndex == 0 ? kDesignWidth : kDesignHeight;
    ScreenMetricsProc proc = g_screenMetricsProc.load();
    if (proc == nullptr) {
        return nDesign;
    }
    int nValue = proc(nIndex);
    return nValue > 0 ? static_cast<unsigned>(nValue) : static_cast<unsigned>(nDesign);
}

}  // namespace Velto
