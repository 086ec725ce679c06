// The program entry of every windowed program: opens the screen and calls
// the program's WinMain on this, the GUI thread.
#include <stdio.h>

#include "toolkit/tk_host.h"
#include "toolkit/tk_sim_glue.h"
#include "toolkit/winapi.h"

// The settings store asks the screen size through this hook; it is linked
// only into programs that have the store.
namespace Velto {
typedef int (*ScreenMetricsProc)(int nIndex);
void SetScreenMetricsProc(ScreenMetricsProc proc) __attribute__((weak));
}  // namespace Velto

int main(int argc, char** argv) {
    // Output is read by the supervisor and by tests through a pipe.
    setvbuf(stdout, nullptr, _IOLBF, 0);
    if (!MwOpen()) {
        printf("Error: the screen could not be opened\n");
        return 1;
    }
    printf("Screen %dx%d on the %s display\n", GetSystemMetrics(SM_CXSCREEN),
           GetSystemMetrics(SM_CYSCREEN), MwDisplayName().c_str());
    if (Velto::SetScreenMetricsProc) {
        Velto::SetScreenMetricsProc(GetSystemMetrics);
    }
    VeltoTk::StartSimGlue();
    char cmdLine[] = "";
    int rc = WinMain(MwGetInstance(), nullptr, cmdLine, SW_SHOW);
    VeltoTk::StopSimGlue();
    MwClose();
    return rc;
}
