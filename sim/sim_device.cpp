#include "sim/sim_device.h"

#include <errno.h>
#include <stdint.h>
#include <sys/eventfd.h>
#include <unistd.h>

CVeltoSimHandle::CVeltoSimHandle() : m_nFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CVeltoSimHandle::~CVeltoSimHandle() {
    if (m_nFd >= 0) {
        ::close(m_nFd);
    }
}

int CVeltoSimHandle::Ioctl(unsigned long request, void* arg) {
    errno = ENOTTY;
    return -1;
}

ssize_t CVeltoSimHandle::Read(void* buf, size_t count) {
    errno = EINVAL;
    return -1;
}

ssize_t CVeltoSimHandle::Write(const void* buf, size_t count) {
    errno = EINVAL;
    return -1;
}

void* CVeltoSimHandle::Mmap(void* addr, size_t length, int prot, int flags, off_t offset) {
    errno = ENODEV;
    return reinterpret_cast<void*>(-1);
}

void CVeltoSimHandle::OnMunmap(void* addr, size_t length) {}

void CVeltoSimHandle::SignalReadable() {
    uint64_t one = 1;
    ssize_t n = ::write(m_nFd, &one, sizeof one);
    (void)n;
}

void CVeltoSimHandle::DrainReadable() {
    uint64_t value;
    ssize_t n = ::read(m_nFd, &value, sizeof value);
    (void)n;
}
