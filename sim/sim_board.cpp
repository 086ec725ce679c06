#include "sim/sim_board.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <unistd.h>

#include "sim/sim_builtin_devices.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "sim/sim_shell.h"

CVeltoBoard& CVeltoBoard::GetInstance() {
    return CVeltoSimBoard::GetInstance();
}

CVeltoSimBoard& CVeltoSimBoard::GetInstance() {
    static CVeltoSimBoard* board = [] {
        // Leaked on purpose: devices may still be used by threads that run
        // while static objects are destroyed at exit.
        CVeltoSimBoard* b = new CVeltoSimBoard();
        VeltoSimRegisterBuiltinDevices(*b);
        return b;
    }();
    return *board;
}

CVeltoSimBoard::CVeltoSimBoard() = default;

std::string CVeltoSimBoard::Root() const {
    char cwd[PATH_MAX];
    if (getcwd(cwd, sizeof cwd) == nullptr) {
        return "board";
    }
    return std::string(cwd) + "/board";
}

std::string CVeltoSimBoard::SimFile(const std::string& name) const {
    return Root() + "/sim/" + name;
}

// Trees of the board that live below the board root. Everything else
// (relative paths, the run directory itself) is used as it is.
static bool IsBoardPath(const std::string& p) {
    static const char* const kPrefixes[] = {"/sys",      "/dev",           "/proc/mounts",
                                            "/proc/sys", "/etc/lcdparams", "/media",
                                            "/mnt",      "/usr/velto"};
    for (const char* prefix : kPrefixes) {
        size_t n = strlen(prefix);
        if (p.compare(0, n, prefix) == 0 && (p.size() == n || p[n] == '/')) {
            return true;
        }
    }
    return false;
}

std::string CVeltoSimBoard::MapPath(const std::string& boardPath) {
    if (IsBoardPath(boardPath)) {
        return Root() + boardPath;
    }
    return boardPath;
}

void CVeltoSimBoard::RegisterDevice(const std::string& boardPath,
                                    std::shared_ptr<CVeltoSimDevice> device) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_devices[boardPath] = std::move(device);
}

void CVeltoSimBoard::SetWriteFault(const std::string& pathSuffix, long long failAfterBytes,
                                   int err) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.push_back({pathSuffix, failAfterBytes, err});
}

void CVeltoSimBoard::ClearFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_faults.clear();
}

int CVeltoSimBoard::OpenDeviceCount() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_handles.size());
}

std::vector<std::pair<std::string, pid_t>> CVeltoSimBoard::Children() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_children;
}

std::shared_ptr<CVeltoSimHandle> CVeltoSimBoard::FindHandle(int fd) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_handles.find(fd);
    return it == m_handles.end() ? nullptr : it->second;
}

int CVeltoSimBoard::Open(const char* path, int flags, mode_t mode) {
    std::string boardPath = path ? path : "";
    std::string hostPath = MapPath(boardPath);
    std::shared_ptr<CVeltoSimDevice> device;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_devices.find(boardPath);
        if (it != m_devices.end()) {
            device = it->second;
        }
    }
    if (device) {
        // The node exists only while its marker file does (plug/unplug).
        if (!VeltoSim::Exists(hostPath)) {
            errno = ENOENT;
            return -1;
        }
        int err = ENODEV;
        std::unique_ptr<CVeltoSimHandle> handle = device->Open(flags, &err);
        if (!handle || handle->Fd() < 0) {
            errno = handle ? EMFILE : err;
            return -1;
        }
        int fd = handle->Fd();
        std::lock_guard<std::mutex> lock(m_mutex);
        m_handles[fd] = std::move(handle);
        return fd;
    }
    int fd = ::open(hostPath.c_str(), flags | O_CLOEXEC, mode);
    if (fd >= 0) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_files[fd] = FileInfo{boardPath};
    }
    return fd;
}

int CVeltoSimBoard::Close(int fd) {
    std::shared_ptr<CVeltoSimHandle> handle;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_handles.find(fd);
        if (it != m_handles.end()) {
            handle = std::move(it->second);
            m_handles.erase(it);
        }
        m_files.erase(fd);
    }
    if (handle) {
        return 0;  // the handle closes its descriptor when the last user lets go
    }
    return ::close(fd);
}

ssize_t CVeltoSimBoard::Read(int fd, void* buf, size_t count) {
    if (std::shared_ptr<CVeltoSimHandle> h = FindHandle(fd)) {
        return h->Read(buf, count);
    }
    return ::read(fd, buf, count);
}

ssize_t CVeltoSimBoard::Write(int fd, const void* buf, size_t count) {
    if (std::shared_ptr<CVeltoSimHandle> h = FindHandle(fd)) {
        return h->Write(buf, count);
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto file = m_files.find(fd);
        if (!m_faults.empty() && file != m_files.end()) {
            const std::string& p = file->second.boardPath;
            for (WriteFault& f : m_faults) {
                if (p.size() < f.suffix.size() ||
                    p.compare(p.size() - f.suffix.size(), f.suffix.size(), f.suffix) != 0) {
                    continue;
                }
                if (f.remaining <= 0) {
                    errno = f.err;
                    return -1;
                }
                if (static_cast<long long>(count) > f.remaining) {
                    count = static_cast<size_t>(f.remaining);
                }
                f.remaining -= static_cast<long long>(count);
            }
        }
    }
    return ::write(fd, buf, count);
}

off_t CVeltoSimBoard::Lseek(int fd, off_t offset, int whence) {
    if (FindHandle(fd)) {
        errno = ESPIPE;
        return -1;
    }
    return ::lseek(fd, offset, whence);
}

int CVeltoSimBoard::Fsync(int fd) {
    if (FindHandle(fd)) {
        return 0;
    }
    if (m_bSkipSyncs) {
        // Still a failure for a descriptor that is not open.
        return ::fcntl(fd, F_GETFD) == -1 ? -1 : 0;
    }
    return ::fsync(fd);
}

int CVeltoSimBoard::Ftruncate(int fd, off_t length) {
    return ::ftruncate(fd, length);
}

int CVeltoSimBoard::Fallocate(int fd, int mode, off_t offset, off_t length) {
    if (FindHandle(fd)) {
        errno = ENODEV;
        return -1;
    }
    {
        // A medium whose writes fail has no room to reserve either.
        std::lock_guard<std::mutex> lock(m_mutex);
        auto file = m_files.find(fd);
        if (file != m_files.end()) {
            const std::string& p = file->second.boardPath;
            for (const WriteFault& f : m_faults) {
                if (p.size() >= f.suffix.size() &&
                    p.compare(p.size() - f.suffix.size(), f.suffix.size(), f.suffix) == 0 &&
                    f.remaining < length) {
                    errno = f.err;
                    return -1;
                }
            }
        }
    }
    return ::fallocate(fd, mode, offset, length);
}

FILE* CVeltoSimBoard::Fopen(const char* path, const char* mode) {
    return ::fopen(MapPath(path).c_str(), mode);
}

int CVeltoSimBoard::Ioctl(int fd, unsigned long request, void* arg) {
    if (std::shared_ptr<CVeltoSimHandle> h = FindHandle(fd)) {
        return h->Ioctl(request, arg);
    }
    return ::ioctl(fd, request, arg);
}

void* CVeltoSimBoard::Mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) {
    if (std::shared_ptr<CVeltoSimHandle> h = FindHandle(fd)) {
        void* p = h->Mmap(addr, length, prot, flags, offset);
        if (p != MAP_FAILED) {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_mappings[p] = h;
        }
        return p;
    }
    return ::mmap(addr, length, prot, flags, fd, offset);
}

int CVeltoSimBoard::Munmap(void* addr, size_t length) {
    std::shared_ptr<CVeltoSimHandle> h;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_mappings.find(addr);
        if (it != m_mappings.end()) {
            h = std::move(it->second);
            m_mappings.erase(it);
        }
    }
    if (h) {
        h->OnMunmap(addr, length);
    }
    return ::munmap(addr, length);
}

bool CVeltoSimBoard::OnlyScriptedHandles(int nfds, fd_set* readfds, fd_set* writefds,
                                         fd_set* exceptfds) {
    std::lock_guard<std::mutex> lock(m_mutex);
    bool any = false;
    for (int fd = 0; fd < nfds && fd < FD_SETSIZE; ++fd) {
        bool wanted = (readfds != nullptr && FD_ISSET(fd, readfds)) ||
                      (writefds != nullptr && FD_ISSET(fd, writefds)) ||
                      (exceptfds != nullptr && FD_ISSET(fd, exceptfds));
        if (!wanted) {
            continue;
        }
        auto it = m_handles.find(fd);
        if (it == m_handles.end() || !it->second->ReadinessIsScripted()) {
            return false;
        }
        any = true;
    }
    return any;
}

int CVeltoSimBoard::Select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
                           struct timeval* timeout) {
    if (timeout != nullptr && m_bInstantSleeps &&
        OnlyScriptedHandles(nfds, readfds, writefds, exceptfds)) {
        // Nothing can become ready while waiting: poll, and let the board
        // clock take the time-out when nothing is ready.
        fd_set r, w, e;
        if (readfds != nullptr) {
            r = *readfds;
        }
        if (writefds != nullptr) {
            w = *writefds;
        }
        if (exceptfds != nullptr) {
            e = *exceptfds;
        }
        struct timeval none = {0, 0};
        int rc = ::select(nfds, readfds, writefds, exceptfds, &none);
        if (rc == 0) {
            m_nSleptUs += static_cast<int64_t>(timeout->tv_sec) * 1000000 + timeout->tv_usec;
            timeout->tv_sec = 0;
            timeout->tv_usec = 0;
        } else if (rc < 0) {
            // Leave the caller's sets as they were on failure.
            if (readfds != nullptr) {
                *readfds = r;
            }
            if (writefds != nullptr) {
                *writefds = w;
            }
            if (exceptfds != nullptr) {
                *exceptfds = e;
            }
        }
        return rc;
    }
    return ::select(nfds, readfds, writefds, exceptfds, timeout);
}

int CVeltoSimBoard::Stat(const char* path, struct stat* st) {
    return ::stat(MapPath(path).c_str(), st);
}

int CVeltoSimBoard::Access(const char* path, int mode) {
    return ::access(MapPath(path).c_str(), mode);
}

DIR* CVeltoSimBoard::OpenDir(const char* path) {
    return ::opendir(MapPath(path).c_str());
}

int CVeltoSimBoard::Mkdir(const char* path, mode_t mode) {
    return ::mkdir(MapPath(path).c_str(), mode);
}

int CVeltoSimBoard::Unlink(const char* path) {
    return ::unlink(MapPath(path).c_str());
}

int CVeltoSimBoard::Rmdir(const char* path) {
    return ::rmdir(MapPath(path).c_str());
}

int CVeltoSimBoard::Rename(const char* from, const char* to) {
    return ::rename(MapPath(from).c_str(), MapPath(to).c_str());
}

int CVeltoSimBoard::Statfs(const char* path, struct statfs* st) {
    std::string hostPath = MapPath(path);
    if (::statfs(hostPath.c_str(), st) != 0) {
        return -1;
    }
    VeltoSim::MountEntry mount;
    if (IsBoardPath(path) && VeltoSim::FindMountFor(Root(), path, mount)) {
        long long kib = VeltoSim::FreeKiB(Root(), mount.dir);
        if (kib >= 0) {
            // Report the set figure in 1 KiB blocks.
            st->f_bsize = 1024;
            st->f_frsize = 1024;
            st->f_bavail = static_cast<fsblkcnt_t>(kib);
            st->f_bfree = static_cast<fsblkcnt_t>(kib);
            if (st->f_blocks < st->f_bavail) {
                st->f_blocks = st->f_bavail;
            }
        }
    }
    return 0;
}

void CVeltoSimBoard::Sync() {
    if (m_bSkipSyncs) {
        return;
    }
    ::sync();
}

void CVeltoSimBoard::LogCommand(const char* command) {
    std::string dir = Root() + "/sim";
    VeltoSim::MakeDirs(dir);
    VeltoSim::AppendText(dir + "/commands.log", std::string(command) + "\n");
}

int CVeltoSimBoard::System(const char* command) {
    if (command == nullptr) {
        return 1;  // as system(NULL): a command processor is available
    }
    LogCommand(command);
    return CVeltoSimShell(*this).Run(command);
}

int CVeltoSimBoard::Execvp(const char* file, char* const argv[]) {
    std::vector<std::string> mapped;
    for (size_t i = 0; argv[i] != nullptr; ++i) {
        mapped.push_back(MapPath(argv[i]));
    }
    std::vector<char*> args;
    for (std::string& a : mapped) {
        args.push_back(&a[0]);
    }
    args.push_back(nullptr);
    return ::execvp(MapPath(file).c_str(), args.data());
}

int64_t CVeltoSimBoard::BaseMicros() {
    uint64_t (*clock)() = m_pClock.load();
    if (clock != nullptr) {
        return m_nClockBaseUs.load() + static_cast<int64_t>(clock() - m_nClockBaseMs.load()) * 1000;
    }
    struct timeval tv;
    ::gettimeofday(&tv, nullptr);
    return static_cast<int64_t>(tv.tv_sec) * 1000000 + tv.tv_usec + m_nSleptUs.load();
}

void CVeltoSimBoard::SetInstantSleeps(bool instant) {
    m_bInstantSleeps = instant;
}

void CVeltoSimBoard::FollowClock(uint64_t (*nowMs)()) {
    if (nowMs != nullptr) {
        // Continue from the current wall clock so the board's time never
        // jumps when a program switches clocks.
        m_nClockBaseUs = BaseMicros();
        m_nClockBaseMs = nowMs();
    }
    m_pClock = nowMs;
}

int CVeltoSimBoard::GetTimeOfDay(struct timeval* tv) {
    if (tv == nullptr) {
        errno = EFAULT;
        return -1;
    }
    int64_t us =
        BaseMicros() + static_cast<int64_t>(VeltoSim::ReadNumber(SimFile("clock"), 0)) * 1000000;
    tv->tv_sec = static_cast<time_t>(us / 1000000);
    tv->tv_usec = static_cast<suseconds_t>(us % 1000000);
    return 0;
}

time_t CVeltoSimBoard::Time(time_t* t) {
    struct timeval tv;
    GetTimeOfDay(&tv);
    if (t != nullptr) {
        *t = tv.tv_sec;
    }
    return tv.tv_sec;
}

int CVeltoSimBoard::Usleep(useconds_t usec) {
    if (m_bInstantSleeps) {
        // The skew stays when instant sleeps are turned off again: the board
        // clock never runs backwards.
        m_nSleptUs += static_cast<int64_t>(usec);
        return 0;
    }
    return ::usleep(usec);
}

int CVeltoSimBoard::SetTime(time_t t) {
    // A kernel older than 5.1 sets the clock through a 32-bit call, which
    // glibc refuses for a time from 2038 on.
    if (static_cast<long long>(t) > INT32_MAX && ::access(SimFile("clock32").c_str(), F_OK) == 0) {
        errno = EOVERFLOW;
        return -1;
    }
    // The host clock is never touched: the board keeps its own offset.
    long long offset = static_cast<long long>(t) - static_cast<long long>(BaseMicros() / 1000000);
    VeltoSim::MakeDirs(Root() + "/sim");
    if (!VeltoSim::WriteText(SimFile("clock"), std::to_string(offset) + "\n")) {
        errno = EPERM;
        return -1;
    }
    return 0;
}
