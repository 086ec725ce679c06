// Sends the window's key presses and releases to the program on top over its
// control channel, on a thread of its own, so that a busy or ending program
// never stalls the window. Keys go out in the order they came.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

class CVeltoSimKeySender {
public:
    explicit CVeltoSimKeySender(const std::string& runDir);
    ~CVeltoSimKeySender();

    // key: UP, DOWN, LEFT, RIGHT, ENTER, F1 ... F4.
    void Send(const std::string& program, const std::string& key, bool down);

private:
    struct SKey {
        std::string program, key;
        bool down;
    };
    void Run();

    std::string m_strRunDir;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<SKey> m_queue;
    bool m_bStop = false;
    std::thread m_thread;
};
