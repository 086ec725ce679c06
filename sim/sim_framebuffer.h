// The simulated framebuffer /dev/fb0: its mode, mappable pixel memory, and
// the video overlay plane that the simulated PXP output writes.
//
// The mode set with FBIOPUT_VSCREENINFO is kept in board/sim/fbmode
// ("WIDTH HEIGHT BPP"), so it outlives the program that set it, as on the
// device: keeper sets it, the next program started reads it back. Until a
// mode is set the panel named in board/etc/lcdparams gives the size (320 x 240
// for lq035, 720 x 576 for tvenc_pal, 720 x 480 for tvenc_ntsc) at 32 bpp.
#pragma once

#include <stdint.h>

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/sim_device.h"

// Screen size of an lcdparams line ("lcd_panel=tvenc_pal"); 320 x 240 for
// anything unknown.
void VeltoSimPanelSize(const std::string& lcdparams, int* width, int* height);

// How the display blends the overlay picture with the UI plane: the
// framebuffer overlay set-up of the PXP driver when it made the picture.
struct CVeltoSimOverlayBlend {
    bool shown = true;         // the overlay plane is on at all
    bool chromaKey = true;     // UI pixels of key let the video through
    uint32_t key = 0x010101u;  // 0xRRGGBB
    bool globalAlpha = false;  // other UI pixels cover the video by alpha / 255
    uint8_t alpha = 255;
    bool localAlpha = false;     // a UI pixel's alpha byte is its cover
    bool localInvAlpha = false;  // 255 minus a UI pixel's alpha byte is its cover
};

class CVeltoSimFramebuffer : public CVeltoSimDevice {
public:
    typedef std::function<void(const uint32_t* pixels, int width, int height, int stride,
                               const CVeltoSimOverlayBlend& blend)>
        Sink;

    static std::shared_ptr<CVeltoSimFramebuffer> GetInstance();

    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override;

    // Current mode: the one last set, else the panel's.
    void Size(int* width, int* height, int* bpp = nullptr);
    // Sets the mode; false for a size or depth the display cannot show.
    bool SetMode(int width, int height, int bpp);

    // The overlay plane (any thread): a 0xAARRGGBB picture and its blend.
    // The last one is kept and handed to the sink, which the running display
    // installs.
    void WriteOverlay(const uint32_t* pixels, int width, int height, int stride,
                      const CVeltoSimOverlayBlend& blend = CVeltoSimOverlayBlend());
    void SetOverlaySink(Sink sink);
    // Copy of the last overlay picture; false when none was written.
    bool LastOverlay(std::vector<uint32_t>& pixels, int* width, int* height);
    // The blend of the last overlay picture.
    CVeltoSimOverlayBlend LastOverlayBlend();

private:
    CVeltoSimFramebuffer() = default;
    int MemoryFd(size_t size);

    std::mutex m_mutex;
    Sink m_sink;
    std::vector<uint32_t> m_overlay;
    CVeltoSimOverlayBlend m_blend;
    int m_nOverlayW = 0;
    int m_nOverlayH = 0;
    int m_nMemFd = -1;
    size_t m_nMemSize = 0;

    friend class CVeltoSimFbHandle;
};
