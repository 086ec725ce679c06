#include "sim/sim_control.h"

#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxRequest = 4096;

// sun_path holds about 100 bytes; a deeper run directory is reached through
// a descriptor of the socket's folder instead.
bool FillAddress(const std::string& path, sockaddr_un* addr, int* dirFd) {
    memset(addr, 0, sizeof *addr);
    addr->sun_family = AF_UNIX;
    *dirFd = -1;
    if (path.size() < sizeof addr->sun_path) {
        memcpy(addr->sun_path, path.c_str(), path.size() + 1);
        return true;
    }
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return false;
    }
    *dirFd = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (*dirFd < 0) {
        return false;
    }
    std::string viaFd = "/proc/self/fd/" + std::to_string(*dirFd) + path.substr(slash);
    if (viaFd.size() >= sizeof addr->sun_path) {
        close(*dirFd);
        *dirFd = -1;
        return false;
    }
    memcpy(addr->sun_path, viaFd.c_str(), viaFd.size() + 1);
    return true;
}

bool WriteAll(int fd, const std::string& s) {
    size_t done = 0;
    while (done < s.size()) {
        ssize_t n = send(fd, s.data() + done, s.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
        done += (size_t)n;
    }
    return true;
}

// Clears the way for a new socket at addr: a socket that no program listens
// on any more is removed. False when a program still answers there.
bool RemoveStale(const sockaddr_un& addr) {
    struct stat st;
    if (lstat(addr.sun_path, &st) != 0 || !S_ISSOCK(st.st_mode)) {
        return true;  // nothing there, or not a socket, which bind reports
    }
    int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return true;
    }
    bool live = connect(probe, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    bool refused = !live && errno == ECONNREFUSED;
    close(probe);
    if (refused) {
        unlink(addr.sun_path);
    }
    return !live;
}

}  // namespace

const char kVeltoSimMainProgram[] = "veltosc";

std::string VeltoSimControlSocketName(const std::string& program) {
    return "ui-" + program + ".sock";
}

std::string VeltoSimControlSocketPath(const std::string& runDir, const std::string& program) {
    return (runDir.empty() ? std::string(".") : runDir) + "/board/sim/" +
           VeltoSimControlSocketName(program);
}

std::string VeltoSimWindowSocketPath(const std::string& runDir) {
    return (runDir.empty() ? std::string(".") : runDir) + "/board/sim/window.sock";
}

bool VeltoSimIsProgramName(const std::string& name) {
    if (name.empty() || name.size() > 64 || name[0] == '.') {
        return false;
    }
    for (char c : name) {
        if (!isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

CVeltoSimControlServer::~CVeltoSimControlServer() {
    Stop();
}

bool CVeltoSimControlServer::Start(const std::string& socketPath, Handler handler) {
    Stop();
    sockaddr_un addr;
    int dirFd;
    if (!FillAddress(socketPath, &addr, &dirFd)) {
        printf("Error: control channel: path %s is unusable\n", socketPath.c_str());
        return false;
    }
    if (!RemoveStale(addr)) {
        printf("Error: control channel: a running program answers at %s\n", socketPath.c_str());
        if (dirFd >= 0) {
            close(dirFd);
        }
        return false;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool ok = fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
              listen(fd, 8) == 0;
    struct stat st;
    if (ok && lstat(addr.sun_path, &st) == 0) {
        m_nDev = st.st_dev;
        m_nIno = st.st_ino;
    }
    if (dirFd >= 0) {
        close(dirFd);
    }
    if (!ok) {
        printf("Error: control channel: cannot listen at %s: %s\n", socketPath.c_str(),
               strerror(errno));
        if (fd >= 0) {
            close(fd);
        }
        return false;
    }
    m_nListenFd = fd;
    m_nStopFd = eventfd(0, EFD_CLOEXEC);
    m_strPath = socketPath;
    m_handler = std::move(handler);
    m_thread = std::thread([this] { Serve(); });
    return true;
}

void CVeltoSimControlServer::Stop() {
    if (m_nListenFd < 0) {
        return;
    }
    uint64_t one = 1;
    ssize_t n = write(m_nStopFd, &one, sizeof one);
    (void)n;
    if (m_thread.joinable()) {
        m_thread.join();
    }
    close(m_nListenFd);
    close(m_nStopFd);
    m_nListenFd = m_nStopFd = -1;
    sockaddr_un addr;
    int dirFd;
    if (FillAddress(m_strPath, &addr, &dirFd)) {
        // Only our own socket: a program started after us may have replaced
        // it once we stopped answering.
        struct stat st;
        if (lstat(addr.sun_path, &st) == 0 && st.st_dev == m_nDev && st.st_ino == m_nIno) {
            unlink(addr.sun_path);
        }
        if (dirFd >= 0) {
            close(dirFd);
        }
    }
}

void CVeltoSimControlServer::Serve() {
    for (;;) {
        pollfd fds[2] = {{m_nListenFd, POLLIN, 0}, {m_nStopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents) {
            return;
        }
        int c = accept4(m_nListenFd, nullptr, nullptr, SOCK_CLOEXEC);
        if (c < 0) {
            continue;
        }
        // A client that never finishes its line must not block the channel.
        timeval tv{2, 0};
        setsockopt(c, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        std::string request;
        char buf[512];
        while (request.find('\n') == std::string::npos && request.size() < kMaxRequest) {
            ssize_t n = recv(c, buf, sizeof buf, 0);
            if (n <= 0) {
                break;
            }
            request.append(buf, (size_t)n);
        }
        size_t nl = request.find('\n');
        std::string reply;
        bool ok = false;
        if (nl == std::string::npos) {
            reply = "request incomplete or too long";
        } else {
            request.resize(nl);
            ok = m_handler && m_handler(request, reply);
        }
        WriteAll(c, (ok ? "OK\n" : "ERR ") + reply + (ok ? "" : "\n"));
        close(c);
    }
}

int VeltoSimControlRequest(const std::string& socketPath, const std::string& request,
                           std::string& reply, int timeoutMs) {
    reply.clear();
    sockaddr_un addr;
    int dirFd;
    if (!FillAddress(socketPath, &addr, &dirFd)) {
        reply = "socket path unusable";
        return -1;
    }
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    bool connected = fd >= 0 && connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    if (dirFd >= 0) {
        close(dirFd);
    }
    if (!connected) {
        reply = strerror(errno);
        if (fd >= 0) {
            close(fd);
        }
        return -1;
    }
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    if (!WriteAll(fd, request + "\n")) {
        close(fd);
        reply = "cannot send";
        return -1;
    }
    std::string all;
    char buf[4096];
    for (;;) {
        ssize_t n = recv(fd, buf, sizeof buf, 0);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        all.append(buf, (size_t)n);
    }
    close(fd);
    if (all.compare(0, 3, "OK\n") == 0) {
        reply = all.substr(3);
        return 0;
    }
    if (all.compare(0, 4, "ERR ") == 0) {
        reply = all.substr(4);
        while (!reply.empty() && reply.back() == '\n') {
            reply.pop_back();
        }
        return 1;
    }
    reply = "no answer";
    return -1;
}
