// The board's display: the Linux framebuffer /dev/fb0 (32 bpp, or 16 bpp
// RGB565) and the keys from /dev/input/event*, all through the board seam.
// The colour key is applied by the PXP hardware, so only the UI is written.
#include <errno.h>
#include <fcntl.h>
#include <linux/fb.h>
#include <linux/input.h>
#include <stdio.h>
#include <string.h>
#include <sys/mman.h>

#include <string>

#include "platform/velto_board.h"
#include "toolkit/tk_display.h"
#include "toolkit/tk_region.h"
#include "toolkit/tk_surface.h"

namespace VeltoTk {

void DrawCursorAndCaret(uint32_t* out, int w, int h);

namespace {

UINT KeyToVk(unsigned code) {
    switch (code) {
        case KEY_LEFT:
            return VK_LEFT;
        case KEY_RIGHT:
            return VK_RIGHT;
        case KEY_UP:
            return VK_UP;
        case KEY_DOWN:
            return VK_DOWN;
        case KEY_ENTER:
        case KEY_KPENTER:
        case KEY_OK:
            return VK_RETURN;
        case KEY_F1:
            return VK_F1;
        case KEY_F2:
            return VK_F2;
        case KEY_F3:
            return VK_F3;
        case KEY_F4:
            return VK_F4;
        case KEY_ESC:
            return VK_ESCAPE;
        default:
            return 0;
    }
}

class CFbDisplay : public CDisplay {
public:
    CFbDisplay(int fd, const fb_var_screeninfo& var, const fb_fix_screeninfo& fix, void* mem,
               size_t len)
        : CDisplay((int)var.xres, (int)var.yres),
          m_nFd(fd),
          m_nBpp((int)var.bits_per_pixel),
          m_nLine((int)fix.line_length),
          m_pMem(static_cast<uint8_t*>(mem)),
          m_nLen(len),
          m_frame((size_t)var.xres * var.yres) {
        for (int i = 0; i < 10; ++i) {
            std::string path = "/dev/input/event" + std::to_string(i);
            int in = Board().Open(path.c_str(), O_RDONLY | O_NONBLOCK);
            if (in >= 0) {
                m_inputs.push_back(in);
            }
        }
    }

    ~CFbDisplay() override {
        for (int in : m_inputs) {
            Board().Close(in);
        }
        Board().Munmap(m_pMem, m_nLen);
        Board().Close(m_nFd);
    }

    const char* Name() const override { return "fb"; }

    void Present(PSD ui, const RECT& dirty) override {
        // The cursor and caret are drawn over a copy so the UI plane stays
        // clean.
        RECT r = RectIntersect(dirty, RECT{0, 0, m_nWidth, m_nHeight});
        for (int y = r.top; y < r.bottom; ++y) {
            memcpy(&m_frame[(size_t)y * m_nWidth], Row32(ui, y), (size_t)m_nWidth * 4);
        }
        DrawCursorAndCaret(m_frame.data(), m_nWidth, m_nHeight);
        for (int y = r.top; y < r.bottom; ++y) {
            const uint32_t* src = &m_frame[(size_t)y * m_nWidth];
            uint8_t* dst = m_pMem + (size_t)y * m_nLine;
            if ((size_t)y * m_nLine + (size_t)m_nWidth * (m_nBpp / 8) > m_nLen) {
                break;
            }
            if (m_nBpp == 32) {
                memcpy(dst + (size_t)r.left * 4, src + r.left, (size_t)(r.right - r.left) * 4);
            } else {
                uint16_t* d16 = reinterpret_cast<uint16_t*>(dst);
                for (int x = r.left; x < r.right; ++x) {
                    uint32_t p = src[x];
                    d16[x] =
                        (uint16_t)(((p >> 8) & 0xF800) | ((p >> 5) & 0x07E0) | ((p >> 3) & 0x1F));
                }
            }
        }
    }

protected:
    void InputFds(std::vector<int>& fds) override { fds = m_inputs; }

    void ReadInput(int fd, std::vector<CKeyEvent>& keys) override {
        struct input_event ev[16];
        for (;;) {
            ssize_t n = Board().Read(fd, ev, sizeof ev);
            if (n <= 0) {
                return;
            }
            for (size_t i = 0; i < (size_t)n / sizeof ev[0]; ++i) {
                if (ev[i].type != EV_KEY) {
                    continue;
                }
                UINT vk = KeyToVk(ev[i].code);
                if (vk) {
                    // Value 2 is the driver's auto-repeat: another key-down.
                    keys.push_back(CKeyEvent{vk, ev[i].value != 0});
                }
            }
        }
    }

private:
    int m_nFd;
    int m_nBpp;
    int m_nLine;
    uint8_t* m_pMem;
    size_t m_nLen;
    std::vector<uint32_t> m_frame;
    std::vector<int> m_inputs;
};

}  // namespace

std::unique_ptr<CDisplay> CreateFramebufferDisplay() {
    int fd = Board().Open("/dev/fb0", O_RDWR);
    if (fd < 0) {
        printf("Error: cannot open /dev/fb0: %s\n", strerror(errno));
        return nullptr;
    }
    fb_var_screeninfo var;
    fb_fix_screeninfo fix;
    memset(&var, 0, sizeof var);
    memset(&fix, 0, sizeof fix);
    if (Board().Ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0 ||
        Board().Ioctl(fd, FBIOGET_FSCREENINFO, &fix) != 0 || var.xres == 0 || var.yres == 0 ||
        (var.bits_per_pixel != 32 && var.bits_per_pixel != 16) ||
        fix.line_length < var.xres * (var.bits_per_pixel / 8)) {
        printf("Error: /dev/fb0 has no usable 32 or 16 bpp mode\n");
        Board().Close(fd);
        return nullptr;
    }
    size_t len = fix.smem_len ? fix.smem_len : (size_t)fix.line_length * var.yres;
    void* mem = Board().Mmap(nullptr, len, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    if (mem == MAP_FAILED) {
        printf("Error: cannot map /dev/fb0: %s\n", strerror(errno));
        Board().Close(fd);
        return nullptr;
    }
    return std::make_unique<CFbDisplay>(fd, var, fix, mem, len);
}

}  // namespace VeltoTk
