#include "camera/v4l2_MXSPXPCtrl.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "app/velto_SC_Debug.h"
#include "camera/utils.h"
#include "settings/velto_SC_setting.h"

namespace {

const char* const kPxpName = "PxP";
const uint32_t kChromaKey = 0x010101;
const uint8_t kGlobalAlpha = 255;
const unsigned kFramerate = 30;
// The camera picture every caller hands over; the zoom cuts from it.
const unsigned kSourceWidth = 320;
const unsigned kSourceHeight = 240;
const unsigned kMinZoomWidth = 16;
const unsigned kMinZoomHeight = 12;
const int kRotateCid = V4L2_CID_PRIVATE_BASE;

}  // namespace

CV4L2_MXSPXPCTRL& CV4L2_MXSPXPCTRL::GetInstance() {
    static CV4L2_MXSPXPCTRL instance;
    return instance;
}

CV4L2_MXSPXPCTRL::CV4L2_MXSPXPCTRL()
    : CV4L2_VideoCtrl(V4L2_CAP_VIDEO_OUTPUT | V4L2_CAP_VIDEO_OUTPUT_OVERLAY),
      m_curRotateType(PXP_ROTATE_Orig),
      m_nCurWidth(kSourceWidth),
      m_nCurHeight(kSourceHeight) {
    m_v4l_buf_type = V4L2_BUF_TYPE_VIDEO_OUTPUT;
}

CV4L2_MXSPXPCTRL::~CV4L2_MXSPXPCTRL() = default;

bool CV4L2_MXSPXPCTRL::Start(unsigned width, unsigned height) {
    SetWidth(width);
    SetHeight(height);
    SetFramerate(kFramerate);
    SetReqFormat(V4L2_PIX_FMT_YUV422P);
    bool ok = Open(kPxpName, true);
    velto_printf(DBG_LV_DEBUG, "%s:%d \n", "Start", __LINE__);
    if (!ok) {
        return false;
    }
    // The driver takes its settings reliably only on a second open.
    InitV4L2Params();
    Close();
    ok = Open(kPxpName, true);
    if (!ok) {
        return false;
    }
    printf("MXS PXP is opened.\n");
    InitV4L2Params();
    ok = EnableStream(V4L2_BUF_TYPE_VIDEO_OUTPUT, 1);
    if (ok) {
        std::lock_guard<std::mutex> lock(m_mCtrlLock);
        m_nCurWidth = static_cast<uint16_t>(width);
        m_nCurHeight = static_cast<uint16_t>(height);
    } else {
        Close();
    }
    return ok;
}

bool CV4L2_MXSPXPCTRL::InitV4L2Params() {
    const unsigned screenW = CVeltoSCSetting::GetInstance().GetScrWidth();
    const unsigned screenH = CVeltoSCSetting::GetInstance().GetScrHeight();

    v4l2_pix_format pix;
    memset(&pix, 0, sizeof pix);
    pix.width = m_nWidth;
    pix.height = m_nHeight;
    pix.pixelformat = V4L2_PIX_FMT_YUV422P;
    pix.field = V4L2_FIELD_ANY;
    SetV4L2PixFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT, pix);

    printf("Overlay w=%d, h=%d\n", screenW, screenH);
    v4l2_window win;
    memset(&win, 0, sizeof win);
    win.w.width = screenW;
    win.w.height = screenH;
    win.field = V4L2_FIELD_NONE;
    win.chromakey = kChromaKey;
    win.global_alpha = kGlobalAlpha;
    SetOutput_Overlay(win);

    SetFBuf_Overlay();

    printf("Crop w=%d, h=%d\n", screenW, screenH);
    v4l2_crop crop;
    memset(&crop, 0, sizeof crop);
    crop.type = V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY;
    crop.c.width = screenW;
    crop.c.height = screenH;
    SetOutput_Crop(crop);

    SetOutput_ID(1);
    return true;
}

bool CV4L2_MXSPXPCTRL::EnqueuePXPBuf(char* yuyv, unsigned length) {
    // Any other frame would be read past its end or shown as garbage.
    if (yuyv == nullptr || length != kSourceWidth * kSourceHeight * 2) {
        // Once per run of wrong frames, not 25 times a second.
        if (!m_bRefusing.exchange(true)) {
            printf("Error: EnqueuePXPBuf: a frame of %u bytes is not a %ux%u YUYV frame\n", length,
                   kSourceWidth, kSourceHeight);
        }
        return false;
    }
    m_bRefusing = false;
    std::lock_guard<std::mutex> lock(m_mCtrlLock);
    if (!IsStreaming()) {
        return false;
    }
    // A buffer we hold (never queued, or its queue failed) is filled at
    // once. Only one the driver holds may be dequeued: on a blocking node a
    // dequeue with nothing queued waits for ever, under this lock.
    int held = HeldBufferIndex();
    unsigned index = static_cast<unsigned>(held);
    bool fill = true;
    if (held < 0) {
        if (QueuedBufferCount() == 0) {
            return false;  // no buffer mapped at all
        }
        v4l2_buffer buf;
        if (!v4l2_DQBUF(V4L2_BUF_TYPE_VIDEO_OUTPUT, buf)) {
            return false;
        }
        index = buf.index;
        fill = buf.length != 0;
    }
    CV4LMMAPDATABUF* mapped = fill ? GetStreamBufferListAt(index) : nullptr;
    unsigned w = m_nCurWidth, h = m_nCurHeight;
    if (mapped != nullptr && static_cast<uint64_t>(mapped->m_nLen) >= uint64_t(w) * h * 2) {
        YUYVtoYUV422PZoomoutCen(yuyv, mapped->m_pBase, kSourceWidth, kSourceHeight, w, h);
    }
    v4l2_buffer requeue;
    if (!v4l2_QBUF(V4L2_BUF_TYPE_VIDEO_OUTPUT, index, requeue)) {
        // The buffer stays with us; the next frame tries it again.
        if (!m_bQueueFailing.exchange(true)) {
            printf("Error: EnqueuePXPBuf: frame not shown, buffer %u not queued (%s)\n", index,
                   strerror(errno));
        }
        return false;
    }
    m_bQueueFailing = false;
    return true;
}

bool CV4L2_MXSPXPCTRL::RotateCW() {
    if (!IsOpened()) {
        return false;
    }
    return SetRotate(static_cast<PXPRotateType>((m_curRotateType + 1) % 4));
}

bool CV4L2_MXSPXPCTRL::SetRotate(PXPRotateType type) {
    std::lock_guard<std::mutex> lock(m_mCtrlLock);
    // All three are written, in this order, whatever one of them answers.
    bool ok = WriteControl(kRotateCid, type == PXP_ROTATE_180 ? 180 : 0) == 0;
    ok = WriteControl(V4L2_CID_HFLIP, type == PXP_ROTATE_HFlip ? 1 : 0) == 0 && ok;
    ok = WriteControl(V4L2_CID_VFLIP, type == PXP_ROTATE_VFlip ? 1 : 0) == 0 && ok;
    m_curRotateType = type;
    return ok;
}

void CV4L2_MXSPXPCTRL::ClampZoom(unsigned& width, unsigned& height) const {
    unsigned maxW = std::max(m_nWidth, kMinZoomWidth);
    unsigned maxH = std::max(m_nHeight, kMinZoomHeight);
    width = std::max(kMinZoomWidth, std::min(width, maxW));
    height = std::max(kMinZoomHeight, std::min(height, maxH));
}

void CV4L2_MXSPXPCTRL::ZoomStep(unsigned short width, unsigned short height) {
    unsigned w = width, h = height;
    ClampZoom(w, h);
    std::lock_guard<std::mutex> lock(m_mCtrlLock);
    // Stored as applied, so the next conversion fills exactly the new format.
    m_nCurWidth = static_cast<uint16_t>(w);
    m_nCurHeight = static_cast<uint16_t>(h);
    ApplyScaleLocked(w, h);
}

void CV4L2_MXSPXPCTRL::SetScaleTo(unsigned width, unsigned height) {
    std::lock_guard<std::mutex> lock(m_mCtrlLock);
    ApplyScaleLocked(width, height);
}

void CV4L2_MXSPXPCTRL::ApplyScaleLocked(unsigned width, unsigned height) {
    ClampZoom(width, height);
    printf("Zoom to %dx%d\n", width, height);
    v4l2_window win;
    memset(&win, 0, sizeof win);
    win.w.width = width;
    win.w.height = height - 1;  // one line less: the driver's last line is not clean
    win.field = V4L2_FIELD_NONE;
    SetV4L2WinFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT_OVERLAY, win);
    v4l2_pix_format pix;
    memset(&pix, 0, sizeof pix);
    pix.width = width;
    pix.height = height;
    pix.pixelformat = V4L2_PIX_FMT_YUV422P;
    pix.field = V4L2_FIELD_ANY;
    SetV4L2PixFormat(V4L2_BUF_TYPE_VIDEO_OUTPUT, pix);
}

void CV4L2_MXSPXPCTRL::SetZoomDefault() {
    ZoomStep(static_cast<unsigned short>(m_nWidth), static_cast<unsigned short>(m_nHeight));
}

int CV4L2_MXSPXPCTRL::GetPxPDispID() {
    int id = GetOutput();
    return id < 0 ? -1 : id;
}

void CV4L2_MXSPXPCTRL::ChangeToPXP(bool show) {
    SetOutput_ID(show ? 0 : 1);
}
