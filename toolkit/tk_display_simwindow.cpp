// The display of a program that runs inside velto-sim's window: the composed
// screen goes to the board's shared screen file, and velto-sim shows it and
// sends the keys over the control channel. The program opens no window of
// its own, so restarts and the goodbye program stay in the one window.
#include <errno.h>
#include <stdio.h>

#include "toolkit/tk_display.h"

#ifdef VELTO_SIM
#include "sim/sim_board.h"
#include "sim/sim_shared_screen.h"

namespace VeltoTk {

void DrawCursorAndCaret(uint32_t* out, int w, int h);

namespace {

class CSimWindowDisplay : public CDisplay {
public:
    CSimWindowDisplay(int w, int h) : CDisplay(w, h), m_frame((size_t)w * h) {}

    bool Open() {
        std::string simDir = CVeltoSimBoard::GetInstance().SimFile("");
        while (!simDir.empty() && simDir.back() == '/') {
            simDir.pop_back();
        }
        return m_writer.Open(simDir, program_invocation_short_name, m_nWidth, m_nHeight);
    }

    const char* Name() const override { return "sim-window"; }

    void Present(PSD ui, const RECT&) override {
        Compose(ui, m_frame.data());
        DrawCursorAndCaret(m_frame.data(), m_nWidth, m_nHeight);
        m_writer.Write(m_frame.data());
    }

private:
    CVeltoSimScreenWriter m_writer;
    std::vector<uint32_t> m_frame;
};

}  // namespace

bool SimWindowIsOpen() {
    std::string simDir = CVeltoSimBoard::GetInstance().SimFile("");
    return VeltoSimWindowIsOpen(simDir);
}

std::unique_ptr<CDisplay> CreateSimWindowDisplay(int width, int height) {
    return OpenDisplayOf<CSimWindowDisplay>(width, height);
}

}  // namespace VeltoTk

#else

namespace VeltoTk {

bool SimWindowIsOpen() {
    return false;
}

std::unique_ptr<CDisplay> CreateSimWindowDisplay(int, int) {
    return nullptr;
}

}  // namespace VeltoTk

#endif
