// The simulated board: CVeltoBoard for the simulator build. Its root is the
// directory "board" in the process's working directory, looked up on every
// call, so a test that changes into a fresh directory gets a fresh board.
//
// Board layout below the root (written by velto-board init):
//   sys/ dev/ proc/mounts proc/sys/ etc/lcdparams media/ mnt/ usr/velto/
//   sim/commands.log  every shell command, one per line, exactly as passed
//   sim/clock         offset in seconds of the board clock to the host's
//   sim/clock32       present: the kernel sets the clock only through 32-bit
//                     calls, so times from 2038 on are refused (EOVERFLOW)
//   sim/free          "MOUNTPOINT KIB" lines: free space per mount
//   sim/disks/NAME/   contents of the block device /dev/NAME
//   sim/otg           "host" or "device"
//   sim/rtc           the RTC's broken-down time
//   sim/tvcable       "1" when a TV cable is plugged
//   sim/watchdog      count of keep-alives received
//   sim/fbmode        "WIDTH HEIGHT BPP" last set on /dev/fb0 (absent: the
//                     panel of etc/lcdparams at 32 bpp)
//   sim/virtual_clock present: windowed programs run on virtual time, moved
//                     only by "advance" requests
#pragma once

#include <sys/types.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/velto_board.h"
#include "sim/sim_device.h"

class CVeltoSimBoard : public CVeltoBoard {
public:
    static CVeltoSimBoard& GetInstance();

    // Absolute host path of the board root ("<cwd>/board").
    std::string Root() const;
    // Host path of a sim state file ("<root>/sim/<name>").
    std::string SimFile(const std::string& name) const;

    // Registers a device node under its board path ("/dev/video0"). The node
    // opens only while the marker file exists below the root, so unplugging
    // is removing the marker.
    void RegisterDevice(const std::string& boardPath, std::shared_ptr<CVeltoSimDevice> device);

    // Test hooks. A write fault makes writes to files whose board path ends
    // with pathSuffix fail with err once failAfterBytes bytes have been
    // written through the seam since the fault was set (short write at the
    // boundary). Cleared by ClearFaults.
    void SetWriteFault(const std::string& pathSuffix, long long failAfterBytes, int err);
    void ClearFaults();

    // Number of descriptors to simulated devices currently open.
    int OpenDeviceCount();

    // Children started through System that are still running (name -> pid).
    std::vector<std::pair<std::string, pid_t>> Children();

    // CVeltoBoard
    std::string MapPath(const std::string& boardPath) override;
    int Open(const char* path, int flags, mode_t mode) override;
    int Close(int fd) override;
    ssize_t Read(int fd, void* buf, size_t count) override;
    ssize_t Write(int fd, const void* buf, size_t count) override;
    off_t Lseek(int fd, off_t offset, int whence) override;
    int Fsync(int fd) override;
    int Ftruncate(int fd, off_t length) override;
    int Fallocate(int fd, int mode, off_t offset, off_t length) override;
    FILE* Fopen(const char* path, const char* mode) override;
    int Ioctl(int fd, unsigned long request, void* arg) override;
    void* Mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) override;
    int Munmap(void* addr, size_t length) override;
    int Select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
               struct timeval* timeout) override;
    int Stat(const char* path, struct stat* st) override;
    int Access(const char* path, int mode) override;
    DIR* OpenDir(const char* path) override;
    int Mkdir(const char* path, mode_t mode) override;
    int Unlink(const char* path) override;
    int Rmdir(const char* path) override;
    int Rename(const char* from, const char* to) override;
    int Statfs(const char* path, struct statfs* st) override;
    void Sync() override;
    int System(const char* command) override;
    int Execvp(const char* file, char* const argv[]) override;
    time_t Time(time_t* t) override;
    int SetTime(time_t t) override;
    int GetTimeOfDay(struct timeval* tv) override;
    int Usleep(useconds_t usec) override;

    // From now on the board clock moves with nowMs (milliseconds of a
    // program's virtual clock) instead of the host's; null returns to the
    // host clock. The board's own offset (sim/clock) still applies.
    void FollowClock(uint64_t (*nowMs)());

    // For fuzzers and tests that opt in: Usleep returns at once and moves the
    // board clock on by the time slept instead, so time-outs measured on the
    // board clock still expire. A Select on handles whose readiness only
    // calls change (CVeltoSimHandle::ReadinessIsScripted) times out at once
    // the same way; one that a timer may wake still waits for real.
    void SetInstantSleeps(bool instant);
    bool InstantSleeps() const { return m_bInstantSleeps; }
    // Fsync and Sync succeed without touching the disk: for fuzzers, whose
    // scratch files need no durability.
    void SetSkipSyncs(bool skip) { m_bSkipSyncs = skip; }

private:
    // Host wall clock in microseconds, or the followed clock's, plus the time
    // slept instantly.
    int64_t BaseMicros();
    // True when every descriptor of the sets is a handle with scripted
    // readiness (and there is at least one).
    bool OnlyScriptedHandles(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds);

    std::atomic<uint64_t (*)()> m_pClock{nullptr};
    std::atomic<int64_t> m_nClockBaseUs{0};
    std::atomic<uint64_t> m_nClockBaseMs{0};
    std::atomic<bool> m_bInstantSleeps{false};
    std::atomic<int64_t> m_nSleptUs{0};
    std::atomic<bool> m_bSkipSyncs{false};

    CVeltoSimBoard();

    struct FileInfo {
        std::string boardPath;
    };
    struct WriteFault {
        std::string suffix;
        long long remaining;
        int err;
    };

    std::shared_ptr<CVeltoSimHandle> FindHandle(int fd);
    void LogCommand(const char* command);

    std::mutex m_mutex;
    std::map<std::string, std::shared_ptr<CVeltoSimDevice>> m_devices;
    std::map<int, std::shared_ptr<CVeltoSimHandle>> m_handles;
    std::map<void*, std::shared_ptr<CVeltoSimHandle>> m_mappings;
    std::map<int, FileInfo> m_files;
    std::vector<WriteFault> m_faults;
    std::vector<std::pair<std::string, pid_t>> m_children;

    friend class CVeltoSimShell;
};
