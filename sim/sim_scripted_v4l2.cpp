#include "sim/sim_scripted_v4l2.h"

#include <errno.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <deque>

namespace {

thread_local int t_sideDepth = 0;

const int kErrors[16] = {EINVAL, ENODEV, EIO,       EAGAIN, EBUSY, ENOMEM, EINTR,     EPIPE,
                         ENOSPC, EFAULT, ETIMEDOUT, ENOTTY, EPERM, ERANGE, EOVERFLOW, ENXIO};
const uint32_t kMaxBuffers = 32;
// A buffer no driver of this board would hand out; mapping more fails.
const size_t kMaxMapping = 16u << 20;
const uint32_t kPage = 4096;

enum Answer { Healthy, Fail, Odd, Vanish };

Answer Classify(uint8_t sel) {
    if (sel < 128) {
        return Healthy;
    }
    if (sel < 192) {
        return Fail;
    }
    return sel == 255 ? Vanish : Odd;
}

uint32_t PageAlign(uint64_t n) {
    uint64_t a = (n + kPage - 1) / kPage * kPage;
    return a > 0xFFFFFFFFu ? 0xFFFFF000u : static_cast<uint32_t>(a);
}

bool IsPixType(uint32_t type) {
    return type == V4L2_BUF_TYPE_VIDEO_CAPTURE || type == V4L2_BUF_TYPE_VIDEO_OUTPUT ||
           type == V4L2_BUF_TYPE_PRIVATE;
}

bool IsWinType(uint32_t type) {
    return type == V4L2_BUF_TYPE_VIDEO_OVERLAY || type == V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
}

bool KnownControl(uint32_t id) {
    switch (id) {
        case V4L2_CID_BRIGHTNESS:
        case V4L2_CID_CONTRAST:
        case V4L2_CID_SATURATION:
        case V4L2_CID_HUE:
        case V4L2_CID_AUTO_WHITE_BALANCE:
        case V4L2_CID_GAMMA:
        case V4L2_CID_GAIN:
        case V4L2_CID_SHARPNESS:
        case V4L2_CID_EXPOSURE_AUTO:
        case V4L2_CID_EXPOSURE_ABSOLUTE:
        case V4L2_CID_HFLIP:
        case V4L2_CID_VFLIP:
        case V4L2_CID_PRIVATE_BASE:
        case V4L2_CID_PRIVATE_BASE + 3:
            return true;
        default:
            return false;
    }
}

// Kernel strings are always terminated; only their text comes from the script.
template <size_t N>
void ScriptText(uint8_t (&field)[N], uint8_t (*next)(void*), void* self) {
    memset(field, 0, N);
    for (size_t i = 0; i + 1 < N; ++i) {
        uint8_t c = next(self);
        if (c == 0) {
            break;
        }
        field[i] = c;
    }
}

}  // namespace

CVeltoScriptedV4L2::SideCalls::SideCalls() {
    ++t_sideDepth;
}

CVeltoScriptedV4L2::SideCalls::~SideCalls() {
    --t_sideDepth;
}

CVeltoScriptedV4L2::CVeltoScriptedV4L2(Kind kind) : m_eKind(kind) {
    SetScripts(nullptr, 0, nullptr, 0);
}

void CVeltoScriptedV4L2::SetScripts(const uint8_t* main, size_t mainSize, const uint8_t* side,
                                    size_t sideSize) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_main.assign(main, main + mainSize);
    m_side.assign(side, side + sideSize);
    m_nMainPos = m_nSidePos = m_nMainLimit = m_nPending = 0;
    m_bPending = false;
    m_nTailEnd = -1;
    m_bReleased = true;
    m_nSteps = 0;
    m_bVanished = false;
    m_nBadUnmaps = 0;
    m_formats.clear();
    m_controls.clear();
    m_nOutput = 0;
    m_nFbufFlags = 0;
    int32_t crop[4] = {0, 0, 320, 240};
    memcpy(m_crop, crop, sizeof crop);
    for (uint32_t type :
         {V4L2_BUF_TYPE_VIDEO_CAPTURE, V4L2_BUF_TYPE_VIDEO_OUTPUT, V4L2_BUF_TYPE_PRIVATE}) {
        v4l2_format f;
        memset(&f, 0, sizeof f);
        f.type = type;
        f.fmt.pix.width = 320;
        f.fmt.pix.height = 240;
        f.fmt.pix.pixelformat =
            type == V4L2_BUF_TYPE_VIDEO_CAPTURE ? V4L2_PIX_FMT_YUYV : V4L2_PIX_FMT_YUV422P;
        f.fmt.pix.field = V4L2_FIELD_NONE;
        f.fmt.pix.bytesperline = type == V4L2_BUF_TYPE_VIDEO_CAPTURE ? 640 : 320;
        f.fmt.pix.sizeimage = 320 * 240 * 2;
        m_formats[type] = f;
    }
    for (uint32_t type : {V4L2_BUF_TYPE_VIDEO_OVERLAY, V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY}) {
        v4l2_format f;
        memset(&f, 0, sizeof f);
        f.type = type;
        f.fmt.win.w.width = 320;
        f.fmt.win.w.height = 240;
        f.fmt.win.field = V4L2_FIELD_NONE;
        m_formats[type] = f;
    }
}

void CVeltoScriptedV4L2::Arm(size_t bytes, bool anyThread) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nMainLimit = m_nMainPos;
    m_nPending = bytes;
    m_bPending = bytes > 0;
    m_bArmAny = anyThread;
    m_armThread = std::this_thread::get_id();
    m_nTailEnd = -1;
    m_bReleased = false;
    m_cond.notify_all();
}

void CVeltoScriptedV4L2::Release() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bReleased = true;
    m_cond.notify_all();
}

bool CVeltoScriptedV4L2::WaitArmedUsed(int timeoutMs) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_cond.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] {
        return m_nSteps >= m_nStepLimit ||
               (!m_bPending && m_nTailEnd >= 0 && m_nSteps >= m_nTailEnd);
    });
}

int CVeltoScriptedV4L2::LiveHandles() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nLiveHandles;
}

int CVeltoScriptedV4L2::LiveMappings() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_mappings.size());
}

int CVeltoScriptedV4L2::BadUnmaps() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nBadUnmaps;
}

int32_t CVeltoScriptedV4L2::ControlValue(uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_controls.find(id);
    return it == m_controls.end() ? 128 : it->second;
}

long CVeltoScriptedV4L2::Steps() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nSteps;
}

// Callers hold m_mutex.
uint8_t CVeltoScriptedV4L2::Byte() {
    if (t_sideDepth > 0) {
        return m_nSidePos < m_side.size() ? m_side[m_nSidePos++] : 0;
    }
    if (m_bPending && (m_bArmAny || std::this_thread::get_id() == m_armThread)) {
        m_nMainLimit = m_nMainPos + m_nPending;
        m_bPending = false;
        NoteIfUsed();
    }
    if (m_nMainPos >= m_nMainLimit || m_nMainPos >= m_main.size()) {
        return 0;
    }
    uint8_t b = m_main[m_nMainPos++];
    NoteIfUsed();
    return b;
}

void CVeltoScriptedV4L2::NoteIfUsed() {
    if (m_nTailEnd < 0 && (m_nMainPos >= m_nMainLimit || m_nMainPos >= m_main.size())) {
        m_nTailEnd = m_nSteps + m_nTailSteps;
        if (m_nTailSteps == 0) {
            m_cond.notify_all();
        }
    }
}

uint32_t CVeltoScriptedV4L2::Word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) {
        w |= static_cast<uint32_t>(Byte()) << (8 * i);
    }
    return w;
}

bool CVeltoScriptedV4L2::Step() {
    if (++m_nSteps == m_nStepLimit || m_nSteps == m_nTailEnd) {
        m_cond.notify_all();
    }
    return m_nSteps <= m_nStepLimit;
}

bool CVeltoScriptedV4L2::PhaseDone() const {
    return m_nSteps >= m_nStepLimit || (!m_bPending && m_nTailEnd >= 0 && m_nSteps >= m_nTailEnd);
}

uint8_t CVeltoScriptedV4L2::Selector(std::unique_lock<std::mutex>& lock) {
    // Once a phase is over, calls of other threads wait for the next one:
    // a phase then costs the same steps however the threads are scheduled.
    while (!m_bReleased && t_sideDepth == 0 && std::this_thread::get_id() != m_armThread &&
           PhaseDone()) {
        m_cond.wait(lock);
    }
    return Step() ? Byte() : 255;
}

struct CVeltoScriptedV4L2::Handle : public CVeltoSimHandle {
    struct Buffer {
        uint32_t length = 0;
        uint32_t offset = 0;
        bool queued = false;
    };

    explicit Handle(std::shared_ptr<CVeltoScriptedV4L2> node) : m_node(std::move(node)) {
        ++m_node->m_nLiveHandles;  // the node's mutex is held by Open
        SignalReadable();
    }
    ~Handle() override {
        std::lock_guard<std::mutex> lock(m_node->m_mutex);
        --m_node->m_nLiveHandles;
    }

    bool ReadinessIsScripted() const override { return true; }

    uint8_t Next() { return m_node->Byte(); }
    uint32_t NextWord() { return m_node->Word(); }
    static uint8_t NextOf(void* self) { return static_cast<Handle*>(self)->Next(); }

    // Touches the descriptor only on a change: two system calls for every
    // ioctl were a good part of a fuzz input's time.
    void SetReadable(bool readable) {
        if (readable == m_bReadable) {
            return;
        }
        if (readable) {
            SignalReadable();
        } else {
            DrainReadable();
        }
        m_bReadable = readable;
    }

    int Ioctl(unsigned long request, void* arg) override {
        std::unique_lock<std::mutex> lock(m_node->m_mutex);
        uint8_t sel = m_node->Selector(lock);
        Answer answer = Classify(sel);
        if (answer == Vanish) {
            m_bDead = true;
            m_node->m_bVanished = true;
        }
        if (m_bDead) {
            SetReadable(true);  // a dead node is always "ready", and fails
            errno = ENODEV;
            return -1;
        }
        SetReadable(!(sel >= 100 && sel < 128));
        if (answer == Fail) {
            errno = kErrors[sel & 15];
            return -1;
        }
        if (arg == nullptr) {
            errno = EFAULT;
            return -1;
        }
        return Respond(request, arg, answer == Odd);
    }

    int Respond(unsigned long request, void* arg, bool odd) {
        CVeltoScriptedV4L2& n = *m_node;
        switch (request) {
            case VIDIOC_QUERYCAP: {
                auto* cap = static_cast<v4l2_capability*>(arg);
                memset(cap, 0, sizeof *cap);
                strcpy(reinterpret_cast<char*>(cap->driver), "scripted");
                strcpy(reinterpret_cast<char*>(cap->card), "Scripted node");
                uint32_t caps = n.m_eKind == Capture
                                    ? V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING
                                    : V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY |
                                          V4L2_CAP_STREAMING;
                cap->capabilities = caps | V4L2_CAP_DEVICE_CAPS;
                cap->device_caps = caps;
                if (odd) {
                    cap->capabilities = NextWord();
                    cap->device_caps = NextWord();
                    ScriptText(cap->card, NextOf, this);
                }
                return 0;
            }
            case VIDIOC_G_FMT:
            case VIDIOC_S_FMT:
            case VIDIOC_TRY_FMT: {
                auto* f = static_cast<v4l2_format*>(arg);
                auto it = n.m_formats.find(f->type);
                if (it == n.m_formats.end()) {
                    errno = EINVAL;
                    return -1;
                }
                if (request != VIDIOC_G_FMT) {
                    if (m_bStreaming && request == VIDIOC_S_FMT && IsPixType(f->type) &&
                        f->type == m_nBufType) {
                        errno = EBUSY;
                        return -1;
                    }
                    v4l2_format granted = Grant(*f);
                    if (request == VIDIOC_S_FMT) {
                        it->second = granted;
                    }
                    *f = granted;
                } else {
                    *f = it->second;
                }
                if (odd) {
                    if (IsPixType(f->type)) {
                        f->fmt.pix.width = NextWord();
                        f->fmt.pix.height = NextWord();
                        f->fmt.pix.pixelformat = NextWord();
                        f->fmt.pix.bytesperline = NextWord();
                        f->fmt.pix.sizeimage = NextWord();
                        f->fmt.pix.field = Next();
                    } else {
                        f->fmt.win.w.left = static_cast<int32_t>(NextWord());
                        f->fmt.win.w.top = static_cast<int32_t>(NextWord());
                        f->fmt.win.w.width = NextWord();
                        f->fmt.win.w.height = NextWord();
                        f->fmt.win.field = Next();
                        f->fmt.win.chromakey = NextWord();
                        f->fmt.win.global_alpha = Next();
                    }
                    if (request == VIDIOC_S_FMT) {
                        it->second = *f;
                    }
                }
                return 0;
            }
            case VIDIOC_G_PARM:
            case VIDIOC_S_PARM: {
                auto* p = static_cast<v4l2_streamparm*>(arg);
                if (p->type != V4L2_BUF_TYPE_VIDEO_CAPTURE &&
                    p->type != V4L2_BUF_TYPE_VIDEO_OUTPUT) {
                    errno = EINVAL;
                    return -1;
                }
                if (odd) {
                    p->parm.capture.timeperframe.numerator = NextWord();
                    p->parm.capture.timeperframe.denominator = NextWord();
                } else if (p->parm.capture.timeperframe.denominator == 0) {
                    p->parm.capture.timeperframe = {1, 30};
                }
                return 0;
            }
            case VIDIOC_REQBUFS:
                return ReqBufs(*static_cast<v4l2_requestbuffers*>(arg), odd);
            case VIDIOC_QUERYBUF:
                return QueryBuf(*static_cast<v4l2_buffer*>(arg), odd);
            case VIDIOC_QBUF: {
                auto* b = static_cast<v4l2_buffer*>(arg);
                if (b->index >= m_buffers.size() || b->memory != V4L2_MEMORY_MMAP ||
                    b->type != m_nBufType || m_buffers[b->index].queued) {
                    if (!odd) {
                        errno = EINVAL;
                        return -1;
                    }
                    return 0;  // a driver that takes anything and does nothing
                }
                m_buffers[b->index].queued = true;
                m_queue.push_back(b->index);
                b->flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_QUEUED;
                return 0;
            }
            case VIDIOC_DQBUF:
                return DqBuf(*static_cast<v4l2_buffer*>(arg), odd);
            case VIDIOC_STREAMON:
            case VIDIOC_STREAMOFF: {
                uint32_t type = *static_cast<int*>(arg);
                if (type != m_nBufType || (request == VIDIOC_STREAMON && m_buffers.empty())) {
                    if (!odd) {
                        errno = EINVAL;
                        return -1;
                    }
                }
                m_bStreaming = request == VIDIOC_STREAMON;
                if (!m_bStreaming) {
                    for (Buffer& b : m_buffers) {
                        b.queued = false;
                    }
                    m_queue.clear();
                }
                return 0;
            }
            case VIDIOC_QUERYCTRL: {
                auto* q = static_cast<v4l2_queryctrl*>(arg);
                uint32_t id = q->id;
                if (!KnownControl(id) && !odd) {
                    errno = EINVAL;
                    return -1;
                }
                memset(q, 0, sizeof *q);
                q->id = id;
                bool boolean = id == V4L2_CID_AUTO_WHITE_BALANCE || id == V4L2_CID_HFLIP ||
                               id == V4L2_CID_VFLIP;
                q->type = boolean ? V4L2_CTRL_TYPE_BOOLEAN : V4L2_CTRL_TYPE_INTEGER;
                q->minimum = 0;
                q->maximum = boolean ? 1 : 255;
                q->step = 1;
                q->default_value = boolean ? 0 : 128;
                strcpy(reinterpret_cast<char*>(q->name), "Scripted control");
                if (odd) {
                    q->type = NextWord();
                    q->minimum = static_cast<int32_t>(NextWord());
                    q->maximum = static_cast<int32_t>(NextWord());
                    q->default_value = static_cast<int32_t>(NextWord());
                    q->flags = NextWord();
                    ScriptText(q->name, NextOf, this);
                }
                return 0;
            }
            case VIDIOC_G_CTRL:
            case VIDIOC_S_CTRL: {
                auto* c = static_cast<v4l2_control*>(arg);
                if (!KnownControl(c->id) && !odd) {
                    errno = EINVAL;
                    return -1;
                }
                if (request == VIDIOC_S_CTRL) {
                    n.m_controls[c->id] = odd ? static_cast<int32_t>(NextWord()) : c->value;
                } else {
                    auto it = n.m_controls.find(c->id);
                    c->value = odd ? static_cast<int32_t>(NextWord())
                                   : (it == n.m_controls.end() ? 128 : it->second);
                }
                return 0;
            }
            case VIDIOC_G_OUTPUT:
                *static_cast<int*>(arg) = odd ? static_cast<int>(NextWord()) : n.m_nOutput;
                return 0;
            case VIDIOC_S_OUTPUT: {
                int* out = static_cast<int*>(arg);
                if ((*out < 0 || *out > 1) && !odd) {
                    errno = EINVAL;
                    return -1;
                }
                n.m_nOutput = odd ? static_cast<int>(NextWord()) : *out;
                return 0;
            }
            case VIDIOC_ENUMOUTPUT: {
                auto* o = static_cast<v4l2_output*>(arg);
                uint32_t index = o->index;
                if (index > 1 && !odd) {
                    errno = EINVAL;
                    return -1;
                }
                memset(o, 0, sizeof *o);
                o->index = index;
                strcpy(reinterpret_cast<char*>(o->name), index == 0 ? "Video" : "Hidden");
                if (odd) {
                    ScriptText(o->name, NextOf, this);
                }
                return 0;
            }
            case VIDIOC_G_FBUF:
            case VIDIOC_S_FBUF: {
                auto* fb = static_cast<v4l2_framebuffer*>(arg);
                if (request == VIDIOC_S_FBUF) {
                    n.m_nFbufFlags = odd ? NextWord() : fb->flags;
                } else {
                    memset(fb, 0, sizeof *fb);
                    fb->flags = odd ? NextWord() : n.m_nFbufFlags;
                    fb->fmt.width = 320;
                    fb->fmt.height = 240;
                }
                return 0;
            }
            case VIDIOC_G_CROP:
            case VIDIOC_S_CROP: {
                auto* c = static_cast<v4l2_crop*>(arg);
                if (!IsWinType(c->type) && c->type != V4L2_BUF_TYPE_VIDEO_OUTPUT) {
                    errno = EINVAL;
                    return -1;
                }
                if (request == VIDIOC_S_CROP) {
                    int32_t r[4] = {c->c.left, c->c.top, static_cast<int32_t>(c->c.width),
                                    static_cast<int32_t>(c->c.height)};
                    memcpy(n.m_crop, r, sizeof r);
                }
                if (odd) {
                    for (int32_t& v : n.m_crop) {
                        v = static_cast<int32_t>(NextWord());
                    }
                }
                c->c.left = n.m_crop[0];
                c->c.top = n.m_crop[1];
                c->c.width = static_cast<uint32_t>(n.m_crop[2]);
                c->c.height = static_cast<uint32_t>(n.m_crop[3]);
                return 0;
            }
            default:
                errno = ENOTTY;
                return -1;
        }
    }

    // What a healthy driver grants for a format request.
    v4l2_format Grant(const v4l2_format& asked) {
        v4l2_format f = asked;
        if (IsPixType(f.type)) {
            v4l2_pix_format& p = f.fmt.pix;
            p.width = std::max(16u, std::min(p.width, 2048u));
            p.height = std::max(12u, std::min(p.height, 2048u));
            if (m_node->m_eKind == Capture) {
                p.pixelformat = V4L2_PIX_FMT_YUYV;
            }
            p.bytesperline = p.pixelformat == V4L2_PIX_FMT_YUYV ? p.width * 2 : p.width;
            p.sizeimage = p.width * p.height * 2;
            p.field = V4L2_FIELD_NONE;
        } else if (IsWinType(f.type)) {
            f.fmt.win.w.width = std::min(f.fmt.win.w.width, 4096u);
            f.fmt.win.w.height = std::min(f.fmt.win.w.height, 4096u);
        }
        return f;
    }

    int ReqBufs(v4l2_requestbuffers& req, bool odd) {
        if (req.memory != V4L2_MEMORY_MMAP || !IsPixType(req.type)) {
            errno = EINVAL;
            return -1;
        }
        if (m_bStreaming) {
            errno = EBUSY;
            return -1;
        }
        uint32_t count = std::min(req.count, kMaxBuffers);
        if (odd) {
            count = NextWord();
        }
        m_nBufType = req.type;
        m_buffers.clear();
        m_queue.clear();
        uint32_t size = PageAlign(m_node->m_formats[req.type].fmt.pix.sizeimage);
        // Only the first buffers are modelled; the rest of an absurd count
        // does not exist when asked for.
        for (uint32_t i = 0; i < std::min(count, kMaxBuffers * 2); ++i) {
            Buffer b;
            b.length = size;
            b.offset = m_nNextOffset;
            m_nNextOffset += std::max(size, kPage);
            m_buffers.push_back(b);
        }
        req.count = count;
        return 0;
    }

    int QueryBuf(v4l2_buffer& b, bool odd) {
        if (b.index >= m_buffers.size() || b.type != m_nBufType) {
            errno = EINVAL;
            return -1;
        }
        Buffer& buf = m_buffers[b.index];
        if (odd) {
            buf.length = NextWord();
            buf.offset = NextWord();
        }
        b.length = buf.length;
        b.m.offset = buf.offset;
        b.flags = V4L2_BUF_FLAG_MAPPED | (buf.queued ? V4L2_BUF_FLAG_QUEUED : 0);
        b.memory = V4L2_MEMORY_MMAP;
        return 0;
    }

    int DqBuf(v4l2_buffer& b, bool odd) {
        if (!m_bStreaming || b.type != m_nBufType) {
            errno = EINVAL;
            return -1;
        }
        if (m_queue.empty()) {
            errno = EAGAIN;
            return -1;
        }
        uint32_t index = m_queue.front();
        m_queue.pop_front();
        m_buffers[index].queued = false;
        b.index = index;
        b.memory = V4L2_MEMORY_MMAP;
        b.length = m_buffers[index].length;
        b.m.offset = m_buffers[index].offset;
        b.bytesused = m_buffers[index].length;
        b.flags = V4L2_BUF_FLAG_MAPPED | V4L2_BUF_FLAG_DONE;
        b.field = V4L2_FIELD_NONE;
        b.sequence = m_nSequence++;
        if (odd) {
            b.index = NextWord();
            b.bytesused = NextWord();
            b.flags = NextWord();
            b.sequence = NextWord();
            b.length = NextWord();
        }
        return 0;
    }

    void* Mmap(void* addr, size_t length, int prot, int flags, off_t offset) override {
        std::unique_lock<std::mutex> lock(m_node->m_mutex);
        uint8_t sel = m_node->Selector(lock);
        if (Classify(sel) == Vanish) {
            m_bDead = true;
            m_node->m_bVanished = true;
        }
        if (m_bDead) {
            errno = ENODEV;
            return MAP_FAILED;
        }
        if (Classify(sel) == Fail) {
            errno = kErrors[sel & 15];
            return MAP_FAILED;
        }
        const Buffer* found = nullptr;
        for (const Buffer& b : m_buffers) {
            if (static_cast<off_t>(b.offset) == offset) {
                found = &b;
                break;
            }
        }
        if (found == nullptr || length == 0 || length > found->length || length > kMaxMapping ||
            (flags & MAP_SHARED) == 0) {
            errno = found == nullptr || length == 0 ? EINVAL : ENOMEM;
            return MAP_FAILED;
        }
        void* p = ::mmap(nullptr, length, prot, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
        if (p != MAP_FAILED) {
            m_node->m_mappings[p] = length;
        }
        return p;
    }

    void OnMunmap(void* addr, size_t length) override {
        std::lock_guard<std::mutex> lock(m_node->m_mutex);
        auto it = m_node->m_mappings.find(addr);
        if (it == m_node->m_mappings.end() || it->second != length) {
            ++m_node->m_nBadUnmaps;
        }
        if (it != m_node->m_mappings.end()) {
            m_node->m_mappings.erase(it);
        }
    }

    ssize_t Read(void* buf, size_t count) override {
        errno = EINVAL;
        return -1;
    }

    std::shared_ptr<CVeltoScriptedV4L2> m_node;
    bool m_bDead = false;
    bool m_bReadable = true;  // signalled when made
    bool m_bStreaming = false;
    uint32_t m_nBufType = 0;
    uint32_t m_nNextOffset = 0;
    uint32_t m_nSequence = 0;
    std::vector<Buffer> m_buffers;
    std::deque<uint32_t> m_queue;
};

std::unique_ptr<CVeltoSimHandle> CVeltoScriptedV4L2::Open(int flags, int* err) {
    std::unique_lock<std::mutex> lock(m_mutex);
    uint8_t sel = Selector(lock);
    Answer answer = Classify(sel);
    if (answer == Healthy) {
        m_bVanished = false;  // plugged in again: a new node
    } else if (answer == Vanish) {
        m_bVanished = true;
    }
    if (m_bVanished || answer == Fail) {
        *err = m_bVanished ? ENODEV : kErrors[sel & 15];
        return nullptr;
    }
    return std::unique_ptr<CVeltoSimHandle>(new Handle(shared_from_this()));
}
