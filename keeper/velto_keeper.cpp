#include "keeper/velto_keeper.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include "keeper/keeper_framebuffer.h"
#include "keeper/keeper_run_program.h"
#include "keeper/keeper_tvout.h"
#include "platform/velto_board.h"

namespace {

// Prints the lcd_panel line: "/bin/sed", "-n", "/lcd_panel[[:space:]]*=/p",
// "/etc/lcdparams".
const char kReadPanel[] = "'/bin/sed'-n '/lcd_panel[[:space:]]*=/p''/etc/lcdparams";
const char kSelectLcd[] = "echo 'lcd_panel=lq035' > /etc/lcdparams";
const unsigned kRestartPauseUs = 1000000;
const int kCablePauseMs = 2000;

}  // namespace

void sig_int_handler(int) {
    CVeltoKeeper::GetInstance().RequestExit();
}

CVeltoKeeper& CVeltoKeeper::GetInstance() {
    static CVeltoKeeper keeper;
    return keeper;
}

bool CVeltoKeeper::Init() {
    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = sig_int_handler;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    Board().System(kSelectLcd);
    m_eOutPut = OUT_RGB;
    m_bExitThread = false;
    if (!StartThread()) {
        printf("Can't create monitor thread\n");
        return false;
    }
    return true;
}

void CVeltoKeeper::Pass() {
    ApplyOutput();
    Board().System("./veltosc");
    usleep(kRestartPauseUs);
}

void CVeltoKeeper::ApplyOutput() {
    unsigned len = 0;
    // The result counts, not the status: a missing file gives no text.
    run_program(kReadPanel, m_szResult, sizeof m_szResult, &len);
    const char* panel = strstr(m_szResult, "lcd_panel=");
    if (panel == nullptr) {
        return;
    }
    printf("Panel type:%s\n", panel);
    const CVeltoOutputMode& mode = OutputModeFor(panel);
    set_new_fb_info(mode.nWidth, mode.nHeight, 32);
    Board().System(mode.strBacklight);
    m_eOutPut = mode.eType;
}

bool CVeltoKeeper::CheckCable() {
    if (CheckTVoutWire() || m_eOutPut == OUT_RGB) {
        return false;
    }
    Board().System(kSelectLcd);
    Board().System("killall veltosc");
    return true;
}

bool CVeltoKeeper::StartThread() {
    if (m_nWake[0] < 0 && pipe2(m_nWake, O_CLOEXEC | O_NONBLOCK) != 0) {
        m_nWake[0] = m_nWake[1] = -1;
        return false;
    }
    // Set before the thread runs: its loop ends when this is false.
    m_bThreadRunning = true;
    if (pthread_create(&checkTvoutWirdThread, nullptr, thread_start, this) != 0) {
        m_bThreadRunning = false;
        return false;
    }
    return true;
}

void* CVeltoKeeper::thread_start(void* self) {
    static_cast<CVeltoKeeper*>(self)->thread_proc();
    return nullptr;
}

void CVeltoKeeper::thread_proc() {
    while (!m_bExitThread && m_bThreadRunning) {
        CheckCable();
        struct pollfd wake = {m_nWake[0], POLLIN, 0};
        poll(&wake, 1, kCablePauseMs);
    }
    // The stop request ends the process here rather than in the handler,
    // which may interrupt a thread holding the stdio or allocator locks.
    fflush(stdout);
    _exit(0);
}

void CVeltoKeeper::RequestExit() {
    static const char kBye[] = "Exit program\n";
    ssize_t ignored = write(1, kBye, sizeof kBye - 1);
    (void)ignored;
    m_bExitThread = true;
    if (!m_bThreadRunning) {
        _exit(0);
    }
    // The cable thread ends its pause at once and leaves.
    ignored = write(m_nWake[1], "x", 1);
}
