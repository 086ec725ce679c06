// One narrow interface for every display backend (in-memory, SDL2 window,
// Linux framebuffer). A display owns the video overlay plane; the UI plane
// is the toolkit's screen surface, composed over the overlay as the display
// hardware was set up: by default the video shows wherever a UI pixel is
// the colour key 0x010101.
#pragma once

#include <stdint.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

#include "toolkit/tk_host.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

struct CKeyEvent {
    UINT vk;
    bool down;
};

class CDisplay {
public:
    CDisplay(int width, int height);
    virtual ~CDisplay();

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    virtual const char* Name() const = 0;

    // Shows the UI plane (the changed part is dirty, screen coordinates).
    virtual void Present(PSD ui, const RECT& dirty) = 0;
    // Waits until input arrives, Wake is called or timeoutMs passes (-1:
    // no limit) and appends the keys that arrived.
    virtual void Wait(int timeoutMs, std::vector<CKeyEvent>& keys);
    // Ends a Wait from any thread.
    virtual void Wake();

    // Overlay plane, from any thread: a copy of a 0xAARRGGBB picture of
    // w x h (stride in pixels) scaled to the screen, and how it is blended.
    void SetOverlay(const uint32_t* pixels, int w, int h, int stride,
                    const MwOverlayBlend& blend = MwOverlayBlend());
    void ClearOverlay();
    bool OverlayChanged() { return m_bOverlayChanged.exchange(false); }
    // UI over overlay into out (Width() x Height()), as the hardware shows it.
    void Compose(PSD ui, uint32_t* out);

protected:
    // Descriptors a Wait also watches (input devices); readable ones are
    // handed to ReadInput.
    virtual void InputFds(std::vector<int>& fds) {}
    virtual void ReadInput(int fd, std::vector<CKeyEvent>& keys) {}

    int m_nWidth;
    int m_nHeight;
    int m_nWakeFd = -1;
    std::mutex m_overlayMutex;
    std::vector<uint32_t> m_overlay;  // Width() x Height(); empty: black
    MwOverlayBlend m_blend;           // of the picture in m_overlay
    std::atomic<bool> m_bOverlayChanged{false};
};

// Screen size from the framebuffer (320 x 240 when it cannot be asked).
void ScreenSizeFromFramebuffer(int* width, int* height);
std::unique_ptr<CDisplay> CreateMemoryDisplay(int width, int height);
// A display of a backend's type D that opened on a width x height screen,
// or null.
template <class D>
std::unique_ptr<CDisplay> OpenDisplayOf(int width, int height) {
    auto d = std::make_unique<D>(width, height);
    if (!d->Open()) {
        return nullptr;
    }
    return d;
}

// Null when the backend is not available in this build or cannot open.
std::unique_ptr<CDisplay> CreateSdlDisplay(int width, int height);
std::unique_ptr<CDisplay> CreateFramebufferDisplay();
// Under velto-sim's window (simulator builds): whether that window is open,
// and a display that hands the screen to it.
bool SimWindowIsOpen();
std::unique_ptr<CDisplay> CreateSimWindowDisplay(int width, int height);

}  // namespace VeltoTk
