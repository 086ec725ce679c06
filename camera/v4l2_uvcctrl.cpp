#include "camera/v4l2_uvcctrl.h"

#include <errno.h>
#include <sched.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "camera/velto_thread.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace {

const char* const kCameraName = "Camera";
const int kTimeoutsBeforeReconnect = 3;
// Failed dequeues in a row (other than those that mean the head is gone) after
// which the head is reset and opened again: at one pass per 10 ms, about half a
// second of a head that answers nothing but errors.
const int kGrabFailuresBeforeReconnect = 50;

}  // namespace

CV4L2_UVCCtrl* CV4L2_UVCCtrl::CreateNew(uint32_t width, uint32_t height, uint32_t fps,
                                        uint32_t format) {
    CV4L2_UVCCtrl* camera = new CV4L2_UVCCtrl();
    if (!camera->Init(width, height, fps, format)) {
        delete camera;
        return nullptr;
    }
    return camera;
}

CV4L2_UVCCtrl::CV4L2_UVCCtrl()
    : CV4L2_VideoCtrl(V4L2_CAP_VIDEO_CAPTURE),
      m_pThreadID(),
      m_bHasThread(false),
      m_bExitThread(true),
      m_pDataBuffer(nullptr),
      m_curUVCStatus(UVC_STATUS_DISCONNECTED) {}

CV4L2_UVCCtrl::~CV4L2_UVCCtrl() {
    Stop();
    Deinit();
}

bool CV4L2_UVCCtrl::Init(uint32_t width, uint32_t height, uint32_t fps, uint32_t format) {
    SetWidth(width);
    SetHeight(height);
    SetFramerate(fps);
    SetReqFormat(format);
    DeinitBuffer();
    return InitBuffer();
}

namespace {

// Bytes of one YUYV frame; 0 for a size the frame queue cannot hold.
uint32_t YuyvFrameBytes(uint64_t width, uint64_t height) {
    uint64_t bytes = width * height * 2;
    return bytes > 0x7FFFFFFF ? 0 : static_cast<uint32_t>(bytes);
}

}  // namespace

bool CV4L2_UVCCtrl::InitBuffer() {
    uint32_t bytes = YuyvFrameBytes(m_nWidth, m_nHeight);
    if (bytes == 0) {
        return false;
    }
    m_pDataBuffer = CDoubleBuffer::CreateNew(static_cast<int32_t>(bytes), 2);
    return m_pDataBuffer != nullptr;
}

void CV4L2_UVCCtrl::DeinitBuffer() {
    delete m_pDataBuffer;
    m_pDataBuffer = nullptr;
}

void CV4L2_UVCCtrl::Deinit() {
    DeinitBuffer();
}

bool CV4L2_UVCCtrl::Start() {
    StopThread();
    Restart();
    return StartThread();
}

void CV4L2_UVCCtrl::Stop() {
    StopThread();
    CloseLocked();
    ChangeNewState(UVC_STATUS_DISCONNECTED);
}

void CV4L2_UVCCtrl::ReSetUVCResolution(int width, int height) {
    // A size without a frame queue would leave the camera delivering nothing
    // for good: keep the current size, queue and stream instead.
    if (width <= 0 || height <= 0 || YuyvFrameBytes(width, height) == 0) {
        printf("Error: ReSetUVCResolution(%d, %d)\n", width, height);
        return;
    }
    Stop();
    DeinitBuffer();
    Init(static_cast<uint32_t>(width), static_cast<uint32_t>(height), m_nFramerate,
         m_nRequestFormat);
    std::unique_lock<std::mutex> lock(m_mDeviceLock);
    if (Open(kCameraName, false)) {
        if (CheckIsUVC(m_nVideo_ID) && InitV4L2Params()) {
            Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
            printf("UVC camera %s opened!\n", m_strDevName.c_str());
            ChangeNewState(UVC_STATUS_CONNECTED);
        } else {
            Close();
        }
    }
    lock.unlock();
    StartThread();
}

int CV4L2_UVCCtrl::WaitNewFrameData(int timeoutMs) {
    return m_pDataBuffer != nullptr ? m_pDataBuffer->WaitNewData(timeoutMs) : 1;
}

int CV4L2_UVCCtrl::GetFrameBufferSize() {
    return m_pDataBuffer != nullptr ? m_pDataBuffer->GetDataBufferSize() : 0;
}

CDoubleBufferData* CV4L2_UVCCtrl::PopFrameData() {
    if (m_pDataBuffer == nullptr || m_pDataBuffer->GetDataBufferSize() < 1) {
        return nullptr;
    }
    return m_pDataBuffer->PopData();
}

void CV4L2_UVCCtrl::ReleaseFrameData(CDoubleBufferData* data) {
    if (m_pDataBuffer != nullptr) {
        m_pDataBuffer->ReleaseData(data);
    }
}

int CV4L2_UVCCtrl::ChangeBright(int percent) {
    std::lock_guard<std::mutex> lock(m_mDeviceLock);
    if (!IsOpened()) {
        return -1;
    }
    return ApplyBright(percent);
}

void CV4L2_UVCCtrl::SetColorOrBlack(bool color) {
    std::lock_guard<std::mutex> lock(m_mDeviceLock);
    if (IsOpened()) {
        ApplyColorOrBlack(color);
    }
}

void CV4L2_UVCCtrl::CloseLocked() {
    std::lock_guard<std::mutex> lock(m_mDeviceLock);
    Close();
}

int CV4L2_UVCCtrl::ApplyBright(int percent) {
    int max = 0, min = 0;
    if (!GetControlValueMaxMin(V4L2_CID_BRIGHTNESS, max, min)) {
        return -1;
    }
    if (max < min) {
        return -1;
    }
    // In 64 bits and within 0..100 %: a control spanning the whole int range
    // would overflow, and the value must stay inside the control's range.
    percent = std::max(0, std::min(percent, 100));
    int64_t range = static_cast<int64_t>(max) - min;
    int value = static_cast<int>(min + static_cast<int64_t>(range / 100.0 * percent));
    printf("Set bright: %d\n", value);
    return SetControlValue(V4L2_CID_BRIGHTNESS, value);
}

void CV4L2_UVCCtrl::ApplyColorOrBlack(bool color) {
    if (color) {
        ResetControl(V4L2_CID_SATURATION);
        return;
    }
    int max = 0, min = 0;
    if (GetControlValueMaxMin(V4L2_CID_SATURATION, max, min)) {
        SetControlValue(V4L2_CID_SATURATION, min);
    }
}

const char* CV4L2_UVCCtrl::GetStateString(UVC_STATUS status) {
    switch (status) {
        case UVC_STATUS_DISCONNECTED:
            return "UVC_STATUS_DISCONNECTED";
        case UVC_STATUS_CONNECTED:
            return "UVC_STATUS_CONNECTED";
        case UVC_STATUS_STREAMING:
            return "UVC_STATUS_STREAMING";
    }
    return "Unknown state";
}

bool CV4L2_UVCCtrl::Restart() {
    ChangeNewState(UVC_STATUS_DISCONNECTED);
    CloseLocked();
    ResetUSB();
    std::lock_guard<std::mutex> lock(m_mDeviceLock);
    if (!Open(kCameraName, false)) {
        return false;
    }
    // A camera whose format cannot be set would deliver frames of a size
    // the queue and its consumers do not expect.
    if (!CheckIsUVC(m_nVideo_ID) || !InitV4L2Params()) {
        Close();
        return false;
    }
    Velto::ReleaseVMCache(Velto::K_CACHE_PAGE);
    printf("UVC camera %s opened!\n", m_strDevName.c_str());
    ChangeNewState(UVC_STATUS_CONNECTED);
    ApplyBright(50);
    PrintAllParams();
    return true;
}

bool CV4L2_UVCCtrl::CheckIsUVC(int id) {
    char path[129];
    snprintf(path, sizeof path, "%s/%s%d/name", "/sys/class/video4linux", "video", id);
    struct stat st;
    if (Board().Stat(path, &st) != 0) {
        printf("Error: Stat %s\n", path);
        return false;
    }
    FILE* f = Board().Fopen(path, "r");
    if (f == nullptr) {
        printf("Error: fopen %s\n", path);
        return false;
    }
    char text[128];
    size_t n = fread(text, 1, sizeof text - 1, f);
    fclose(f);
    text[n] = '\0';
    if (n > 3 && strstr(text, "Cam") != nullptr) {
        printf("Find camera %s\n", text);
        return true;
    }
    return false;
}

bool CV4L2_UVCCtrl::InitV4L2Params() {
    if ((m_nShouldHaveCap & V4L2_CAP_VIDEO_CAPTURE) == 0) {
        return true;
    }
    v4l2_pix_format pix;
    memset(&pix, 0, sizeof pix);
    pix.width = m_nWidth;
    pix.height = m_nHeight;
    pix.pixelformat = m_nRequestFormat;
    pix.field = V4L2_FIELD_ANY;
    if (!SetV4L2PixFormat(V4L2_BUF_TYPE_VIDEO_CAPTURE, pix)) {
        return false;
    }
    // A driver answers a format or size it lacks with one it has. The frame
    // queue and everything after it take frames of exactly the size asked in
    // the format asked, so anything else would be shown and recorded as
    // garbage: refuse the head (the thread keeps retrying) and keep asking
    // for the same size.
    const v4l2_pix_format& got = m_v4l2_Format.fmt.pix;
    uint32_t pitch = got.bytesperline;
    if (got.pixelformat != m_nRequestFormat || got.width != pix.width || got.height != pix.height ||
        (pitch != 0 && pitch != pix.width * 2) ||
        (got.sizeimage != 0 && got.sizeimage < YuyvFrameBytes(pix.width, pix.height))) {
        uint32_t f = got.pixelformat;
        printf("UVC camera %s refused: it gives %c%c%c%c %ux%u (line %u), %c%c%c%c %ux%u needed\n",
               m_strDevName.c_str(), f & 0xFF, (f >> 8) & 0xFF, (f >> 16) & 0xFF, f >> 24,
               got.width, got.height, pitch, m_nRequestFormat & 0xFF,
               (m_nRequestFormat >> 8) & 0xFF, (m_nRequestFormat >> 16) & 0xFF,
               m_nRequestFormat >> 24, pix.width, pix.height);
        m_nWidth = pix.width;
        m_nHeight = pix.height;
        return false;
    }
    SetV4L2Framerate(m_nFramerate);  // a camera without rate control still streams
    return true;
}

bool CV4L2_UVCCtrl::GrabFrame() {
    v4l2_buffer buf;
    if (!v4l2_DQBUF(m_v4l_buf_type, buf)) {
        return false;
    }
    // Only whole frames go on: one with a transmission error, or shorter
    // than a frame, would carry a damaged picture or the stale tail of an
    // earlier one. A frame is copied at its own size, never the mapping's.
    uint32_t frame = YuyvFrameBytes(m_nWidth, m_nHeight);
    if (buf.length != 0 && (buf.flags & V4L2_BUF_FLAG_ERROR) == 0 && buf.bytesused >= frame) {
        if (CV4LMMAPDATABUF* mapped = GetStreamBufferListAt(buf.index)) {
            if (mapped->m_nLen >= 0 && static_cast<uint32_t>(mapped->m_nLen) >= frame) {
                AddNewFrameData(mapped->m_pBase, static_cast<int>(frame));
            }
        }
    } else if (buf.length != 0) {
        printf("UVC frame %u dropped: flags 0x%x, %u of %u bytes\n", buf.sequence, buf.flags,
               buf.bytesused, frame);
    }
    v4l2_buffer requeue;
    return v4l2_QBUF(m_v4l_buf_type, buf.index, requeue);
}

void CV4L2_UVCCtrl::AddNewFrameData(char* data, int len) {
    if (m_pDataBuffer != nullptr) {
        m_pDataBuffer->AddNewData(data, len);
    }
}

bool CV4L2_UVCCtrl::StartStream() {
    printf("CV4L2_UVCCtrl::StartStream\n");
    return EnableStream(m_v4l_buf_type, 1);
}

bool CV4L2_UVCCtrl::StopStream() {
    printf("CV4L2_UVCCtrl::StopStream\n");
    return DisableStream(m_v4l_buf_type, 1);
}

bool CV4L2_UVCCtrl::StartThread() {
    m_bExitThread = false;
    int rc = VeltoCreateWorker(&m_pThreadID, thread_start, this);
    if (rc != 0) {
        printf("Error: CV4L2_UVCCtrl::StartThread()\n");
        m_bExitThread = true;
        m_bHasThread = false;
        return false;
    }
    m_bHasThread = true;
    return true;
}

void CV4L2_UVCCtrl::StopThread() {
    m_bExitThread = true;
    if (m_bHasThread) {
        pthread_join(m_pThreadID, nullptr);
        m_bHasThread = false;
    }
    m_pThreadID = pthread_t();
    printf("CV4L2_UVCCtrl::StopThread\n");
}

void* CV4L2_UVCCtrl::thread_start(void* self) {
    static_cast<CV4L2_UVCCtrl*>(self)->thread_proc();
    return nullptr;
}

void CV4L2_UVCCtrl::PauseUnlessStopped(int ms) {
    for (int waited = 0; waited < ms && !m_bExitThread; waited += 10) {
        Board().Usleep(10000);
    }
}

void CV4L2_UVCCtrl::thread_proc() {
    printf("Enter CV4L2_UVCCtrl::thread_proc() v4l fd= %d\n", m_nV4L2_fd);
    int timeouts = kTimeoutsBeforeReconnect;
    int grabFailures = 0;
    for (;;) {
        if (m_bExitThread) {
            CloseLocked();
            ChangeNewState(UVC_STATUS_DISCONNECTED);
            printf("Exit CV4L2_UVCCtrl::thread_proc()\n");
            return;
        }
        Board().Usleep(10000);
        sched_yield();

        switch (m_curUVCStatus) {
            case UVC_STATUS_DISCONNECTED:
                if (Restart()) {
                    ChangeNewState(UVC_STATUS_CONNECTED);
                } else {
                    PauseUnlessStopped(1000);
                }
                continue;
            case UVC_STATUS_CONNECTED:
                if (StartStream()) {
                    grabFailures = 0;
                    ChangeNewState(UVC_STATUS_STREAMING);
                } else {
                    PauseUnlessStopped(1000);
                    ChangeNewState(UVC_STATUS_DISCONNECTED);
                }
                continue;
            case UVC_STATUS_STREAMING:
                if (!IsStreaming()) {
                    ChangeNewState(UVC_STATUS_CONNECTED);
                    continue;
                }
                break;
        }

        if (!IsOpened()) {
            ChangeNewState(UVC_STATUS_DISCONNECTED);
            continue;
        }
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_nV4L2_fd, &readable);
        struct timeval timeout = {1, 0};
        int rc = Board().Select(m_nV4L2_fd + 1, &readable, nullptr, nullptr, &timeout);
        if (rc == 0) {
            printf("Wait UVC data timeout\n");
            if (--timeouts <= 0) {
                ChangeNewState(UVC_STATUS_DISCONNECTED);
                timeouts = kTimeoutsBeforeReconnect;
            }
        } else if (rc < 0) {
            int err = errno;
            if (err == EINTR) {
                continue;
            }
            printf("Error(%d): %s\n", err, strerror(err));
            ChangeNewState(UVC_STATUS_DISCONNECTED);
        } else if (GrabFrame()) {
            // Only time-outs in a row mean the camera is gone; sporadic ones
            // must not add up over a long session.
            timeouts = kTimeoutsBeforeReconnect;
            grabFailures = 0;
        } else if (errno == ENODEV || errno == EIO || errno == EAGAIN) {
            grabFailures = 0;
            ChangeNewState(UVC_STATUS_DISCONNECTED);
        } else if (++grabFailures >= kGrabFailuresBeforeReconnect) {
            // A head that reports data but fails every dequeue would keep
            // this thread spinning for ever; a reset may bring it back.
            printf("UVC dequeue failed %d times in a row: reconnecting\n", grabFailures);
            grabFailures = 0;
            ChangeNewState(UVC_STATUS_DISCONNECTED);
        }
    }
}

void CV4L2_UVCCtrl::ChangeNewState(UVC_STATUS status) {
    UVC_STATUS current = m_curUVCStatus;
    if (status != current) {
        printf("UVC change state from %s to %s\n", GetStateString(current), GetStateString(status));
        m_curUVCStatus = status;
    }
}

void CV4L2_UVCCtrl::PrintAllParams() {
    struct Entry {
        int id;
        const char* format;
    };
    static const Entry kBefore[] = {
        {V4L2_CID_BRIGHTNESS, "V4L2_CID_BRIGHTNESS:%d\n"},
        {V4L2_CID_CONTRAST, "V4L2_CID_CONTRAST:%d\n"},
        {V4L2_CID_SATURATION, "V4L2_CID_SATURATION:%d\n"},
        {V4L2_CID_HUE, "V4L2_CID_HUE:%d\n"},
        {V4L2_CID_AUTO_WHITE_BALANCE, "V4L2_CID_AUTO_WHITE_BALANCE:%d\n"},
        {V4L2_CID_WHITE_BALANCE_TEMPERATURE, "V4L2_CID_WHITE_BALANCE_TEMPERATURE:%d\n"},
        {V4L2_CID_GAMMA, "V4L2_CID_GAMMA:%d\n"},
        {V4L2_CID_GAIN, "V4L2_CID_GAIN:%d\n"},
        {V4L2_CID_SHARPNESS, "V4L2_CID_SHARPNESS:%d\n"},
        {V4L2_CID_EXPOSURE_AUTO, "V4L2_CID_EXPOSURE_AUTO:%d\n"},
    };
    static const Entry kAfter[] = {
        {V4L2_CID_EXPOSURE_ABSOLUTE, "V4L2_CID_EXPOSURE_ABSOLUTE:%d\n"},
        {V4L2_CID_DO_WHITE_BALANCE, "V4L2_CID_DO_WHITE_BALANCE:%d\n"},
        {V4L2_CID_AUTOGAIN, "V4L2_CID_AUTOGAIN:%d\n"},
        {V4L2_CID_HUE_AUTO, "V4L2_CID_HUE_AUTO:%d\n"},
        {V4L2_CID_EXPOSURE_AUTO_PRIORITY, "V4L2_CID_EXPOSURE_AUTO_PRIORITY:%d\n"},
        {V4L2_CID_FOCUS_ABSOLUTE, "V4L2_CID_FOCUS_ABSOLUTE:%d\n"},
        {V4L2_CID_FOCUS_RELATIVE, "V4L2_CID_FOCUS_RELATIVE:%d\n"},
        {V4L2_CID_FOCUS_AUTO, "V4L2_CID_FOCUS_AUTO:%d\n"},
        {V4L2_CID_ZOOM_ABSOLUTE, "V4L2_CID_ZOOM_ABSOLUTE:%d\n"},
        {V4L2_CID_ZOOM_RELATIVE, "V4L2_CID_ZOOM_RELATIVE:%d\n"},
        {V4L2_CID_ZOOM_CONTINUOUS, "V4L2_CID_ZOOM_CONTINUOUS:%d\n"},
    };
    int value = 0;
    for (const Entry& e : kBefore) {
        if (GetControlValue(e.id, value) == 0) {
            printf(e.format, value);
        }
    }
    int exposure = V4L2_EXPOSURE_APERTURE_PRIORITY;
    SetControlValue(V4L2_CID_EXPOSURE_AUTO, exposure);
    for (const Entry& e : kAfter) {
        if (GetControlValue(e.id, value) == 0) {
            printf(e.format, value);
        }
    }
}
