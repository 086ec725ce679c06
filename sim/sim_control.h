// The control channel into a running program of the simulated board: a Unix
// socket per program, board/sim/ui-<program>.sock, so that the goodbye
// program does not take the main program's channel. One request line per
// connection, answered by "OK" or "ERR <reason>" on the first line and the
// payload after it.
//
// Requests: "key NAME down|up|press", "screenshot FILE", "ui",
// "advance MS" (virtual clock).
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

// The main program, which velto-board and the tests talk to unless they name
// another.
extern const char kVeltoSimMainProgram[];

// The socket's file name in the board's sim folder.
std::string VeltoSimControlSocketName(const std::string& program);
// Where the socket of program on the board in runDir lives.
std::string VeltoSimControlSocketPath(const std::string& runDir,
                                      const std::string& program = kVeltoSimMainProgram);
// Where velto-sim's window answers ("panel", "screenshot FILE").
std::string VeltoSimWindowSocketPath(const std::string& runDir);
// Whether name can name a program's channel: a plain file name, no path.
bool VeltoSimIsProgramName(const std::string& name);

class CVeltoSimControlServer {
public:
    // Answers one request: returns false with an error text in reply.
    typedef std::function<bool(const std::string& request, std::string& reply)> Handler;

    CVeltoSimControlServer() = default;
    ~CVeltoSimControlServer();

    // Listens at socketPath on a thread of its own. A socket left there by a
    // program that ended is replaced; one that a running program answers on
    // is left alone and Start fails. False, with a diagnostic, when the
    // socket cannot be made.
    bool Start(const std::string& socketPath, Handler handler);
    // Stops listening and removes the socket, unless another has taken its
    // place meanwhile; safe to call twice.
    void Stop();

private:
    void Serve();

    int m_nListenFd = -1;
    int m_nStopFd = -1;
    std::string m_strPath;
    dev_t m_nDev = 0;  // the socket file this server made
    ino_t m_nIno = 0;
    Handler m_handler;
    std::thread m_thread;
};

// Sends request to the program listening at socketPath and waits up to
// timeoutMs for the answer. Returns 0 on "OK" (payload in reply), 1 on "ERR"
// (reason in reply), -1 when no program answers.
int VeltoSimControlRequest(const std::string& socketPath, const std::string& request,
                           std::string& reply, int timeoutMs = 10000);
