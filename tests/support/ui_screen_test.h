// Fixture for tests of the firmware's screens and controls: the toolkit on
// the in-memory display over a fresh simulated board, the artwork under
// img/ and /usr/velto/img, the settings store's screen size from the
// toolkit, virtual time, and the board clock set to a chosen second.
#pragma once

#include <stdio.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

#include <string>

#include "platform/velto_board.h"
#include "settings/velto_SC_screen.h"
#include "settings/velto_SC_setting.h"
#include "sim/sim_board_state.h"
#include "tests/toolkit/tk_fixture.h"
#include "toolkit/tk_host.h"

class CVeltoUiScreenTest : public CToolkitTest {
protected:
    void SetUp() override {
        CToolkitTest::SetUp();
        ASSERT_EQ(0, symlink(VELTO_SOURCE_DIR "/assets/img", "img"));
        std::string bye = HostPath("/usr/velto/img");
        mkdir(bye.c_str(), 0755);
        WriteFile(bye + "/bye.png", ReadFile(VELTO_SOURCE_DIR "/assets/usr_velto_img/bye.png"));
        Velto::SetScreenMetricsProc(GetSystemMetrics);
        // The store's OTG descriptor belongs to the board of an earlier test.
        CVeltoSCSetting::GetInstance().DeinitFSLOTG();
        CVeltoSCSetting::GetInstance().InitFSLOTG();
        // The shipped configuration with its languages, as on the device.
        WriteFile(m_strRunDir + "/veltoscconf.xml",
                  ReadFile(VELTO_SOURCE_DIR "/assets/veltoscconf.xml"));
        CVeltoSCSetting::GetInstance().InitConfigFile();
    }

    std::string Root() const { return m_strRunDir + "/board"; }

    // Reopens the display at another size (the TV output is 720 x 576).
    static void Reopen(int width, int height) {
        MwClose();
        MwSelectDisplay("memory", width, height);
        ASSERT_TRUE(MwOpen());
    }

    // Sets the board clock so that Time() gives t for the next 0.4 s: the
    // board keeps an offset to the host's seconds, so this waits for a
    // moment well inside a host second (time() may lag the fine clock).
    static void SetBoardTime(time_t t) {
        timeval tv;
        gettimeofday(&tv, nullptr);
        if (tv.tv_usec < 100000 || tv.tv_usec > 500000) {
            usleep((useconds_t)((1100000 - tv.tv_usec) % 1000000));
        }
        Board().SetTime(t);
    }

    // Moves virtual time by ms and handles what became due.
    static void Advance(uint32_t ms) {
        MwClockAdvance(ms);
        MwPumpMessages();
    }

    static std::string Text(HWND hwnd) {
        char buf[256];
        GetWindowText(hwnd, buf, sizeof buf);
        return buf;
    }

    static bool Shown(HWND hwnd) { return IsWindowVisible(hwnd) != 0; }

    // Saves the screen where a person can look at it after the run.
    static void SaveScreen(const std::string& name) {
        std::string dir = std::string(VELTO_BIN_DIR) + "/../test-screens";
        mkdir(dir.c_str(), 0755);
        EXPECT_TRUE(MwSaveScreenshot(dir + "/" + name + ".png"));
    }
};
