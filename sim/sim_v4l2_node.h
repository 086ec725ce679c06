// What the simulated V4L2 nodes share: the handle of one open descriptor
// with its mmap buffers, their queues (queued by the application, done by
// the device) and the stream, during which a worker thread of the device
// (a capture clock, a pixel pipeline) takes queued buffers and hands them
// back done. The buffer calls (REQBUFS, QUERYBUF, QBUF, DQBUF, STREAMON,
// STREAMOFF) are answered here as videobuf2 answers them; a device answers
// the rest and says through the hooks below where it differs.
#pragma once

#include <linux/videodev2.h>
#include <stdint.h>
#include <sys/time.h>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "sim/sim_device.h"
#include "sim/sim_mmap_buffers.h"

class CVeltoSimV4l2Node : public CVeltoSimHandle {
public:
    // EFAULT without an argument and ENODEV once the node is gone; the
    // buffer calls here, the others to DeviceIoctl.
    int Ioctl(unsigned long request, void* arg) final;
    void* Mmap(void* addr, size_t length, int prot, int flags, off_t offset) final;
    void OnMunmap(void* addr, size_t length) final;

protected:
    enum class BufState { Dequeued, Queued, Active, Done };

    // What the driver knows of a buffer beside its memory.
    struct Buffer {
        BufState state = BufState::Dequeued;
        uint32_t sequence = 0;
        uint32_t bytesused = 0;
        bool error = false;  // filled with a transmission error
        struct timeval timestamp = {0, 0};
    };

    // The buffer calls that a device may make fail.
    enum class Call { ReqBufs, QBuf, DQBuf, StreamOn };

    // bufType is the node's one buffer type, maxBuffers what REQBUFS grants
    // at most. mutex guards the node: a device's state shared by all its
    // handles, or null for the handle's own. memName labels the buffers'
    // memfds. The device counts the handle while it lives (CountHandle) and
    // each client mapping while it exists (CountMapping).
    template <class Device>
    CVeltoSimV4l2Node(uint32_t bufType, uint32_t maxBuffers, bool nonBlocking, std::mutex* mutex,
                      const char* memName, const std::shared_ptr<Device>& device)
        : CVeltoSimV4l2Node(bufType, maxBuffers, nonBlocking, mutex, memName,
                            [device](bool handle, int delta) {
                                handle ? device->CountHandle(delta) : device->CountMapping(delta);
                            }) {}
    // A device's destructor runs Release first, while its hooks still exist.
    ~CVeltoSimV4l2Node() override;

    // -1 with errno set to err.
    static int Fail(int err);
    // Fills a VIDIOC_QUERYCAP answer; 0.
    static int FillCap(v4l2_capability* cap, const char* driver, const char* card,
                       const char* busInfo, uint32_t version, uint32_t deviceCaps);

    // The calls that are not buffer calls; -1 with errno ENOTTY for unknown.
    virtual int DeviceIoctl(unsigned long request, void* arg) = 0;
    // Whether the node has vanished; a device that can vanish notices it
    // here (unlocked) and calls MarkGoneLocked.
    virtual bool CheckGone() { return m_bGone; }
    // The errno a call is to fail with, 0 to go on. QBuf is asked under the
    // lock, once the buffer was found fit; the others first of all.
    virtual int Fault(Call call) { return 0; }
    // Locked: whether another descriptor's buffers keep this one from
    // making any.
    virtual bool BuffersBusyLocked() const { return false; }
    // Locked: makes count buffers in m_mem; 0 or the errno to fail with.
    virtual int AllocateLocked(uint32_t count) = 0;
    // Locked: frees the buffers; a device that tracks whose buffers exist
    // adds to it.
    virtual void FreeBuffersLocked();
    // Locked: the fields of a buffer's description that depend on the
    // device: length, bytesused, timestamp and flags beyond the queue's.
    virtual void DescribeBufferLocked(const Buffer& b, v4l2_buffer* buf) const = 0;
    // Locked: a blocking dequeue waits for a buffer to be done; may drop the
    // lock to notice that the node is gone.
    virtual void WaitForDoneLocked(std::unique_lock<std::mutex>& lock) { m_cond.wait(lock); }
    // Locked: the stream is starting; before the worker runs.
    virtual void StreamStartingLocked() {}
    // Unlocked: the stream has stopped and every buffer is back.
    virtual void StreamStopped() {}
    // The device's side of the stream, run on its own thread until m_bStop.
    virtual void WorkerLoop() = 0;

    // Locked: marks the node gone for good and wakes whoever waits on it.
    void MarkGoneLocked();
    // Stops the worker and returns every buffer to the application, dequeued;
    // a waiting dequeue fails then. Safe to call when not streaming.
    void StopStreaming();
    // Stops the stream and frees the buffers.
    void Release();

    std::mutex m_ownMutex;  // before m_mutex, which may name it
    std::mutex& m_mutex;
    // Guarded by m_mutex.
    std::condition_variable m_cond;
    bool m_bStop = false;
    bool m_bStreaming = false;
    uint32_t m_nSequence = 0;
    std::vector<Buffer> m_buffers;
    std::deque<uint32_t> m_queued;
    std::deque<uint32_t> m_done;
    CVeltoSimMmapBuffers m_mem;  // parallel to m_buffers
    std::atomic<bool> m_bGone{false};

private:
    int ReqBufs(v4l2_requestbuffers* req);
    void FillBuffer(uint32_t index, v4l2_buffer* buf) const;
    int QueryBuf(v4l2_buffer* buf);
    int QBuf(v4l2_buffer* buf);
    int DQBuf(v4l2_buffer* buf);
    int StreamOn(int type);
    int StreamOff(int type);

    CVeltoSimV4l2Node(uint32_t bufType, uint32_t maxBuffers, bool nonBlocking, std::mutex* mutex,
                      const char* memName, std::function<void(bool handle, int delta)> count);

    const uint32_t m_nType;
    const uint32_t m_nMaxBuffers;
    const bool m_bNonBlocking;
    std::thread m_worker;
    std::function<void(bool handle, int delta)> m_count;
};
