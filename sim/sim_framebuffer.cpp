#include "sim/sim_framebuffer.h"

#include <errno.h>
#include <linux/fb.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>
#include <unistd.h>

#include <fstream>

#include "sim/sim_board.h"
#include "sim/sim_files.h"

void VeltoSimPanelSize(const std::string& lcdparams, int* width, int* height) {
    *width = 320;
    *height = 240;
    if (lcdparams.find("tvenc_pal") != std::string::npos) {
        *width = 720;
        *height = 576;
    } else if (lcdparams.find("tvenc_ntsc") != std::string::npos) {
        *width = 720;
        *height = 480;
    }
}

namespace {

const int kMaxSide = 4096;

bool ModeOk(int width, int height, int bpp) {
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide &&
           (bpp == 16 || bpp == 32);
}

}  // namespace

class CVeltoSimFbHandle : public CVeltoSimHandle {
public:
    explicit CVeltoSimFbHandle(std::shared_ptr<CVeltoSimFramebuffer> fb) : m_fb(std::move(fb)) {}

    int Ioctl(unsigned long request, void* arg) override {
        int w, h, bpp;
        m_fb->Size(&w, &h, &bpp);
        switch (request) {
            case FBIOGET_VSCREENINFO: {
                fb_var_screeninfo* var = static_cast<fb_var_screeninfo*>(arg);
                memset(var, 0, sizeof *var);
                var->xres = var->xres_virtual = (uint32_t)w;
                var->yres = var->yres_virtual = (uint32_t)h;
                var->bits_per_pixel = (uint32_t)bpp;
                if (bpp == 16) {
                    var->red = fb_bitfield{11, 5, 0};
                    var->green = fb_bitfield{5, 6, 0};
                    var->blue = fb_bitfield{0, 5, 0};
                } else {
                    var->red = fb_bitfield{16, 8, 0};
                    var->green = fb_bitfield{8, 8, 0};
                    var->blue = fb_bitfield{0, 8, 0};
                    var->transp = fb_bitfield{24, 8, 0};
                }
                return 0;
            }
            case FBIOGET_FSCREENINFO: {
                fb_fix_screeninfo* fix = static_cast<fb_fix_screeninfo*>(arg);
                memset(fix, 0, sizeof *fix);
                snprintf(fix->id, sizeof fix->id, "velto-sim-fb");
                fix->line_length = (uint32_t)(w * bpp / 8);
                fix->smem_len = (uint32_t)(w * h * bpp / 8);
                fix->visual = FB_VISUAL_TRUECOLOR;
                return 0;
            }
            case FBIOPUT_VSCREENINFO: {
                fb_var_screeninfo* var = static_cast<fb_var_screeninfo*>(arg);
                // As the driver does, a refused mode leaves the old one and
                // FB_ACTIVATE_TEST only asks whether the mode would do.
                if ((var->activate & FB_ACTIVATE_MASK) == FB_ACTIVATE_TEST) {
                    return ModeOk((int)var->xres, (int)var->yres, (int)var->bits_per_pixel)
                               ? 0
                               : (errno = EINVAL, -1);
                }
                if (!m_fb->SetMode((int)var->xres, (int)var->yres, (int)var->bits_per_pixel)) {
                    errno = EINVAL;
                    return -1;
                }
                return 0;
            }
            case FBIOBLANK:
            case FBIOPAN_DISPLAY:
                return 0;
            default:
                errno = ENOTTY;
                return -1;
        }
    }

    void* Mmap(void* addr, size_t length, int prot, int flags, off_t offset) override {
        int fd = m_fb->MemoryFd(length + (size_t)offset);
        if (fd < 0) {
            errno = ENOMEM;
            return MAP_FAILED;
        }
        return ::mmap(addr, length, prot, flags, fd, offset);
    }

private:
    std::shared_ptr<CVeltoSimFramebuffer> m_fb;
};

std::shared_ptr<CVeltoSimFramebuffer> CVeltoSimFramebuffer::GetInstance() {
    static std::shared_ptr<CVeltoSimFramebuffer> fb(new CVeltoSimFramebuffer());
    return fb;
}

std::unique_ptr<CVeltoSimHandle> CVeltoSimFramebuffer::Open(int flags, int* err) {
    return std::make_unique<CVeltoSimFbHandle>(GetInstance());
}

void CVeltoSimFramebuffer::Size(int* width, int* height, int* bpp) {
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    int w = 0, h = 0, depth = 0;
    std::ifstream mode(board.SimFile("fbmode"));
    if (mode >> w >> h >> depth && ModeOk(w, h, depth)) {
        *width = w;
        *height = h;
    } else {
        std::ifstream in(board.Root() + "/etc/lcdparams");
        std::string line;
        std::getline(in, line);
        VeltoSimPanelSize(line, width, height);
        depth = 32;
    }
    if (bpp) {
        *bpp = depth;
    }
}

bool CVeltoSimFramebuffer::SetMode(int width, int height, int bpp) {
    if (!ModeOk(width, height, bpp)) {
        return false;
    }
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    return VeltoSim::WriteText(
        board.SimFile("fbmode"),
        std::to_string(width) + " " + std::to_string(height) + " " + std::to_string(bpp) + "\n");
}

int CVeltoSimFramebuffer::MemoryFd(size_t size) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_nMemFd < 0) {
        m_nMemFd = memfd_create("velto-sim-fb", MFD_CLOEXEC);
    }
    if (m_nMemFd >= 0 && size > m_nMemSize) {
        if (ftruncate(m_nMemFd, (off_t)size) != 0) {
            return -1;
        }
        m_nMemSize = size;
    }
    return m_nMemFd;
}

void CVeltoSimFramebuffer::WriteOverlay(const uint32_t* pixels, int width, int height, int stride,
                                        const CVeltoSimOverlayBlend& blend) {
    Sink sink;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_blend = blend;
        if (!pixels || width < 1 || height < 1 || stride < width) {
            m_overlay.clear();
            m_nOverlayW = m_nOverlayH = 0;
        } else {
            m_overlay.resize((size_t)width * height);
            for (int y = 0; y < height; ++y) {
                memcpy(&m_overlay[(size_t)y * width], pixels + (size_t)y * stride,
                       (size_t)width * 4);
            }
            m_nOverlayW = width;
            m_nOverlayH = height;
        }
        sink = m_sink;
    }
    if (sink) {
        sink(pixels, width, height, stride, blend);
    }
}

CVeltoSimOverlayBlend CVeltoSimFramebuffer::LastOverlayBlend() {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_blend;
}

void CVeltoSimFramebuffer::SetOverlaySink(Sink sink) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink = std::move(sink);
}

bool CVeltoSimFramebuffer::LastOverlay(std::vector<uint32_t>& pixels, int* width, int* height) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_overlay.empty()) {
        return false;
    }
    pixels = m_overlay;
    *width = m_nOverlayW;
    *height = m_nOverlayH;
    return true;
}
