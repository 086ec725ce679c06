// velto-sim's one window for the whole run: the board's screen, whichever
// program has it, inside the device's face, with the board panel beside it.
// Keys and clicks on the face go to the program on top; the panel changes
// the board. It answers "panel" (the controls, their rectangles in window
// coordinates and their states) and "screenshot FILE" (the whole window) on
// board/sim/window.sock.
#pragma once

#include <memory>
#include <string>

class CVeltoSimWindow {
public:
    // Opens the window for the run directory runDir (absolute) and marks it
    // on the board, so that the programs started afterwards draw into it.
    // Null, with a diagnostic, when no window can be opened.
    static std::unique_ptr<CVeltoSimWindow> CreateNew(const std::string& runDir);
    virtual ~CVeltoSimWindow() = default;

    // Shows, listens and forwards for about ms milliseconds.
    virtual void Pump(int ms) = 0;
    // The window was closed by its user.
    virtual bool QuitRequested() const = 0;
    // What "panel" answers; a picture of the whole window into path (PNG).
    // For the window's own thread, which cannot ask its channel.
    virtual std::string Panel() = 0;
    virtual bool SaveScreenshot(const std::string& path) = 0;
};
