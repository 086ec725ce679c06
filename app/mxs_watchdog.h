// The hardware watchdog, kept alive by the main controller's tick. No
// watchdog device is opened on this board, so keep-alives reach no device.
#pragma once

class CMXSWatchdog {
public:
    // The one instance, created on first use (it prints
    // "Initializing Watchdog") and destroyed at exit.
    static CMXSWatchdog& GetInstance();

    bool Start();
    void Stop();
    void KeepLive();
    bool IsStarted() const { return m_fd > 0; }

private:
    CMXSWatchdog();
    ~CMXSWatchdog();
    CMXSWatchdog(const CMXSWatchdog&) = delete;
    CMXSWatchdog& operator=(const CMXSWatchdog&) = delete;

    int m_fd;
};
