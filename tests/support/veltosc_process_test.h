// Fixture for scenario tests of the whole main program: veltosc runs in its
// own process on a fresh simulated board, on virtual time; the test sends
// keys and moves time through the control channel and reads the window
// tree and screenshots. The camera head streams in real time, as hardware
// does, so every step of program time leaves the program a moment of real
// time too.
#pragma once

#include <png.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "support/png_rgb.h"
#include "support/sim_program.h"
#include "support/sim_test.h"
#include "support/veltosc_process.h"

class CVeltoscProcessTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        m_process = std::make_unique<CVeltoscProcess>(m_strRunDir);
        ASSERT_TRUE(m_process->PrepareRunDir());
        WriteFile(HostPath("/sim/virtual_clock"), "");
        m_strRoot = m_strRunDir + "/board";
    }

    void TearDown() override {
        Stop();
        CVeltoSimBoardTest::TearDown();
    }

    // Starts veltosc (output in veltosc.log) and waits until its main
    // screen is up.
    void Start() {
        ASSERT_TRUE(m_process->Start());
        ASSERT_TRUE(
            WaitFor([&] { return Ask("ui").find("VeltoRecMode") != std::string::npos; }, 20000))
            << "veltosc did not come up";
    }

    void Stop() {
        if (m_process) {
            m_process->Stop();
        }
    }
    // Whether veltosc still runs; one that has ended is reaped.
    bool Running() { return m_process->Running(); }

    // The program's answer to one control request: "OK" for an empty
    // answer, empty on error.
    std::string Ask(const std::string& request) { return m_process->Ask(request); }

    void Key(const char* name) { ASSERT_EQ(Ask(std::string("key ") + name), "OK") << name; }

    // Moves program time on by ms in steps of m_nStepMs, each followed by a
    // moment for the program's real-time threads.
    void Advance(int ms) {
        for (int done = 0; done < ms; done += m_nStepMs) {
            ASSERT_EQ(Ask("advance " + std::to_string(std::min(m_nStepMs, ms - done))), "OK");
            std::this_thread::sleep_for(std::chrono::milliseconds(VeltoTest::Stretched(25)));
        }
    }

    // Advances until cond holds; false once limitMs of program time and
    // twice that (plus 5 s) of real time, stretched on a slow machine, have
    // passed, so a loaded machine does not fail what only came late.
    bool Until(const std::function<bool()>& cond, int limitMs) {
        auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(VeltoTest::Stretched(2 * limitMs + 5000));
        for (int t = 0;; t += m_nStepMs) {
            if (cond()) {
                return true;
            }
            if (t > limitMs && std::chrono::steady_clock::now() >= end) {
                return false;
            }
            Advance(m_nStepMs);
        }
    }

    // Waits in real time (stretched on a slow machine), without moving
    // program time.
    static bool WaitFor(const std::function<bool()>& cond, int timeoutMs) {
        auto end = std::chrono::steady_clock::now() +
                   std::chrono::milliseconds(VeltoTest::Stretched(timeoutMs));
        while (!cond()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    }

    // Lines of the window tree holding every one of parts.
    std::vector<std::string> Lines(std::initializer_list<std::string> parts) {
        std::vector<std::string> out;
        std::string tree = Ask("ui");
        size_t at = 0;
        while (at < tree.size()) {
            size_t end = tree.find('\n', at);
            if (end == std::string::npos) {
                end = tree.size();
            }
            std::string line = tree.substr(at, end - at);
            bool all = true;
            for (const std::string& p : parts) {
                all = all && line.find(p) != std::string::npos;
            }
            if (all) {
                out.push_back(line);
            }
            at = end + 1;
        }
        return out;
    }
    std::vector<std::string> Lines(const std::string& part) { return Lines({part}); }

    // The window text of the screen on top (the innermost running modal
    // dialog), empty when none.
    std::string ModalText() {
        for (const std::string& l : Lines(" modal")) {
            size_t a = l.find('\''), b = l.find('\'', a + 1);
            if (a != std::string::npos && b != std::string::npos) {
                return l.substr(a + 1, b - a - 1);
            }
        }
        return "";
    }

    // The first line holding every one of parts, or empty.
    std::string UiLine(std::initializer_list<std::string> parts) {
        std::vector<std::string> lines = Lines(parts);
        return lines.empty() ? std::string() : lines[0];
    }

    // Whether a visible window's line holds part (and also).
    bool Visible(const std::string& part, const std::string& also = "") {
        for (const std::string& l : Lines({part, also})) {
            if (l.find(" visible") != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    // The screen as RGB bytes (kept as <name>.png in the run directory),
    // empty when it can't be had.
    std::vector<uint8_t> Screenshot(const std::string& name, png_image& img) {
        img = png_image{};
        int width = 0, height = 0;
        std::vector<uint8_t> px = m_process->Screenshot(name, &width, &height);
        img.width = static_cast<png_uint_32>(width);
        img.height = static_cast<png_uint_32>(height);
        return px;
    }

    // Distinct colours along the middle row of the screen; -1 without a
    // screenshot.
    int MiddleRowColours() { return m_process->MiddleRowColours(); }

    bool LiveView() { return m_process->LiveView(); }

    std::unique_ptr<CVeltoscProcess> m_process;  // made in SetUp, for the run directory
    std::string m_strRoot;                       // host path of the board root
    int m_nStepMs = 200;                         // program time per step of Advance and Until
};
