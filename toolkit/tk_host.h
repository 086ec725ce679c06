// Host-side controls of the windowing layer, for the toolkit's main, the
// simulator's control channel and tests (never for application screens):
// the display choice, the clock, injected keys, screenshots and the window
// tree.
#pragma once

#include <stdint.h>

#include <functional>
#include <string>
#include <vector>

#include "toolkit/winapi.h"

// Display backend for the next MwOpen: "auto" (SDL2 window when a desktop
// exists in sim builds, in-memory otherwise; the framebuffer on the board),
// "memory", "sdl" or "fb". width/height 0: the framebuffer's size.
void MwSelectDisplay(const std::string& backend, int width = 0, int height = 0);
// Name of the open backend ("memory", "sdl", "fb"); empty when closed.
std::string MwDisplayName();

// The clock behind GetTickCount and timers. Real (monotonic) by default.
// In virtual mode time moves only by MwClockAdvance, or, with autoAdvance,
// jumps to the next due timer whenever every loop would wait.
void MwClockSetVirtual(bool enable, bool autoAdvance = false);
bool MwClockIsVirtual();
// Moves virtual time forward (any thread); wakes the GUI loop.
void MwClockAdvance(uint32_t ms);
uint64_t MwClockNow();

// Runs the loop of the GUI thread until no message, paint or due timer is
// left (timers due later are not waited for). Returns messages handled.
int MwPumpMessages();
// Queues a key as the device's keys arrive (any thread): WM_KEYDOWN or
// WM_KEYUP to the focus window of the innermost modal dialog.
void MwInjectKey(UINT vk, bool down);
// Runs fn on the GUI thread at its next loop turn and waits for it (from
// another thread); on the GUI thread it runs at once. True when fn ran.
// When the GUI thread has not started fn within timeoutMs, fn is withdrawn
// and never runs (it may refer to the caller's locals): false. Once
// started, fn is always waited for.
bool MwRunOnGuiThread(const std::function<void()>& fn, int timeoutMs = 10000);

// The screen as the user sees it (UI over overlay, with the cursor) as
// 0xFFRRGGBB pixels; false when the screen is not open.
bool MwCaptureScreen(std::vector<uint32_t>& pixels, int* width, int* height);
// Saves MwCaptureScreen as PNG; false (with a diagnostic) on failure.
bool MwSaveScreenshot(const std::string& path);
// Writes width x height pixels 0xAARRGGBB, row after row, as a PNG file;
// false on failure, with libpng's reason in *error when error is given.
bool MwWritePng(const std::string& path, int width, int height, const uint32_t* pixels,
                std::string* error = nullptr);
// The UI plane pixel at (x, y) as COLORREF (0 when outside or closed).
COLORREF MwGetScreenPixel(int x, int y);
// Composed pixel (what the viewer sees) at (x, y) as 0xRRGGBB.
uint32_t MwGetComposedPixel(int x, int y);
// How the video overlay plane and the UI plane make the screen: what the
// display hardware was told when the picture was made.
struct MwOverlayBlend {
    bool shown = true;           // the overlay plane is on at all
    bool chromaKey = true;       // UI pixels of the colour key let the video through
    uint32_t key = 0x010101u;    // the colour key, 0xRRGGBB
    bool globalAlpha = false;    // other UI pixels cover the video by alpha / 255
    uint8_t alpha = 255;         // the global alpha
    bool localAlpha = false;     // a UI pixel's own alpha byte is its cover
    bool localInvAlpha = false;  // 255 minus a UI pixel's alpha byte is its cover
};
// Video overlay plane: a 0xAARRGGBB picture, scaled to the screen (any
// thread), blended as blend says (the device's own set-up when not given).
void MwSetOverlay(const uint32_t* pixels, int width, int height, int stride);
void MwSetOverlay(const uint32_t* pixels, int width, int height, int stride,
                  const MwOverlayBlend& blend);

// One line per window, indented two blanks per depth: class, 'text', x, y,
// width, height (screen coordinates), visible or hidden, and "modal" after
// the innermost running modal dialog.
std::string MwDumpWindowTree();
// Virtual key of a device key name ("LEFT", "ENTER", "F1", ...); 0 if none.
UINT MwKeyFromName(const std::string& name);

// Dialog procedures hook: called with each modal dialog entered/left (for
// tests and the sim's window tree).
int MwModalDepth();
