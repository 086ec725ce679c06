// The board seam on the device: a pass-through to libc.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <sys/time.h>
#include <unistd.h>

#include "platform/velto_board.h"
#include "platform/velto_v4l2_time32.h"

namespace {

int SysIoctl(int fd, unsigned long request, void* arg) {
    return ::ioctl(fd, request, arg);
}

class CVeltoLibcBoard : public CVeltoBoard {
public:
    std::string MapPath(const std::string& boardPath) override { return boardPath; }
    int Open(const char* path, int flags, mode_t mode) override {
        return ::open(path, flags | O_CLOEXEC, mode);
    }
    int Close(int fd) override { return ::close(fd); }
    ssize_t Read(int fd, void* buf, size_t count) override { return ::read(fd, buf, count); }
    ssize_t Write(int fd, const void* buf, size_t count) override {
        return ::write(fd, buf, count);
    }
    off_t Lseek(int fd, off_t offset, int whence) override { return ::lseek(fd, offset, whence); }
    int Fsync(int fd) override { return ::fsync(fd); }
    int Ftruncate(int fd, off_t length) override { return ::ftruncate(fd, length); }
    int Fallocate(int fd, int mode, off_t offset, off_t length) override {
        return ::fallocate(fd, mode, offset, length);
    }
    FILE* Fopen(const char* path, const char* mode) override { return ::fopen(path, mode); }
    int Ioctl(int fd, unsigned long request, void* arg) override {
        // A kernel before 5.6 knows the buffer requests with 32-bit times only.
        return Velto::V4L2Ioctl(&SysIoctl, fd, request, arg);
    }
    void* Mmap(void* addr, size_t length, int prot, int flags, int fd, off_t offset) override {
        return ::mmap(addr, length, prot, flags, fd, offset);
    }
    int Munmap(void* addr, size_t length) override { return ::munmap(addr, length); }
    int Select(int nfds, fd_set* r, fd_set* w, fd_set* e, struct timeval* timeout) override {
        return ::select(nfds, r, w, e, timeout);
    }
    int Stat(const char* path, struct stat* st) override { return ::stat(path, st); }
    int Access(const char* path, int mode) override { return ::access(path, mode); }
    DIR* OpenDir(const char* path) override { return ::opendir(path); }
    int Mkdir(const char* path, mode_t mode) override { return ::mkdir(path, mode); }
    int Unlink(const char* path) override { return ::unlink(path); }
    int Rmdir(const char* path) override { return ::rmdir(path); }
    int Rename(const char* from, const char* to) override { return ::rename(from, to); }
    int Statfs(const char* path, struct statfs* st) override { return ::statfs(path, st); }
    void Sync() override { ::sync(); }
    int System(const char* command) override { return ::system(command); }
    int Execvp(const char* file, char* const argv[]) override { return ::execvp(file, argv); }
    time_t Time(time_t* t) override { return ::time(t); }
    int SetTime(time_t t) override {
        // stime(2) is gone from newer C libraries; settimeofday does the same.
        struct timeval tv = {t, 0};
        return ::settimeofday(&tv, nullptr);
    }
    int GetTimeOfDay(struct timeval* tv) override { return ::gettimeofday(tv, nullptr); }
    int Usleep(useconds_t usec) override { return ::usleep(usec); }
};

}  // namespace

CVeltoBoard& CVeltoBoard::GetInstance() {
    static CVeltoLibcBoard board;
    return board;
}
