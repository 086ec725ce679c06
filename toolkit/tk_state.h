// The toolkit's process-wide state, owned by the GUI thread: the screen,
// the display, the message queue, timers, the modal dialog stack, focus and
// the cursor.
#pragma once

#include <stdint.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "toolkit/tk_display.h"
#include "toolkit/tk_region.h"
#include "toolkit/winapi.h"

namespace VeltoTk {

struct CTimer {
    HWND hwnd;
    UINT_PTR id;
    UINT period;
    TIMERPROC proc;
    uint64_t due;
    uint64_t seq;  // creation order breaks ties between equal due times
};

struct CModal {
    HWND dialog;
    bool ended = false;
    INT_PTR result = 0;
};

struct CToolkit {
    bool open = false;
    std::unique_ptr<CDisplay> display;
    PSD screen = nullptr;
    RECT dirty{0, 0, 0, 0};  // screen area changed since the last present

    std::mutex queueMutex;  // posted messages and tasks come from any thread
    std::deque<MSG> posted;
    std::deque<std::function<void()>> tasks;
    bool quitPosted = false;
    int quitCode = 0;

    std::vector<CTimer> timers;
    uint64_t timerSeq = 0;
    std::vector<CModal> modals;  // innermost last

    HWND active = nullptr;
    HWND focus = nullptr;
    HWND desktop = nullptr;

    bool cursorShown = false;
    POINT cursor{0, 0};
    HWND caretOwner = nullptr;
    RECT caret{0, 0, 0, 0};  // client coordinates of caretOwner
    bool caretShown = false;
    UINT caretBlink = 500;
};

CToolkit& Tk();
// Adds r (screen coordinates) to the area to present.
void MarkDirty(const RECT& r);
// Presents the dirty area now (also when the overlay changed).
void Present();
// Runs tasks queued from other threads, on the GUI thread.
void RunTasks();

}  // namespace VeltoTk
