// Simulated device nodes. A device is registered under its board path
// ("/dev/video0"); every successful open creates one CVeltoSimHandle whose
// Fd() is a real descriptor (an eventfd by default), so select(2) on it is
// real. The simulated board routes ioctl/read/write/mmap/close of that
// descriptor to the handle.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>

class CVeltoSimHandle {
public:
    CVeltoSimHandle();           // creates the default eventfd
    virtual ~CVeltoSimHandle();  // closes Fd()

    int Fd() const { return m_nFd; }

    // Results as the matching system calls: -1 with errno set on failure.
    virtual int Ioctl(unsigned long request, void* arg);
    virtual ssize_t Read(void* buf, size_t count);
    virtual ssize_t Write(const void* buf, size_t count);
    // Default: fails with ENODEV.
    virtual void* Mmap(void* addr, size_t length, int prot, int flags, off_t offset);
    // Told before the board unmaps a region this handle mapped.
    virtual void OnMunmap(void* addr, size_t length);

    // Readiness for select: signal makes Fd() readable until drained.
    void SignalReadable();
    void DrainReadable();
    // True when only calls on the handle change its readiness (no timer or
    // other thread does): waiting in select cannot make it ready.
    virtual bool ReadinessIsScripted() const { return false; }

protected:
    int m_nFd;
};

class CVeltoSimDevice {
public:
    virtual ~CVeltoSimDevice() = default;
    // Opens the device; null with *err set to an errno value on failure.
    virtual std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) = 0;
};
