#include "sim/sim_window_keys.h"

#include <stdio.h>

#include "sim/sim_control.h"

CVeltoSimKeySender::CVeltoSimKeySender(const std::string& runDir)
    : m_strRunDir(runDir), m_thread([this] { Run(); }) {}

CVeltoSimKeySender::~CVeltoSimKeySender() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void CVeltoSimKeySender::Send(const std::string& program, const std::string& key, bool down) {
    if (program.empty()) {
        return;  // nothing on the screen takes keys yet
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.push_back(SKey{program, key, down});
    }
    m_changed.notify_all();
}

void CVeltoSimKeySender::Run() {
    for (;;) {
        SKey k;
        {
            std::unique_lock<std::mutex> lock(m_mutex);
            m_changed.wait(lock, [this] { return m_bStop || !m_queue.empty(); });
            if (m_queue.empty()) {
                return;
            }
            k = m_queue.front();
            m_queue.pop_front();
        }
        std::string reply;
        int rc = VeltoSimControlRequest(VeltoSimControlSocketPath(m_strRunDir, k.program),
                                        "key " + k.key + (k.down ? " down" : " up"), reply, 2000);
        if (rc != 0) {
            fprintf(stderr, "velto-sim: key %s did not reach %s: %s\n", k.key.c_str(),
                    k.program.c_str(), reply.c_str());
        }
    }
}
