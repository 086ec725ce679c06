// The supervisor: runs ./veltosc on the output "/etc/lcdparams" selects,
// restarts it a second after it ends, and brings the LCD back when a TV
// output loses its cable.
#pragma once

#include <pthread.h>

#include <atomic>

#include "keeper/keeper_output.h"

class CVeltoKeeper {
public:
    static CVeltoKeeper& GetInstance();

    // Stop signals, the LCD as the stored output (every start begins on it)
    // and the cable thread. False when the thread could not be made; keeper
    // then goes on without it.
    bool Init();
    // One pass of the main loop: apply the stored output, run ./veltosc until
    // it ends, whatever its status, and pause a second.
    void Pass();

    // Reads "/etc/lcdparams" and applies the output it names: frame-buffer
    // mode, backlight. Nothing changes when the file names no panel.
    void ApplyOutput();
    // One look at the cable: a TV output without its cable goes back to the
    // LCD by killing the main program. True when it did.
    bool CheckCable();

    // The handler of SIGINT and SIGTERM: ends keeper (the main program is
    // left running). Async-signal-safe.
    void RequestExit();

    OutputType Output() const { return m_eOutPut; }

private:
    CVeltoKeeper() = default;
    bool StartThread();
    static void* thread_start(void* self);
    void thread_proc();

    // Written by the main loop and the signal handler, read by the cable
    // thread: single writers, lock-free.
    std::atomic<OutputType> m_eOutPut{OUT_RGB};
    std::atomic<bool> m_bExitThread{false};
    std::atomic<bool> m_bThreadRunning{false};
    pthread_t checkTvoutWirdThread{};
    // The handler wakes the cable thread from its pause through this pipe.
    int m_nWake[2] = {-1, -1};
    char m_szResult[1024] = {};
};

void sig_int_handler(int sig);
