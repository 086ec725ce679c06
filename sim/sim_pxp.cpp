#include "sim/sim_pxp.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/videodev2.h>
#include <pthread.h>
#include <stdint.h>
#include <string.h>
#include <sys/mman.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board.h"
#include "sim/sim_files.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_v4l2_node.h"

const char kVeltoSimPxpNode[] = "/dev/video0";
const char kVeltoSimPxpSysDir[] = "/sys/class/video4linux/video0";

bool VeltoSimPxpInstall(const std::string& root) {
    std::string sysDir = root + kVeltoSimPxpSysDir;
    return VeltoSim::MakeDirs(sysDir) && VeltoSim::WriteText(sysDir + "/name", "PxP\n") &&
           VeltoSim::WriteText(root + kVeltoSimPxpNode, "");
}

namespace {

const uint32_t kMaxBuffers = 4;
const uint32_t kMaxSide = 2048;

bool IsKnownFormat(uint32_t fourcc) {
    return fourcc == V4L2_PIX_FMT_YUV422P || fourcc == V4L2_PIX_FMT_YUV420 ||
           fourcc == V4L2_PIX_FMT_RGB565 || fourcc == V4L2_PIX_FMT_RGB32;
}

uint32_t ImageBytes(uint32_t fourcc, uint32_t width, uint32_t height) {
    switch (fourcc) {
        case V4L2_PIX_FMT_YUV420:
            return width * height * 3 / 2;
        case V4L2_PIX_FMT_RGB32:
            return width * height * 4;
        default:
            return width * height * 2;
    }
}

void ScreenSize(int* width, int* height) {
    CVeltoSimFramebuffer::GetInstance()->Size(width, height);
}

long long MonotonicMicros() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

uint32_t Clamp255(int v) {
    return static_cast<uint32_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

}  // namespace

// What the driver keeps between opens.
struct CVeltoSimPxp::State {
    std::mutex mutex;
    // Orders what reaches the overlay plane, taken before `mutex`: a frame in
    // flight cannot land after a switch away from the screen has cleared it.
    std::mutex showMutex;
    v4l2_pix_format pix;
    v4l2_window win;
    v4l2_rect crop;
    uint32_t fbufFlags = 0;
    int rotate = 0;
    int hflip = 0;
    int vflip = 0;
    int overlay = 0;
    int output = 0;
    bool shown = false;           // the overlay plane holds a picture of ours
    const void* owner = nullptr;  // the handle whose buffers exist
    std::string board;            // root of the board this state was powered on for

    // Power-on state for the current screen size. Not done at construction:
    // the board may still be making its devices then.
    void Reset() {
        int w, h;
        ScreenSize(&w, &h);
        memset(&pix, 0, sizeof pix);
        pix.width = static_cast<uint32_t>(w);
        pix.height = static_cast<uint32_t>(h);
        pix.pixelformat = V4L2_PIX_FMT_YUV422P;
        pix.field = V4L2_FIELD_NONE;
        pix.bytesperline = pix.width;
        pix.sizeimage = ImageBytes(pix.pixelformat, pix.width, pix.height);
        memset(&win, 0, sizeof win);
        win.w = {0, 0, static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
        win.field = V4L2_FIELD_NONE;
        crop = {0, 0, static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
        fbufFlags = 0;
        rotate = hflip = vflip = overlay = output = 0;
        shown = false;
    }
};

namespace {

// One picture as the hardware takes it: the settings of the moment.
struct Job {
    v4l2_pix_format pix;
    v4l2_rect source;  // window cut to the picture
    v4l2_rect crop;
    int rotate, hflip, vflip;
    CVeltoSimOverlayBlend blend;
};

// What the framebuffer overlay set-up makes of the picture on the screen.
// Without the overlay flag or the driver's overlay control the picture
// stays in memory; without chroma key or alpha the UI covers it all.
CVeltoSimOverlayBlend BlendOf(uint32_t fbufFlags, int overlay, const v4l2_window& win) {
    CVeltoSimOverlayBlend b;
    b.shown = (fbufFlags & V4L2_FBUF_FLAG_OVERLAY) != 0 && overlay == 1;
    b.chromaKey = (fbufFlags & V4L2_FBUF_FLAG_CHROMAKEY) != 0;
    b.key = win.chromakey & 0xFFFFFFu;
    b.globalAlpha = (fbufFlags & V4L2_FBUF_FLAG_GLOBAL_ALPHA) != 0;
    b.alpha = win.global_alpha;
    b.localAlpha = (fbufFlags & V4L2_FBUF_FLAG_LOCAL_ALPHA) != 0;
    b.localInvAlpha = (fbufFlags & V4L2_FBUF_FLAG_LOCAL_INV_ALPHA) != 0;
    return b;
}

// Source pixel for destination pixel (dx, dy) of the crop rectangle: the
// picture is flipped, then rotated clockwise, then scaled to the crop.
void SourceOf(const Job& j, int dx, int dy, int* sx, int* sy) {
    int sw = static_cast<int>(j.source.width), sh = static_cast<int>(j.source.height);
    bool turned = j.rotate == 90 || j.rotate == 270;
    int ow = turned ? sh : sw, oh = turned ? sw : sh;
    int ox = static_cast<int>(static_cast<long long>(dx) * ow / j.crop.width);
    int oy = static_cast<int>(static_cast<long long>(dy) * oh / j.crop.height);
    int x, y;
    switch (j.rotate) {
        case 90:
            x = oy;
            y = sh - 1 - ox;
            break;
        case 180:
            x = sw - 1 - ox;
            y = sh - 1 - oy;
            break;
        case 270:
            x = sw - 1 - oy;
            y = ox;
            break;
        default:
            x = ox;
            y = oy;
            break;
    }
    if (j.hflip) {
        x = sw - 1 - x;
    }
    if (j.vflip) {
        y = sh - 1 - y;
    }
    *sx = x + j.source.left;
    *sy = y + j.source.top;
}

// Planar YUV 4:2:2 with signed chroma (the display path stores U - 128 and
// V - 128) to the overlay plane's 0xAARRGGBB.
void Render(const Job& j, const uint8_t* planes, std::vector<uint32_t>& out, int screenW,
            int screenH) {
    out.assign(static_cast<size_t>(screenW) * screenH, 0xFF000000u);
    const uint32_t w = j.pix.width, h = j.pix.height;
    const uint8_t* yPlane = planes;
    const uint8_t* uPlane = planes + w * h;
    const uint8_t* vPlane = uPlane + w * h / 2;
    bool planar422 = j.pix.pixelformat == V4L2_PIX_FMT_YUV422P;
    for (uint32_t dy = 0; dy < j.crop.height; ++dy) {
        int py = j.crop.top + static_cast<int>(dy);
        if (py < 0 || py >= screenH) {
            continue;
        }
        uint32_t* row = &out[static_cast<size_t>(py) * screenW];
        for (uint32_t dx = 0; dx < j.crop.width; ++dx) {
            int px = j.crop.left + static_cast<int>(dx);
            if (px < 0 || px >= screenW) {
                continue;
            }
            int sx, sy;
            SourceOf(j, static_cast<int>(dx), static_cast<int>(dy), &sx, &sy);
            int Y = yPlane[sy * w + sx];
            int u = 0, v = 0;
            if (planar422) {
                size_t c = static_cast<size_t>(sy) * (w / 2) + sx / 2;
                u = static_cast<int8_t>(uPlane[c]);
                v = static_cast<int8_t>(vPlane[c]);
            }
            uint32_t r = Clamp255(Y + ((359 * v) >> 8));
            uint32_t g = Clamp255(Y - ((88 * u + 183 * v) >> 8));
            uint32_t b = Clamp255(Y + ((454 * u) >> 8));
            row[px] = 0xFF000000u | r << 16 | g << 8 | b;
        }
    }
}

class CPxpHandle : public CVeltoSimV4l2Node {
public:
    CPxpHandle(std::shared_ptr<CVeltoSimPxp> device, bool nonBlocking)
        : CVeltoSimV4l2Node(V4L2_BUF_TYPE_VIDEO_OUTPUT, kMaxBuffers, nonBlocking,
                            &device->GetState().mutex, "velto-sim-pxp", device),
          m_pDevice(std::move(device)),
          m_state(m_pDevice->GetState()) {}

    ~CPxpHandle() override { Release(); }

private:
    int DeviceIoctl(unsigned long request, void* arg) override {
        switch (request) {
            case VIDIOC_QUERYCAP:
                return FillCap(
                    static_cast<v4l2_capability*>(arg), "pxp", "PxP", "platform:pxp", 0x020624,
                    V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY | V4L2_CAP_STREAMING);
            case VIDIOC_G_FMT:
                return GetFmt(static_cast<v4l2_format*>(arg));
            case VIDIOC_S_FMT:
            case VIDIOC_TRY_FMT:
                return SetFmt(static_cast<v4l2_format*>(arg), request == VIDIOC_S_FMT);
            case VIDIOC_G_FBUF:
                return GetFbuf(static_cast<v4l2_framebuffer*>(arg));
            case VIDIOC_S_FBUF:
                return SetFbuf(static_cast<v4l2_framebuffer*>(arg));
            case VIDIOC_QUERYCTRL:
                return QueryCtrl(static_cast<v4l2_queryctrl*>(arg));
            case VIDIOC_G_CTRL:
            case VIDIOC_S_CTRL:
                return Ctrl(static_cast<v4l2_control*>(arg), request == VIDIOC_S_CTRL);
            case VIDIOC_G_OUTPUT:
                return GetOutput(static_cast<int*>(arg));
            case VIDIOC_S_OUTPUT:
                return SetOutput(*static_cast<int*>(arg));
            case VIDIOC_ENUMOUTPUT:
                return EnumOutput(static_cast<v4l2_output*>(arg));
            case VIDIOC_CROPCAP:
                return CropCap(static_cast<v4l2_cropcap*>(arg));
            case VIDIOC_G_CROP:
            case VIDIOC_S_CROP:
                return Crop(static_cast<v4l2_crop*>(arg), request == VIDIOC_S_CROP);
            default:
                return Fail(ENOTTY);
        }
    }

    int GetFmt(v4l2_format* fmt) {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        if (fmt->type == V4L2_BUF_TYPE_VIDEO_OUTPUT) {
            fmt->fmt.pix = m_state.pix;
            return 0;
        }
        if (fmt->type == V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
            fmt->fmt.win = m_state.win;
            fmt->fmt.win.clips = nullptr;
            fmt->fmt.win.clipcount = 0;
            fmt->fmt.win.bitmap = nullptr;
            return 0;
        }
        return Fail(EINVAL);
    }

    int SetFmt(v4l2_format* fmt, bool set) {
        int screenW, screenH;
        ScreenSize(&screenW, &screenH);
        std::lock_guard<std::mutex> lock(m_state.mutex);
        if (fmt->type == V4L2_BUF_TYPE_VIDEO_OUTPUT) {
            v4l2_pix_format& pix = fmt->fmt.pix;
            if (!IsKnownFormat(pix.pixelformat)) {
                pix.pixelformat = V4L2_PIX_FMT_YUV422P;  // drivers replace, not refuse
            }
            pix.width = std::min(std::max(pix.width, 8u), kMaxSide) & ~1u;
            pix.height = std::min(std::max(pix.height, 8u), kMaxSide);
            pix.field = V4L2_FIELD_NONE;
            pix.bytesperline = pix.pixelformat == V4L2_PIX_FMT_RGB32    ? pix.width * 4
                               : pix.pixelformat == V4L2_PIX_FMT_RGB565 ? pix.width * 2
                                                                        : pix.width;
            pix.sizeimage = ImageBytes(pix.pixelformat, pix.width, pix.height);
            pix.colorspace = V4L2_COLORSPACE_SMPTE170M;
            if (!set) {
                return 0;
            }
            // While buffers exist a new picture must still fit into them.
            if (!m_mem.Empty() && pix.sizeimage > m_mem.Length()) {
                return Fail(EBUSY);
            }
            if (m_state.owner != nullptr && m_state.owner != this) {
                return Fail(EBUSY);
            }
            m_state.pix = pix;
            return 0;
        }
        if (fmt->type == V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
            v4l2_window& win = fmt->fmt.win;
            win.w.left = std::min(std::max(win.w.left, 0), screenW - 1);
            win.w.top = std::min(std::max(win.w.top, 0), screenH - 1);
            win.w.width =
                std::min(std::max(win.w.width, 1u), static_cast<uint32_t>(screenW - win.w.left));
            win.w.height =
                std::min(std::max(win.w.height, 1u), static_cast<uint32_t>(screenH - win.w.top));
            win.field = V4L2_FIELD_NONE;
            win.clips = nullptr;
            win.clipcount = 0;
            win.bitmap = nullptr;
            if (set) {
                m_state.win = win;
            }
            return 0;
        }
        return Fail(EINVAL);
    }

    int GetFbuf(v4l2_framebuffer* fb) {
        int w, h;
        ScreenSize(&w, &h);
        std::lock_guard<std::mutex> lock(m_state.mutex);
        memset(fb, 0, sizeof *fb);
        fb->capability = V4L2_FBUF_CAP_EXTERNOVERLAY | V4L2_FBUF_CAP_CHROMAKEY |
                         V4L2_FBUF_CAP_GLOBAL_ALPHA | V4L2_FBUF_CAP_LOCAL_ALPHA |
                         V4L2_FBUF_CAP_LOCAL_INV_ALPHA;
        fb->flags = m_state.fbufFlags;
        fb->fmt.width = static_cast<uint32_t>(w);
        fb->fmt.height = static_cast<uint32_t>(h);
        fb->fmt.pixelformat = V4L2_PIX_FMT_RGB32;
        fb->fmt.bytesperline = static_cast<uint32_t>(w) * 4;
        fb->fmt.sizeimage = static_cast<uint32_t>(w * h * 4);
        return 0;
    }

    int SetFbuf(v4l2_framebuffer* fb) {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        m_state.fbufFlags = fb->flags & (V4L2_FBUF_FLAG_OVERLAY | V4L2_FBUF_FLAG_CHROMAKEY |
                                         V4L2_FBUF_FLAG_GLOBAL_ALPHA | V4L2_FBUF_FLAG_LOCAL_ALPHA |
                                         V4L2_FBUF_FLAG_LOCAL_INV_ALPHA);
        return 0;
    }

    static bool KnownControl(uint32_t id) {
        return id == kVeltoSimPxpRotateCid || id == kVeltoSimPxpOverlayCid ||
               id == V4L2_CID_HFLIP || id == V4L2_CID_VFLIP;
    }

    int QueryCtrl(v4l2_queryctrl* q) {
        uint32_t id = q->id;
        if (!KnownControl(id)) {
            return Fail(EINVAL);
        }
        memset(q, 0, sizeof *q);
        q->id = id;
        if (id == kVeltoSimPxpRotateCid) {
            q->type = V4L2_CTRL_TYPE_INTEGER;
            q->maximum = 270;
            q->step = 90;
            strncpy(reinterpret_cast<char*>(q->name), "Rotation", sizeof q->name - 1);
        } else {
            q->type = V4L2_CTRL_TYPE_BOOLEAN;
            q->maximum = 1;
            q->step = 1;
            const char* name = id == V4L2_CID_HFLIP   ? "Horizontal Flip"
                               : id == V4L2_CID_VFLIP ? "Vertical Flip"
                                                      : "Video Overlay";
            strncpy(reinterpret_cast<char*>(q->name), name, sizeof q->name - 1);
        }
        return 0;
    }

    int Ctrl(v4l2_control* c, bool set) {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        int* value = c->id == kVeltoSimPxpRotateCid    ? &m_state.rotate
                     : c->id == kVeltoSimPxpOverlayCid ? &m_state.overlay
                     : c->id == V4L2_CID_HFLIP         ? &m_state.hflip
                     : c->id == V4L2_CID_VFLIP         ? &m_state.vflip
                                                       : nullptr;
        if (value == nullptr) {
            return Fail(EINVAL);
        }
        if (!set) {
            c->value = *value;
            return 0;
        }
        if (c->id == kVeltoSimPxpRotateCid) {
            if (c->value < 0 || c->value > 270 || c->value % 90 != 0) {
                return Fail(EINVAL);
            }
        } else if (c->value < 0 || c->value > 1) {
            return Fail(ERANGE);
        }
        *value = c->value;
        return 0;
    }

    int GetOutput(int* output) {
        std::lock_guard<std::mutex> lock(m_state.mutex);
        *output = m_state.output;
        return 0;
    }

    int SetOutput(int output) {
        std::lock_guard<std::mutex> show(m_state.showMutex);
        bool clear = false;
        {
            std::lock_guard<std::mutex> lock(m_state.mutex);
            if (output != 0 && output != 1) {
                return Fail(EINVAL);
            }
            m_state.output = output;
            clear = output != 0 && m_state.shown;
            if (clear) {
                m_state.shown = false;
            }
        }
        if (clear) {
            CVeltoSimFramebuffer::GetInstance()->WriteOverlay(nullptr, 0, 0, 0);
        }
        return 0;
    }

    int EnumOutput(v4l2_output* out) {
        if (out->index > 1) {
            return Fail(EINVAL);
        }
        uint32_t index = out->index;
        memset(out, 0, sizeof *out);
        out->index = index;
        out->type = V4L2_OUTPUT_TYPE_ANALOG;  // the driver's own choice for both
        strncpy(reinterpret_cast<char*>(out->name),
                index == 0 ? "Overlay on screen" : "Memory only", sizeof out->name - 1);
        return 0;
    }

    int CropCap(v4l2_cropcap* cap) {
        if (cap->type != V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
            return Fail(EINVAL);
        }
        int w, h;
        ScreenSize(&w, &h);
        cap->bounds = {0, 0, static_cast<uint32_t>(w), static_cast<uint32_t>(h)};
        cap->defrect = cap->bounds;
        cap->pixelaspect = {1, 1};
        return 0;
    }

    int Crop(v4l2_crop* crop, bool set) {
        if (crop->type != V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY) {
            return Fail(EINVAL);
        }
        int w, h;
        ScreenSize(&w, &h);
        std::lock_guard<std::mutex> lock(m_state.mutex);
        if (!set) {
            crop->c = m_state.crop;
            return 0;
        }
        v4l2_rect r = crop->c;
        if (r.width == 0 || r.height == 0 || r.left < 0 || r.top < 0 || r.left >= w || r.top >= h) {
            return Fail(EINVAL);
        }
        r.width = std::min(r.width, static_cast<uint32_t>(w - r.left));
        r.height = std::min(r.height, static_cast<uint32_t>(h - r.top));
        m_state.crop = r;
        crop->c = r;
        return 0;
    }

    // Buffers belong to the descriptor that requested them.
    bool BuffersBusyLocked() const override {
        return m_state.owner != nullptr && m_state.owner != this;
    }

    int AllocateLocked(uint32_t count) override {
        if (m_mem.Allocate(count, m_state.pix.sizeimage) != 0) {
            return ENOMEM;
        }
        m_state.owner = this;
        return 0;
    }

    void FreeBuffersLocked() override {
        CVeltoSimV4l2Node::FreeBuffersLocked();
        if (m_state.owner == this) {
            m_state.owner = nullptr;
        }
    }

    void DescribeBufferLocked(const Buffer&, v4l2_buffer* buf) const override {
        buf->length = static_cast<uint32_t>(m_mem.Length());
        buf->bytesused = m_state.pix.sizeimage;
    }

    int Fault(Call call) override { return call == Call::QBuf ? m_pDevice->TakeQueueFault() : 0; }

    // A stopped stream takes its picture off the screen; no frame of it is
    // in flight any more.
    void StreamStopped() override {
        std::lock_guard<std::mutex> show(m_state.showMutex);
        bool clear = false;
        {
            std::lock_guard<std::mutex> lock(m_state.mutex);
            clear = m_state.owner == this && m_state.shown;
            if (clear) {
                m_state.shown = false;
            }
        }
        if (clear) {
            CVeltoSimFramebuffer::GetInstance()->WriteOverlay(nullptr, 0, 0, 0);
        }
    }

    // The pixel pipeline: takes queued buffers in order, shows each and
    // hands it back as done.
    void WorkerLoop() override {
        pthread_setname_np(pthread_self(), "sim-pxp");  // benchmarks leave it out
        std::vector<uint32_t> picture;
        std::unique_lock<std::mutex> lock(m_state.mutex);
        while (!m_bStop) {
            if (m_queued.empty()) {
                m_cond.wait(lock);
                continue;
            }
            uint32_t index = m_queued.front();
            m_queued.pop_front();
            Buffer& b = m_buffers[index];
            b.state = BufState::Active;
            Job job;
            job.pix = m_state.pix;
            job.source = m_state.win.w;
            job.source.left = std::min<int>(job.source.left, job.pix.width - 1);
            job.source.top = std::min<int>(job.source.top, job.pix.height - 1);
            job.source.width = std::min(job.source.width, job.pix.width - job.source.left);
            job.source.height = std::min(job.source.height, job.pix.height - job.source.top);
            job.crop = m_state.crop;
            job.rotate = m_state.rotate;
            job.hflip = m_state.hflip;
            job.vflip = m_state.vflip;
            job.blend = BlendOf(m_state.fbufFlags, m_state.overlay, m_state.win);
            bool visible = m_state.output == 0;
            const uint8_t* pixels = m_mem.Pixels(index);
            lock.unlock();
            int screenW, screenH;
            ScreenSize(&screenW, &screenH);
            if (visible) {
                Render(job, pixels, picture, screenW, screenH);
                std::lock_guard<std::mutex> show(m_state.showMutex);
                lock.lock();
                visible = m_state.output == 0;  // the output may have changed meanwhile
                m_state.shown = m_state.shown || visible;
                lock.unlock();
                if (visible) {
                    CVeltoSimFramebuffer::GetInstance()->WriteOverlay(picture.data(), screenW,
                                                                      screenH, screenW, job.blend);
                }
            }
            lock.lock();
            b.sequence = m_nSequence++;
            b.state = BufState::Done;
            m_done.push_back(index);
            m_pDevice->CountShown(MonotonicMicros());
            SignalReadable();
            m_cond.notify_all();
        }
    }

    std::shared_ptr<CVeltoSimPxp> m_pDevice;
    CVeltoSimPxp::State& m_state;
};

}  // namespace

CVeltoSimPxp::CVeltoSimPxp() : m_pState(new State()) {}

std::shared_ptr<CVeltoSimPxp> CVeltoSimPxp::GetInstance() {
    static std::shared_ptr<CVeltoSimPxp> pxp(new CVeltoSimPxp());
    return pxp;
}

std::unique_ptr<CVeltoSimHandle> CVeltoSimPxp::Open(int flags, int* err) {
    {
        // A fresh board (each test makes one) is a device just powered on.
        std::string root = CVeltoSimBoard::GetInstance().Root();
        std::lock_guard<std::mutex> lock(m_pState->mutex);
        if (m_pState->board != root && m_pState->owner == nullptr) {
            m_pState->Reset();
            m_pState->board = root;
        }
    }
    return std::unique_ptr<CVeltoSimHandle>(
        new CPxpHandle(GetInstance(), (flags & O_NONBLOCK) != 0));
}

void CVeltoSimPxp::Reset() {
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    m_pState->Reset();
    m_nQueueFaults = 0;
}

void CVeltoSimPxp::FailNextQueue(int err, int count) {
    m_nQueueErr = err;
    m_nQueueFaults = count;
}

int CVeltoSimPxp::TakeQueueFault() {
    int left = m_nQueueFaults.load();
    while (left > 0) {
        if (m_nQueueFaults.compare_exchange_weak(left, left - 1)) {
            return m_nQueueErr;
        }
    }
    return 0;
}

int CVeltoSimPxp::CurrentOutput() {
    std::lock_guard<std::mutex> lock(m_pState->mutex);
    return m_pState->output;
}
