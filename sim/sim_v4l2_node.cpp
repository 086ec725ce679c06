#include "sim/sim_v4l2_node.h"

#include <errno.h>
#include <string.h>
#include <sys/mman.h>

#include <algorithm>

CVeltoSimV4l2Node::CVeltoSimV4l2Node(uint32_t bufType, uint32_t maxBuffers, bool nonBlocking,
                                     std::mutex* mutex, const char* memName,
                                     std::function<void(bool handle, int delta)> count)
    : m_mutex(mutex ? *mutex : m_ownMutex),
      m_mem(memName, [count](int delta) { count(false, delta); }),
      m_nType(bufType),
      m_nMaxBuffers(maxBuffers),
      m_bNonBlocking(nonBlocking),
      m_count(std::move(count)) {
    m_count(true, 1);
}

CVeltoSimV4l2Node::~CVeltoSimV4l2Node() {
    m_count(true, -1);
}

int CVeltoSimV4l2Node::Fail(int err) {
    errno = err;
    return -1;
}

int CVeltoSimV4l2Node::FillCap(v4l2_capability* cap, const char* driver, const char* card,
                               const char* busInfo, uint32_t version, uint32_t deviceCaps) {
    memset(cap, 0, sizeof *cap);
    strncpy(reinterpret_cast<char*>(cap->driver), driver, sizeof cap->driver - 1);
    strncpy(reinterpret_cast<char*>(cap->card), card, sizeof cap->card - 1);
    strncpy(reinterpret_cast<char*>(cap->bus_info), busInfo, sizeof cap->bus_info - 1);
    cap->version = version;
    cap->device_caps = deviceCaps;
    cap->capabilities = deviceCaps | V4L2_CAP_DEVICE_CAPS;
    return 0;
}

int CVeltoSimV4l2Node::Ioctl(unsigned long request, void* arg) {
    if (arg == nullptr) {
        return Fail(EFAULT);
    }
    if (CheckGone()) {
        return Fail(ENODEV);
    }
    switch (request) {
        case VIDIOC_REQBUFS:
            return ReqBufs(static_cast<v4l2_requestbuffers*>(arg));
        case VIDIOC_QUERYBUF:
            return QueryBuf(static_cast<v4l2_buffer*>(arg));
        case VIDIOC_QBUF:
            return QBuf(static_cast<v4l2_buffer*>(arg));
        case VIDIOC_DQBUF:
            return DQBuf(static_cast<v4l2_buffer*>(arg));
        case VIDIOC_STREAMON:
            return StreamOn(*static_cast<int*>(arg));
        case VIDIOC_STREAMOFF:
            return StreamOff(*static_cast<int*>(arg));
        default:
            return DeviceIoctl(request, arg);
    }
}

void* CVeltoSimV4l2Node::Mmap(void* addr, size_t length, int prot, int flags, off_t offset) {
    if (CheckGone()) {
        errno = ENODEV;
        return MAP_FAILED;
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mem.Map(addr, length, prot, flags, offset);
}

void CVeltoSimV4l2Node::OnMunmap(void* addr, size_t) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mem.Unmapped(addr);
}

void CVeltoSimV4l2Node::MarkGoneLocked() {
    if (!m_bGone) {
        m_bGone = true;
        SignalReadable();  // a select on a vanished device returns at once
        m_cond.notify_all();
    }
}

int CVeltoSimV4l2Node::ReqBufs(v4l2_requestbuffers* req) {
    if (int err = Fault(Call::ReqBufs)) {
        return Fail(err);
    }
    if (req->type != m_nType || req->memory != V4L2_MEMORY_MMAP) {
        return Fail(EINVAL);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    // Buffers cannot be freed while streaming or mapped.
    if (BuffersBusyLocked() || m_bStreaming || m_mem.AnyMapped()) {
        return Fail(EBUSY);
    }
    FreeBuffersLocked();
    if (req->count == 0) {
        return 0;
    }
    // What is asked, up to the driver's limit; one when one is asked.
    uint32_t count = std::min(req->count, m_nMaxBuffers);
    if (int err = AllocateLocked(count)) {
        return Fail(err);
    }
    m_buffers.assign(count, Buffer());
    req->count = count;
    return 0;
}

void CVeltoSimV4l2Node::FillBuffer(uint32_t index, v4l2_buffer* buf) const {
    const Buffer& b = m_buffers[index];
    memset(buf, 0, sizeof *buf);
    buf->index = index;
    buf->type = m_nType;
    buf->memory = V4L2_MEMORY_MMAP;
    buf->m.offset = static_cast<uint32_t>(m_mem.Offset(index));
    buf->field = V4L2_FIELD_NONE;
    buf->sequence = b.sequence;
    DescribeBufferLocked(b, buf);
    if (m_mem.Mapped(index)) {
        buf->flags |= V4L2_BUF_FLAG_MAPPED;
    }
    if (b.state == BufState::Queued || b.state == BufState::Active) {
        buf->flags |= V4L2_BUF_FLAG_QUEUED;
    } else if (b.state == BufState::Done) {
        buf->flags |= V4L2_BUF_FLAG_DONE;
    }
}

int CVeltoSimV4l2Node::QueryBuf(v4l2_buffer* buf) {
    if (buf->type != m_nType) {
        return Fail(EINVAL);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (buf->index >= m_buffers.size()) {
        return Fail(EINVAL);
    }
    FillBuffer(buf->index, buf);
    return 0;
}

int CVeltoSimV4l2Node::QBuf(v4l2_buffer* buf) {
    if (buf->type != m_nType || buf->memory != V4L2_MEMORY_MMAP) {
        return Fail(EINVAL);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (buf->index >= m_buffers.size() || m_buffers[buf->index].state != BufState::Dequeued) {
        return Fail(EINVAL);
    }
    if (int err = Fault(Call::QBuf)) {
        return Fail(err);
    }
    m_buffers[buf->index].state = BufState::Queued;
    m_queued.push_back(buf->index);
    FillBuffer(buf->index, buf);
    m_cond.notify_all();
    return 0;
}

int CVeltoSimV4l2Node::DQBuf(v4l2_buffer* buf) {
    if (int err = Fault(Call::DQBuf)) {
        return Fail(err);
    }
    if (buf->type != m_nType || buf->memory != V4L2_MEMORY_MMAP) {
        return Fail(EINVAL);
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    // As videobuf2: a blocking dequeue waits until a buffer is done or the
    // stream stops, even when nothing is queued that could be done.
    for (;;) {
        if (m_bGone) {
            return Fail(ENODEV);
        }
        if (!m_bStreaming) {
            return Fail(EINVAL);
        }
        if (!m_done.empty()) {
            break;
        }
        if (m_bNonBlocking) {
            return Fail(EAGAIN);
        }
        WaitForDoneLocked(lock);
    }
    uint32_t index = m_done.front();
    m_done.pop_front();
    if (m_done.empty()) {
        DrainReadable();
    }
    m_buffers[index].state = BufState::Dequeued;
    FillBuffer(index, buf);
    return 0;
}

int CVeltoSimV4l2Node::StreamOn(int type) {
    if (int err = Fault(Call::StreamOn)) {
        return Fail(err);
    }
    if (static_cast<uint32_t>(type) != m_nType) {
        return Fail(EINVAL);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_buffers.empty()) {
        return Fail(EINVAL);
    }
    if (m_bStreaming) {
        return 0;
    }
    m_bStreaming = true;
    m_bStop = false;
    StreamStartingLocked();
    m_worker = std::thread([this] { WorkerLoop(); });
    return 0;
}

int CVeltoSimV4l2Node::StreamOff(int type) {
    if (static_cast<uint32_t>(type) != m_nType) {
        return Fail(EINVAL);
    }
    StopStreaming();
    return 0;
}

void CVeltoSimV4l2Node::StopStreaming() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStop = true;
        m_cond.notify_all();
    }
    if (m_worker.joinable()) {
        m_worker.join();
    }
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_bStreaming = false;
        for (Buffer& b : m_buffers) {
            b.state = BufState::Dequeued;  // every buffer returns to the application
        }
        m_queued.clear();
        m_done.clear();
        DrainReadable();
        m_cond.notify_all();  // a dequeue waiting for a buffer fails now
    }
    StreamStopped();
}

void CVeltoSimV4l2Node::Release() {
    StopStreaming();
    std::lock_guard<std::mutex> lock(m_mutex);
    FreeBuffersLocked();
}

void CVeltoSimV4l2Node::FreeBuffersLocked() {
    m_mem.Free();
    m_buffers.clear();
    m_queued.clear();
    m_done.clear();
}
