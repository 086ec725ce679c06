#include "app/mxs_watchdog.h"

#include <stdio.h>

#include "platform/velto_board.h"

namespace {
const unsigned long kKeepAlive = 0x80045705UL;   // WDIOC_KEEPALIVE
const unsigned long kSetOptions = 0x80045704UL;  // WDIOC_SETOPTIONS
const int kDisableCard = 1;                      // WDIOS_DISABLECARD
}  // namespace

CMXSWatchdog& CMXSWatchdog::GetInstance() {
    static CMXSWatchdog instance;
    return instance;
}

CMXSWatchdog::CMXSWatchdog() : m_fd(-1) {
    Start();
    printf("Initializing Watchdog\n");
}

CMXSWatchdog::~CMXSWatchdog() {
    Stop();
    printf("Deinitializing Watchdog\n");
}

bool CMXSWatchdog::Start() {
    // The board's watchdog is armed elsewhere; nothing is opened here.
    return true;
}

void CMXSWatchdog::KeepLive() {
    if (m_fd <= 0) {
        Start();
    }
    int arg = 0;
    if (m_fd < 0 || Board().Ioctl(m_fd, kKeepAlive, &arg) != 0) {
        Start();
    }
}

void CMXSWatchdog::Stop() {
    if (m_fd > 0) {
        int options = kDisableCard;
        Board().Ioctl(m_fd, kSetOptions, &options);
        Board().Close(m_fd);
        m_fd = -1;
    }
}
