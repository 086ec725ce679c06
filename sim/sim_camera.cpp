#include "sim/sim_camera.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <pthread.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <deque>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_camera_scene.h"
#include "sim/sim_v4l2_node.h"

namespace {

struct FrameSize {
    uint32_t width, height;
};
const FrameSize kSizes[] = {{640, 480}, {320, 240}, {160, 120}};
const uint32_t kRates[] = {30, 25, 20, 15, 10, 5};
const uint32_t kMaxBuffers = 32;

struct ControlInfo {
    uint32_t id;
    uint32_t type;
    const char* name;
    int32_t minimum, maximum, step, def;
};

// What a typical UVC head offers; focus, zoom, auto gain and auto hue are
// absent, as on most cheap heads.
const ControlInfo kControls[] = {
    {V4L2_CID_BRIGHTNESS, V4L2_CTRL_TYPE_INTEGER, "Brightness", -64, 64, 1, 0},
    {V4L2_CID_CONTRAST, V4L2_CTRL_TYPE_INTEGER, "Contrast", 0, 64, 1, 32},
    {V4L2_CID_SATURATION, V4L2_CTRL_TYPE_INTEGER, "Saturation", 0, 128, 1, 64},
    {V4L2_CID_HUE, V4L2_CTRL_TYPE_INTEGER, "Hue", -40, 40, 1, 0},
    {V4L2_CID_AUTO_WHITE_BALANCE, V4L2_CTRL_TYPE_BOOLEAN, "White Balance Temperature, Auto", 0, 1,
     1, 1},
    {V4L2_CID_GAMMA, V4L2_CTRL_TYPE_INTEGER, "Gamma", 72, 500, 1, 100},
    {V4L2_CID_GAIN, V4L2_CTRL_TYPE_INTEGER, "Gain", 0, 100, 1, 0},
    {V4L2_CID_POWER_LINE_FREQUENCY, V4L2_CTRL_TYPE_MENU, "Power Line Frequency", 0, 2, 1, 1},
    {V4L2_CID_WHITE_BALANCE_TEMPERATURE, V4L2_CTRL_TYPE_INTEGER, "White Balance Temperature", 2800,
     6500, 1, 4600},
    {V4L2_CID_SHARPNESS, V4L2_CTRL_TYPE_INTEGER, "Sharpness", 0, 6, 1, 3},
    {V4L2_CID_BACKLIGHT_COMPENSATION, V4L2_CTRL_TYPE_INTEGER, "Backlight Compensation", 0, 2, 1, 1},
    {V4L2_CID_EXPOSURE_AUTO, V4L2_CTRL_TYPE_MENU, "Exposure, Auto", 0, 3, 1, 3},
    {V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CTRL_TYPE_INTEGER, "Exposure (Absolute)", 1, 5000, 1, 156},
    {V4L2_CID_EXPOSURE_AUTO_PRIORITY, V4L2_CTRL_TYPE_BOOLEAN, "Exposure, Auto Priority", 0, 1, 1,
     0},
};

const ControlInfo* FindControl(uint32_t id) {
    for (const ControlInfo& c : kControls) {
        if (c.id == id) {
            return &c;
        }
    }
    return nullptr;
}

// Menu entries the head really has; the exposure menu offers only manual (1)
// and aperture priority (3).
bool MenuEntryExists(const ControlInfo& c, int32_t value) {
    if (value < c.minimum || value > c.maximum) {
        return false;
    }
    return c.id != V4L2_CID_EXPOSURE_AUTO || value == V4L2_EXPOSURE_MANUAL ||
           value == V4L2_EXPOSURE_APERTURE_PRIORITY;
}

// The supported size closest to the one asked, by the UVC driver's measure.
FrameSize NearestSize(uint32_t width, uint32_t height) {
    FrameSize best = kSizes[0];
    uint64_t bestD = UINT64_MAX;
    for (const FrameSize& s : kSizes) {
        uint64_t overlap =
            static_cast<uint64_t>(std::min(width, s.width)) * std::min(height, s.height);
        uint64_t d = static_cast<uint64_t>(width) * height +
                     static_cast<uint64_t>(s.width) * s.height - 2 * overlap;
        if (d < bestD) {
            bestD = d;
            best = s;
        }
    }
    return best;
}

uint32_t NearestRate(uint32_t numerator, uint32_t denominator) {
    if (numerator == 0 || denominator == 0) {
        return 30;
    }
    double asked = static_cast<double>(denominator) / numerator;
    uint32_t best = kRates[0];
    for (uint32_t r : kRates) {
        if (std::abs(r - asked) < std::abs(best - asked)) {
            best = r;
        }
    }
    return best;
}

class CCameraHandle : public CVeltoSimV4l2Node {
public:
    CCameraHandle(std::shared_ptr<CVeltoSimCamera> device, std::string root, std::string identity,
                  bool nonBlocking)
        : CVeltoSimV4l2Node(V4L2_BUF_TYPE_VIDEO_CAPTURE, kMaxBuffers, nonBlocking, nullptr,
                            "velto-sim-camera", device),
          m_pDevice(std::move(device)),
          m_strRoot(std::move(root)),
          m_strIdentity(std::move(identity)) {
        // A head that has no YUYV starts in the format it has.
        m_nFourcc = Faults().mjpegOnly ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
    }

    ~CCameraHandle() override { Release(); }

private:
    int DeviceIoctl(unsigned long request, void* arg) override {
        switch (request) {
            case VIDIOC_QUERYCAP:
                return FillCap(static_cast<v4l2_capability*>(arg), "uvcvideo", "UVC Camera",
                               "usb-fsl-ehci.0-1", 0x030000,
                               V4L2_CAP_VIDEO_CAPTURE | V4L2_CAP_STREAMING);
            case VIDIOC_ENUM_FMT:
                return EnumFmt(static_cast<v4l2_fmtdesc*>(arg));
            case VIDIOC_ENUM_FRAMESIZES:
                return EnumFrameSizes(static_cast<v4l2_frmsizeenum*>(arg));
            case VIDIOC_G_FMT:
                return GetFmt(static_cast<v4l2_format*>(arg));
            case VIDIOC_TRY_FMT:
                return TryFmt(static_cast<v4l2_format*>(arg), false);
            case VIDIOC_S_FMT:
                return TryFmt(static_cast<v4l2_format*>(arg), true);
            case VIDIOC_G_PARM:
            case VIDIOC_S_PARM:
                return Parm(static_cast<v4l2_streamparm*>(arg), request == VIDIOC_S_PARM);
            case VIDIOC_ENUMINPUT:
                return EnumInput(static_cast<v4l2_input*>(arg));
            case VIDIOC_G_INPUT:
                *static_cast<int*>(arg) = 0;
                return 0;
            case VIDIOC_S_INPUT:
                return *static_cast<int*>(arg) == 0 ? 0 : Fail(EINVAL);
            case VIDIOC_QUERYCTRL:
                return QueryCtrl(static_cast<v4l2_queryctrl*>(arg));
            case VIDIOC_QUERYMENU:
                return QueryMenu(static_cast<v4l2_querymenu*>(arg));
            case VIDIOC_G_CTRL:
                return GetCtrl(static_cast<v4l2_control*>(arg));
            case VIDIOC_S_CTRL:
                return SetCtrl(static_cast<v4l2_control*>(arg));
            default:
                return Fail(ENOTTY);
        }
    }

    size_t FrameBytes() const { return static_cast<size_t>(m_nWidth) * m_nHeight * 2; }

    VeltoSimCameraFaults Faults() const { return VeltoSimCameraReadFaults(m_strRoot); }

    // The node is gone once its marker file is, or holds another node's
    // identity (the head was re-enumerated); noticed at most once per call or
    // frame tick, and never undone for this handle.
    bool CheckGone() override {
        if (m_bGone) {
            return true;
        }
        if (VeltoSimCameraNodeIdentity(m_strRoot) != m_strIdentity) {
            std::lock_guard<std::mutex> lock(m_mutex);
            MarkGoneLocked();
            return true;
        }
        return false;
    }

    // The one format the head offers.
    uint32_t OfferedFormat() const {
        return Faults().mjpegOnly ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
    }

    int EnumFmt(v4l2_fmtdesc* desc) {
        if (desc->type != V4L2_BUF_TYPE_VIDEO_CAPTURE || desc->index != 0) {
            return Fail(EINVAL);
        }
        uint32_t index = desc->index;
        uint32_t fourcc = OfferedFormat();
        memset(desc, 0, sizeof *desc);
        desc->index = index;
        desc->type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (fourcc == V4L2_PIX_FMT_MJPEG) {
            desc->flags = V4L2_FMT_FLAG_COMPRESSED;
        }
        strncpy(reinterpret_cast<char*>(desc->description),
                fourcc == V4L2_PIX_FMT_MJPEG ? "Motion-JPEG" : "YUYV 4:2:2",
                sizeof desc->description - 1);
        desc->pixelformat = fourcc;
        return 0;
    }

    int EnumFrameSizes(v4l2_frmsizeenum* e) {
        if (e->pixel_format != OfferedFormat() || e->index >= sizeof kSizes / sizeof kSizes[0]) {
            return Fail(EINVAL);
        }
        e->type = V4L2_FRMSIZE_TYPE_DISCRETE;
        e->discrete.width = kSizes[e->index].width;
        e->discrete.height = kSizes[e->index].height;
        return 0;
    }

    void FillPix(v4l2_pix_format& pix, uint32_t fourcc, uint32_t width, uint32_t height) const {
        memset(&pix, 0, sizeof pix);
        pix.width = width;
        pix.height = height;
        pix.pixelformat = fourcc;
        pix.field = V4L2_FIELD_NONE;
        // Compressed frames have no line pitch; the buffer holds the largest
        // frame the head may send.
        pix.bytesperline = fourcc == V4L2_PIX_FMT_MJPEG ? 0 : width * 2;
        pix.sizeimage = width * height * 2;
        pix.colorspace = V4L2_COLORSPACE_SRGB;
    }

    int GetFmt(v4l2_format* fmt) {
        if (fmt->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            return Fail(EINVAL);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        FillPix(fmt->fmt.pix, m_nFourcc, m_nWidth, m_nHeight);
        return 0;
    }

    int TryFmt(v4l2_format* fmt, bool set) {
        if (fmt->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            return Fail(EINVAL);
        }
        // The head has one format; like the UVC driver, a format it lacks is
        // replaced by it, and the size by the nearest it has (or the one a
        // "grant" fault forces).
        VeltoSimCameraFaults faults = Faults();
        uint32_t fourcc = faults.mjpegOnly ? V4L2_PIX_FMT_MJPEG : V4L2_PIX_FMT_YUYV;
        FrameSize s = NearestSize(fmt->fmt.pix.width, fmt->fmt.pix.height);
        if (faults.grantWidth != 0 && faults.grantHeight != 0) {
            s = {faults.grantWidth, faults.grantHeight};
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (set && !m_buffers.empty()) {
            return Fail(EBUSY);
        }
        FillPix(fmt->fmt.pix, fourcc, s.width, s.height);
        if (set) {
            m_nFourcc = fourcc;
            m_nWidth = s.width;
            m_nHeight = s.height;
        }
        return 0;
    }

    int Parm(v4l2_streamparm* parm, bool set) {
        if (parm->type != V4L2_BUF_TYPE_VIDEO_CAPTURE) {
            return Fail(EINVAL);
        }
        std::lock_guard<std::mutex> lock(m_mutex);
        if (set) {
            const v4l2_fract& t = parm->parm.capture.timeperframe;
            m_nFps = NearestRate(t.numerator, t.denominator);
        }
        memset(&parm->parm, 0, sizeof parm->parm);
        parm->parm.capture.capability = V4L2_CAP_TIMEPERFRAME;
        parm->parm.capture.timeperframe.numerator = 1;
        parm->parm.capture.timeperframe.denominator = m_nFps;
        parm->parm.capture.readbuffers = 0;
        return 0;
    }

    int EnumInput(v4l2_input* input) {
        if (input->index != 0) {
            return Fail(EINVAL);
        }
        memset(input, 0, sizeof *input);
        strncpy(reinterpret_cast<char*>(input->name), "Camera 1", sizeof input->name - 1);
        input->type = V4L2_INPUT_TYPE_CAMERA;
        return 0;
    }

    int Fault(Call call) override {
        switch (call) {
            case Call::ReqBufs:
                return m_pDevice->TakeFault(VeltoSimCameraCall::ReqBufs);
            case Call::StreamOn:
                return m_pDevice->TakeFault(VeltoSimCameraCall::StreamOn);
            case Call::DQBuf:
                if (int err = m_pDevice->TakeFault(VeltoSimCameraCall::DqBuf)) {
                    return err;
                }
                return WindowFault(Faults());
            default:
                return 0;
        }
    }

    // As the UVC driver: every buffer holds the largest frame of the format.
    int AllocateLocked(uint32_t count) override { return m_mem.Allocate(count, FrameBytes()); }

    void DescribeBufferLocked(const Buffer& b, v4l2_buffer* buf) const override {
        buf->length = static_cast<uint32_t>(FrameBytes());
        buf->bytesused = b.bytesused;
        buf->timestamp = b.timestamp;
        buf->flags = V4L2_BUF_FLAG_TIMESTAMP_MONOTONIC;
        if (b.error) {
            buf->flags |= V4L2_BUF_FLAG_ERROR;
        }
    }

    // Blocking reader: wake now and then to notice an unplug.
    void WaitForDoneLocked(std::unique_lock<std::mutex>& lock) override {
        m_cond.wait_for(lock, std::chrono::milliseconds(200));
        lock.unlock();
        CheckGone();
        lock.lock();
    }

    void StreamStartingLocked() override {
        m_nSequence = 0;
        m_pDevice->CountStreamOn();
    }

    // Frame timer of a streaming handle: one frame every 1/fps seconds into
    // the oldest queued buffer; lost when no buffer is queued.
    void WorkerLoop() override {
        pthread_setname_np(pthread_self(), "sim-camera");  // benchmarks leave it out
        using Clock = std::chrono::steady_clock;
        std::unique_lock<std::mutex> lock(m_mutex);
        auto period = std::chrono::microseconds(1000000 / std::max(1u, m_nFps));
        Clock::time_point next = Clock::now();
        while (!m_bStop) {
            next += period;
            m_cond.wait_until(lock, next, [this] { return m_bStop; });
            if (m_bStop) {
                break;
            }
            Clock::time_point now = Clock::now();
            if (next + period < now) {
                next = now;  // fell behind (a slow host): no burst of late frames
            }
            lock.unlock();
            bool gone = CheckGone();
            lock.lock();
            if (gone) {
                break;
            }
            if (m_pDevice->IsStalled()) {
                continue;
            }
            lock.unlock();
            VeltoSimCameraFaults faults = Faults();
            lock.lock();
            uint32_t sequence = m_nSequence++;
            if (WindowFault(faults) != 0) {
                // The queue is in error: select reports it, dequeues fail.
                m_pDevice->CountFrame(false);
                SignalReadable();
                continue;
            }
            if (m_queued.empty()) {
                m_pDevice->CountFrame(false);
                continue;
            }
            uint32_t index = m_queued.front();
            m_queued.pop_front();
            Buffer& b = m_buffers[index];
            b.state = BufState::Active;
            uint32_t width = m_nWidth, height = m_nHeight, fourcc = m_nFourcc;
            VeltoSimSceneLook look = Look();
            uint8_t* pixels = m_mem.Pixels(index);
            bool spoiled = m_pDevice->TakeBadFrame(faults, sequence);
            lock.unlock();
            long fixed = m_pDevice->FixedFrame();
            uint32_t shown = fixed >= 0 ? static_cast<uint32_t>(fixed) : sequence;
            size_t used = FrameBytes();
            if (fourcc == V4L2_PIX_FMT_MJPEG) {
                used = DrawCompressed(pixels, FrameBytes(), sequence);
            } else if (spoiled && sequence % 2 != 0) {
                // Cut short: the tail keeps what the buffer held before.
                used = FrameBytes() / 2;
                uint8_t* whole = new uint8_t[FrameBytes()];
                VeltoSimDrawScene(whole, static_cast<int>(width), static_cast<int>(height), shown,
                                  look);
                memcpy(pixels, whole, used);
                delete[] whole;
            } else {
                VeltoSimDrawScene(pixels, static_cast<int>(width), static_cast<int>(height), shown,
                                  look);
                if (spoiled) {
                    // Packets lost in the middle of the picture.
                    memset(pixels + FrameBytes() / 3, 0, FrameBytes() / 3);
                }
            }
            lock.lock();
            struct timespec ts;
            clock_gettime(CLOCK_MONOTONIC, &ts);
            b.timestamp.tv_sec = ts.tv_sec;
            b.timestamp.tv_usec = ts.tv_nsec / 1000;
            b.sequence = sequence;
            m_pDevice->NoteCapture(sequence,
                                   static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000);
            b.bytesused = static_cast<uint32_t>(used);
            b.error = spoiled && sequence % 2 == 0;
            b.state = BufState::Done;
            m_done.push_back(index);
            m_pDevice->CountFrame(true);
            SignalReadable();
            m_cond.notify_all();
        }
    }

    // The dequeue error of an "eio" or "einval" fault in force; 0 when none is.
    static int WindowFault(const VeltoSimCameraFaults& faults) {
        long long now = VeltoSimCameraNowMs();
        if (now < faults.eioUntilMs) {
            return EIO;
        }
        return now < faults.einvalUntilMs ? EINVAL : 0;
    }

    // A frame of a head that sends Motion-JPEG: markers of a JPEG stream
    // around filler, of a length that varies as compressed frames do. Not a
    // picture anyone can decode; only a firmware that takes it for YUYV
    // would show it.
    static size_t DrawCompressed(uint8_t* p, size_t capacity, uint32_t sequence) {
        size_t used = std::min(capacity, capacity / 8 + (sequence % 16) * 64 + 64);
        memset(p, 0x5A, used);
        static const uint8_t kStart[] = {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'A', 'V', 'I', '1'};
        memcpy(p, kStart, sizeof kStart);
        p[used - 2] = 0xFF;
        p[used - 1] = 0xD9;
        return used;
    }

    VeltoSimSceneLook Look() const {
        const ControlInfo* sat = FindControl(V4L2_CID_SATURATION);
        VeltoSimSceneLook look;
        look.brightness = m_pDevice->ControlValue(m_strIdentity, V4L2_CID_BRIGHTNESS);
        look.saturationPercent =
            m_pDevice->ControlValue(m_strIdentity, V4L2_CID_SATURATION) * 100 / sat->def;
        return look;
    }

    int QueryCtrl(v4l2_queryctrl* q) {
        uint32_t id = q->id;
        const ControlInfo* c = nullptr;
        if (id & V4L2_CTRL_FLAG_NEXT_CTRL) {
            uint32_t after = id & ~V4L2_CTRL_FLAG_NEXT_CTRL;
            for (const ControlInfo& info : kControls) {
                if (info.id > after && (c == nullptr || info.id < c->id)) {
                    c = &info;
                }
            }
        } else {
            c = FindControl(id);
        }
        if (c == nullptr) {
            return Fail(EINVAL);
        }
        memset(q, 0, sizeof *q);
        q->id = c->id;
        q->type = c->type;
        strncpy(reinterpret_cast<char*>(q->name), c->name, sizeof q->name - 1);
        q->minimum = c->minimum;
        q->maximum = c->maximum;
        q->step = c->step;
        q->default_value = c->def;
        return 0;
    }

    int QueryMenu(v4l2_querymenu* m) {
        const ControlInfo* c = FindControl(m->id);
        if (c == nullptr || c->type != V4L2_CTRL_TYPE_MENU ||
            !MenuEntryExists(*c, static_cast<int32_t>(m->index))) {
            return Fail(EINVAL);
        }
        snprintf(reinterpret_cast<char*>(m->name), sizeof m->name, "Entry %u", m->index);
        return 0;
    }

    int GetCtrl(v4l2_control* ctrl) {
        if (FindControl(ctrl->id) == nullptr) {
            return Fail(EINVAL);
        }
        ctrl->value = m_pDevice->ControlValue(m_strIdentity, ctrl->id);
        return 0;
    }

    int SetCtrl(v4l2_control* ctrl) {
        const ControlInfo* c = FindControl(ctrl->id);
        if (c == nullptr) {
            return Fail(EINVAL);
        }
        int32_t value = ctrl->value;
        if (c->type == V4L2_CTRL_TYPE_MENU) {
            if (value < c->minimum || value > c->maximum) {
                return Fail(ERANGE);
            }
            if (!MenuEntryExists(*c, value)) {
                return Fail(EINVAL);
            }
        } else {
            // Integers and booleans are clamped and rounded to the step.
            value = std::min(std::max(value, c->minimum), c->maximum);
            value = c->minimum + (value - c->minimum + c->step / 2) / c->step * c->step;
            value = std::min(value, c->maximum);
        }
        m_pDevice->StoreControlValue(m_strIdentity, c->id, value);
        ctrl->value = value;
        return 0;
    }

    std::shared_ptr<CVeltoSimCamera> m_pDevice;
    const std::string m_strRoot;
    const std::string m_strIdentity;  // of the node this handle opened
    uint32_t m_nFourcc = V4L2_PIX_FMT_YUYV;
    uint32_t m_nWidth = 640;
    uint32_t m_nHeight = 480;
    uint32_t m_nFps = 30;
};

}  // namespace

std::shared_ptr<CVeltoSimCamera> CVeltoSimCamera::GetInstance() {
    static std::shared_ptr<CVeltoSimCamera> camera(new CVeltoSimCamera());
    return camera;
}

std::unique_ptr<CVeltoSimHandle> CVeltoSimCamera::Open(int flags, int* err) {
    std::string root = CVeltoSimBoard::GetInstance().Root();
    std::string identity = VeltoSimCameraNodeIdentity(root);
    if (identity.empty()) {
        *err = ENOENT;
        return nullptr;
    }
    return std::unique_ptr<CVeltoSimHandle>(
        new CCameraHandle(GetInstance(), root, identity, (flags & O_NONBLOCK) != 0));
}

int32_t CVeltoSimCamera::ControlValue(const std::string& identity, uint32_t id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SelectNodeLocked(identity);
    auto it = m_values.find(id);
    return it == m_values.end() ? 0 : it->second;
}

void CVeltoSimCamera::StoreControlValue(const std::string& identity, uint32_t id, int32_t value) {
    std::lock_guard<std::mutex> lock(m_mutex);
    SelectNodeLocked(identity);
    m_values[id] = value;
}

void CVeltoSimCamera::SelectNodeLocked(const std::string& identity) {
    // The head keeps its settings while powered; a new enumeration (replug,
    // USB reset) starts from the defaults.
    if (identity == m_strValuesIdentity && !m_values.empty()) {
        return;
    }
    m_strValuesIdentity = identity;
    m_values.clear();
    for (const ControlInfo& c : kControls) {
        m_values[c.id] = c.def;
    }
}

bool CVeltoSimCamera::TakeBadFrame(const VeltoSimCameraFaults& faults, uint32_t sequence) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (faults.badFramesTag != m_nBadFramesTag) {
        m_nBadFramesTag = faults.badFramesTag;
        m_nBadFramesLeft = faults.badFrames;
    }
    if (m_nBadFramesLeft <= 0) {
        return false;
    }
    --m_nBadFramesLeft;
    m_spoiled.push_back(sequence);
    return true;
}

std::vector<uint32_t> CVeltoSimCamera::SpoiledFrames() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_spoiled;
}

void CVeltoSimCamera::FailNext(VeltoSimCameraCall call, int err, int count) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_nFailErr[static_cast<int>(call)] = err;
    m_nFailCount[static_cast<int>(call)] = count;
}

void CVeltoSimCamera::SetStalled(bool stalled) {
    m_bStalled = stalled;
}

void CVeltoSimCamera::ResetFaults() {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (int i = 0; i < 3; ++i) {
        m_nFailErr[i] = 0;
        m_nFailCount[i] = 0;
    }
    m_bStalled = false;
    m_nFixedFrame = -1;
    m_spoiled.clear();
}

int CVeltoSimCamera::TakeFault(VeltoSimCameraCall call) {
    std::lock_guard<std::mutex> lock(m_mutex);
    int i = static_cast<int>(call);
    if (m_nFailCount[i] <= 0) {
        return 0;
    }
    --m_nFailCount[i];
    return m_nFailErr[i];
}

long long CVeltoSimCamera::CaptureMicros(uint32_t sequence) {
    std::lock_guard<std::mutex> lock(m_mutex);
    const Capture& c = m_captures[sequence % 256];
    return c.sequence == sequence ? c.micros : -1;
}

void CVeltoSimCamera::NoteCapture(uint32_t sequence, long long micros) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_captures[sequence % 256] = Capture{sequence, micros};
}
