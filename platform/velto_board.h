// The board seam: every contact the firmware has with the board (board files,
// device nodes, the mount table, shell commands, the clock, starting programs)
// goes through CVeltoBoard. On the device it is a thin pass-through to libc; in
// the simulator build it maps board paths below ./board and hands device nodes
// to simulated devices.
//
// Calls mirror their libc counterparts: same arguments, same results, errno set
// on failure. Relative paths are never remapped.
#pragma once

#include <dirent.h>
#include <stdio.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/time.h>
#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <string>

class CVeltoBoard {
public:
    virtual ~CVeltoBoard() = default;

    // The implementation of the current build (libc on the device, simulated
    // board otherwise). Never null.
    static CVeltoBoard& GetInstance();

    // Host path of a board path: identity on the device, below ./board in the
    // simulator for the board's own trees (/sys, /dev, /media, ...).
    virtual std::string MapPath(const std::string& boardPath) = 0;

    // Files and device nodes.
    virtual int Open(const char* path, int flags, mode_t mode = 0) = 0;
    virtual int Close(int fd) = 0;
    virtual ssize_t Read(int fd, void* buf, size_t count) = 0;
    virtual ssize_t Write(int fd, const void* buf, size_t count) = 0;
    virtual off_t Lseek(int fd, off_t offset, int whence) = 0;
    virtual int Fsync(int fd) = 0;
    virtual int Ftruncate(int fd, off_t length) = 0;
    // fallocate(2); fails with EOPNOTSUPP where the file system or the
    // kernel has none.
    virtual int Fallocate(int fd, int mode, off_t offset, off_t length) = 0;
    virtual FILE* Fopen(const char* path, const char* mode) = 0;
    virtual int Ioctl(int fd, unsigned long request, void* arg) = 0;
    virtual void* Mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) = 0;
    virtual int Munmap(void* addr, size_t length) = 0;
    virtual int Select(int nfds, fd_set* readfds, fd_set* writefds, fd_set* exceptfds,
                       struct timeval* timeout) = 0;

    // File system.
    virtual int Stat(const char* path, struct stat* st) = 0;
    virtual int Access(const char* path, int mode) = 0;
    virtual DIR* OpenDir(const char* path) = 0;
    virtual int Mkdir(const char* path, mode_t mode) = 0;
    virtual int Unlink(const char* path) = 0;
    virtual int Rmdir(const char* path) = 0;
    virtual int Rename(const char* from, const char* to) = 0;
    virtual int Statfs(const char* path, struct statfs* st) = 0;
    virtual void Sync() = 0;

    // Shell command, as system(3): returns the wait status, -1 on failure.
    virtual int System(const char* command) = 0;
    // Replaces the calling (child) process, as execvp(3); board paths among
    // the arguments are mapped. Returns only on failure. Mapping allocates, so
    // this is only for the child of a single-threaded process.
    virtual int Execvp(const char* file, char* const argv[]) = 0;
    // For the child of a threaded process, which may only make
    // async-signal-safe calls: the parent maps every argument (and the file)
    // with MapPath before fork, the child calls this, which is execvp(3) and
    // nothing else.
    static int ExecvpMapped(const char* file, char* const argv[]) { return ::execvp(file, argv); }

    // Clock: time(2) and setting the system clock (stime).
    virtual time_t Time(time_t* t) = 0;
    virtual int SetTime(time_t t) = 0;
    // The same clock with microseconds, as gettimeofday(2) (no time zone).
    virtual int GetTimeOfDay(struct timeval* tv) = 0;
    // Sleeps for usec microseconds, as usleep(3).
    virtual int Usleep(useconds_t usec) = 0;
};

// Shorthand used throughout the firmware.
inline CVeltoBoard& Board() {
    return CVeltoBoard::GetInstance();
}
