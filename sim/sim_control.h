// The control channel into a running program of the simulated board: a Unix
// socket at board/sim/ui.sock. One request line per connection, answered by
// "OK" or "ERR <reason>" on the first line and the payload after it.
//
// Requests: "key NAME down|up|press", "screenshot FILE", "ui",
// "advance MS" (virtual clock).
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// Where the socket of the board in runDir lives.
std::string VeltoSimControlSocketPath(const std::string& runDir);

class CVeltoSimControlServer {
public:
    // Answers one request: returns false with an error text in reply.
    typedef std::function<bool(const std::string& request, std::string& reply)> Handler;

    CVeltoSimControlServer() = default;
    ~CVeltoSimControlServer();

    // Listens at socketPath (an old socket there is replaced) on a thread of
    // its own. False, with a diagnostic, when the socket cannot be made.
    bool Start(const std::string& socketPath, Handler handler);
    // Stops listening and removes the socket; safe to call twice.
    void Stop();

private:
    void Serve();

    int m_nListenFd = -1;
    int m_nStopFd = -1;
    std::string m_strPath;
    Handler m_handler;
    std::thread m_thread;
};

// Sends request to the program listening at socketPath and waits up to
// timeoutMs for the answer. Returns 0 on "OK" (payload in reply), 1 on "ERR"
// (reason in reply), -1 when no program answers.
int VeltoSimControlRequest(const std::string& socketPath, const std::string& request,
                           std::string& reply, int timeoutMs = 10000);
