// The display base (wake-up, overlay plane, composition), the in-memory
// backend and the framebuffer size query.
#include "toolkit/tk_display.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <stdio.h>
#include <string.h>
#include <sys/eventfd.h>
#include <sys/select.h>
#include <unistd.h>

#include <algorithm>

#include "platform/velto_board.h"
#include "toolkit/tk_surface.h"

namespace VeltoTk {

CDisplay::CDisplay(int width, int height)
    : m_nWidth(width), m_nHeight(height), m_nWakeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

CDisplay::~CDisplay() {
    if (m_nWakeFd >= 0) {
        close(m_nWakeFd);
    }
}

void CDisplay::Wake() {
    uint64_t one = 1;
    ssize_t n = write(m_nWakeFd, &one, sizeof one);
    (void)n;
}

void CDisplay::Wait(int timeoutMs, std::vector<CKeyEvent>& keys) {
    std::vector<int> fds;
    InputFds(fds);
    fd_set set;
    FD_ZERO(&set);
    int maxFd = m_nWakeFd;
    FD_SET(m_nWakeFd, &set);
    for (int fd : fds) {
        if (fd >= 0 && fd < FD_SETSIZE) {
            FD_SET(fd, &set);
            maxFd = std::max(maxFd, fd);
        }
    }
    struct timeval tv;
    struct timeval* ptv = nullptr;
    if (timeoutMs >= 0) {
        tv.tv_sec = timeoutMs / 1000;
        tv.tv_usec = (timeoutMs % 1000) * 1000;
        ptv = &tv;
    }
    int n = Board().Select(maxFd + 1, &set, nullptr, nullptr, ptv);
    if (n <= 0) {
        return;
    }
    if (FD_ISSET(m_nWakeFd, &set)) {
        uint64_t v;
        ssize_t r = read(m_nWakeFd, &v, sizeof v);
        (void)r;
    }
    for (int fd : fds) {
        if (fd >= 0 && fd < FD_SETSIZE && FD_ISSET(fd, &set)) {
            ReadInput(fd, keys);
        }
    }
}

void CDisplay::SetOverlay(const uint32_t* pixels, int w, int h, int stride,
                          const MwOverlayBlend& blend) {
    if (!pixels || w < 1 || h < 1 || stride < w) {
        ClearOverlay();
        return;
    }
    {
        std::lock_guard<std::mutex> lock(m_overlayMutex);
        m_blend = blend;
        m_overlay.resize((size_t)m_nWidth * m_nHeight);
        for (int y = 0; y < m_nHeight; ++y) {
            const uint32_t* src = pixels + (size_t)((int64_t)y * h / m_nHeight) * stride;
            uint32_t* dst = m_overlay.data() + (size_t)y * m_nWidth;
            for (int x = 0; x < m_nWidth; ++x) {
                dst[x] = src[(int64_t)x * w / m_nWidth] | 0xFF000000u;
            }
        }
    }
    m_bOverlayChanged = true;
    Wake();
}

void CDisplay::ClearOverlay() {
    {
        std::lock_guard<std::mutex> lock(m_overlayMutex);
        m_overlay.clear();
        m_blend = MwOverlayBlend();
    }
    m_bOverlayChanged = true;
    Wake();
}

namespace {

// ui over video where ui covers by cover / 255, per channel.
uint32_t Mix(uint32_t ui, uint32_t video, unsigned cover) {
    uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        unsigned u = ui >> shift & 0xFF, v = video >> shift & 0xFF;
        out |= (uint32_t)((u * cover + v * (255 - cover) + 127) / 255) << shift;
    }
    return out;
}

}  // namespace

void CDisplay::Compose(PSD ui, uint32_t* out) {
    std::lock_guard<std::mutex> lock(m_overlayMutex);
    const MwOverlayBlend& b = m_blend;
    // Without a picture the video plane is black.
    const bool haveOverlay = !m_overlay.empty() && b.shown;
    const bool anyAlpha = b.globalAlpha || b.localAlpha || b.localInvAlpha;
    const uint32_t key = b.key & 0xFFFFFFu;
    int w = std::min(m_nWidth, ui->xres), h = std::min(m_nHeight, ui->yres);
    for (int y = 0; y < h; ++y) {
        const uint32_t* src = Row32(ui, y);
        uint32_t* dst = out + (size_t)y * m_nWidth;
        const uint32_t* ov = haveOverlay ? m_overlay.data() + (size_t)y * m_nWidth : nullptr;
        for (int x = 0; x < w; ++x) {
            uint32_t p = src[x];
            uint32_t video = ov ? ov[x] : 0xFF000000u;
            if (b.chromaKey && (p & 0xFFFFFFu) == key) {
                dst[x] = video;
            } else if (!anyAlpha) {
                dst[x] = p | 0xFF000000u;
            } else {
                // Local alpha goes before the global one, as on most blenders.
                unsigned cover = b.localAlpha      ? p >> 24
                                 : b.localInvAlpha ? 255 - (p >> 24)
                                                   : b.alpha;
                dst[x] = Mix(p, video, cover);
            }
        }
    }
}

namespace {

class CMemoryDisplay : public CDisplay {
public:
    CMemoryDisplay(int w, int h) : CDisplay(w, h) {}
    const char* Name() const override { return "memory"; }
    void Present(PSD, const RECT&) override {}
};

}  // namespace

std::unique_ptr<CDisplay> CreateMemoryDisplay(int width, int height) {
    return std::make_unique<CMemoryDisplay>(width, height);
}

void ScreenSizeFromFramebuffer(int* width, int* height) {
    *width = 320;
    *height = 240;
    int fd = Board().Open("/dev/fb0", O_RDWR);
    if (fd < 0) {
        printf("Warn: no framebuffer (%s), screen is 320x240\n", strerror(errno));
        return;
    }
    struct fb_var_screeninfo var;
    memset(&var, 0, sizeof var);
    if (Board().Ioctl(fd, FBIOGET_VSCREENINFO, &var) == 0 && var.xres > 0 && var.yres > 0 &&
        var.xres <= 4096 && var.yres <= 4096) {
        *width = (int)var.xres;
        *height = (int)var.yres;
    } else {
        printf("Warn: framebuffer size unknown, screen is 320x240\n");
    }
    Board().Close(fd);
}

}  // namespace VeltoTk
