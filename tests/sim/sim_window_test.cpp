// velto-sim's window without a display: where its parts go at each screen
// size, what the board panel's clicks do to the board and how it follows
// changes made elsewhere, and the shared screen that hands the program on
// top's picture to the window.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_shared_screen.h"
#include "sim/sim_window_canvas.h"
#include "sim/sim_window_keys.h"
#include "sim/sim_window_layout.h"
#include "sim/sim_window_panel.h"
#include "support/sim_test.h"

namespace {

bool Overlap(const SVeltoSimRect& a, const SVeltoSimRect& b) {
    return a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + b.h && b.y < a.y + a.h;
}

bool Inside(const SVeltoSimRect& inner, const SVeltoSimRect& outer) {
    return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
           inner.y + inner.h <= outer.y + outer.h;
}

}  // namespace

TEST(SimWindowLayout, TheLargestWholeScaleAtWhichFaceAndPanelFitTheDesktop) {
    EXPECT_EQ(2, VeltoSimWindowScale(320, 240, 1366, 768));
    EXPECT_EQ(1, VeltoSimWindowScale(720, 576, 1366, 768));
    EXPECT_EQ(1, VeltoSimWindowScale(720, 480, 1366, 768));
    // A desktop too small for even x 1 still gets x 1.
    EXPECT_EQ(1, VeltoSimWindowScale(320, 240, 640, 480));
    EXPECT_EQ(1, VeltoSimWindowScale(720, 576, 0, 0));
    // Whatever the scale, the window fits, and one step more would not.
    for (int desk : {1920, 2560, 3840}) {
        int deskH = desk * 9 / 16;
        int s = VeltoSimWindowScale(320, 240, desk, deskH);
        int w, h;
        VeltoSimWindowSize(320, 240, s, &w, &h);
        EXPECT_LE(w, desk);
        EXPECT_LE(h, deskH);
        VeltoSimWindowSize(320, 240, s + 1, &w, &h);
        EXPECT_TRUE(w > desk || h > deskH) << desk;
    }
}

TEST(SimWindowLayout, KeysLightsScreenAndPanelControlsNeitherOverlapNorLeaveTheWindow) {
    const int sizes[][3] = {{320, 240, 2}, {720, 576, 1}, {720, 480, 1}, {320, 240, 1}};
    for (const auto& s : sizes) {
        SVeltoSimWindowLayout l = VeltoSimLayWindow(s[0], s[1], s[2]);
        SCOPED_TRACE(std::to_string(s[0]) + "x" + std::to_string(s[1]));
        const SVeltoSimRect window{0, 0, l.width, l.height};
        EXPECT_EQ(s[0] * s[2], l.screen.w);
        EXPECT_EQ(s[1] * s[2], l.screen.h);
        EXPECT_TRUE(Inside(l.screen, l.face));
        EXPECT_TRUE(Inside(l.panel, window));
        EXPECT_FALSE(Overlap(l.face, l.panel));
        std::vector<SVeltoSimRect> parts = {l.screen, l.redLed, l.greenLed, l.light};
        ASSERT_EQ(9u, l.keys.size());
        for (const SVeltoSimFaceKey& k : l.keys) {
            EXPECT_TRUE(Inside(k.rect, l.face)) << k.control;
            parts.push_back(k.rect);
        }
        for (size_t i = 0; i < parts.size(); ++i) {
            for (size_t j = i + 1; j < parts.size(); ++j) {
                EXPECT_FALSE(Overlap(parts[i], parts[j])) << i << " and " << j;
            }
        }
        CVeltoSimPanel panel("/nonexistent", l.panel);
        const std::vector<SVeltoSimControl>& c = panel.Controls();
        for (size_t i = 0; i < c.size(); ++i) {
            EXPECT_TRUE(Inside(c[i].rect, l.panel)) << c[i].name;
            for (size_t j = i + 1; j < c.size(); ++j) {
                EXPECT_FALSE(Overlap(c[i].rect, c[j].rect)) << c[i].name << " " << c[j].name;
            }
            EXPECT_FALSE(Overlap(c[i].rect, panel.LinesRect())) << c[i].name;
        }
        EXPECT_TRUE(Inside(panel.LinesRect(), l.panel));
    }
}

class SimWindowPanelTest : public CVeltoSimBoardTest {
protected:
    std::string Root() const { return m_strRunDir + "/board"; }
    const SVeltoSimControl& Control(CVeltoSimPanel& p, const std::string& name) {
        for (const SVeltoSimControl& c : p.Controls()) {
            if (c.name == name) {
                return c;
            }
        }
        ADD_FAILURE() << "no control " << name;
        static SVeltoSimControl none;
        return none;
    }
    std::string Click(CVeltoSimPanel& p, const std::string& name, int dx = -1) {
        const SVeltoSimControl& c = Control(p, name);
        std::string hit = p.Press(c.rect.x + (dx < 0 ? c.rect.w / 2 : dx), c.rect.y + c.rect.h / 2);
        p.Release();
        return hit;
    }
    long Millivolts() {
        return (long)VeltoSim::ReadNumber(Root() + "/sys/class/power_supply/battery/voltage_now",
                                          0) /
               1000;
    }
};

TEST_F(SimWindowPanelTest, ClicksChangeTheBoardAsVeltoBoardWouldAndTheStatesFollow) {
    SVeltoSimWindowLayout l = VeltoSimLayWindow(320, 240, 2);
    CVeltoSimPanel p(Root(), l.panel);
    EXPECT_EQ("out", Control(p, "sd").state);

    EXPECT_EQ("sd", Click(p, "sd"));
    EXPECT_TRUE(VeltoSim::Exists(Root() + "/dev/mmcblk0p1"));
    EXPECT_EQ("in", Control(p, "sd").state);
    Click(p, "sd");
    EXPECT_FALSE(VeltoSim::Exists(Root() + "/dev/mmcblk0p1"));

    Click(p, "charger");
    EXPECT_EQ("1", VeltoSim::ReadLine(Root() + "/sys/class/power_supply/usb/online"));
    Click(p, "pc");
    EXPECT_EQ("device", VeltoSim::ReadLine(Root() + "/sim/otg"));
    Click(p, "tvcable");
    EXPECT_EQ("in", Control(p, "tvcable").state);
    Click(p, "poweroff");
    EXPECT_EQ("1", VeltoSim::ReadLine(Root() + "/sys/power/poweroff_state"));
    EXPECT_EQ("raised", Control(p, "poweroff").state);

    Click(p, "camera");
    EXPECT_FALSE(VeltoSimCameraIsPlugged(Root()));
    Click(p, "camera");
    EXPECT_TRUE(VeltoSimCameraIsPlugged(Root()));

    // A click beside a control does nothing.
    const SVeltoSimControl& sd = Control(p, "sd");
    EXPECT_EQ("", p.Press(sd.rect.x + sd.rect.w + 1, sd.rect.y - 1));
    EXPECT_FALSE(VeltoSim::Exists(Root() + "/dev/mmcblk0p1"));

    // Changes made outside the panel show at its next look.
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3550));
    ASSERT_TRUE(VeltoSim::SetTvCable(Root(), false));
    EXPECT_TRUE(p.Refresh());
    EXPECT_EQ("in", Control(p, "sd").state);
    EXPECT_EQ("out", Control(p, "tvcable").state);
    EXPECT_EQ(3550, Control(p, "battery").value);
    EXPECT_EQ("Battery 3.55 V", Control(p, "battery").label);
    EXPECT_FALSE(p.Refresh());  // nothing changed since
}

TEST_F(SimWindowPanelTest, SlidersTakeTheValueUnderThePointerWithinTheirRange) {
    SVeltoSimWindowLayout l = VeltoSimLayWindow(320, 240, 2);
    CVeltoSimPanel p(Root(), l.panel);
    const SVeltoSimControl& bat = Control(p, "battery");
    EXPECT_EQ(3200, bat.min);
    EXPECT_EQ(4200, bat.max);
    // The point the window test clicks for 3.4 V.
    Click(p, "battery", (3400 - 3200) * (bat.rect.w - 1) / 1000);
    EXPECT_NEAR(3400, Millivolts(), 10);
    Click(p, "battery", 0);
    EXPECT_EQ(3200, Millivolts());
    Click(p, "battery", bat.rect.w - 1);
    EXPECT_EQ(4200, Millivolts());

    // Dragged past the end, the slider stops at its range and applies on release.
    const SVeltoSimControl& b = Control(p, "battery");
    p.Press(b.rect.x + b.rect.w / 2, b.rect.y + 5);
    p.Drag(b.rect.x - 200);
    EXPECT_EQ(3200, Control(p, "battery").value);
    p.Release();
    EXPECT_EQ(3200, Millivolts());

    Click(p, "current", Control(p, "current").rect.w - 1);
    EXPECT_EQ(1000000,
              VeltoSim::ReadNumber(Root() + "/sys/class/power_supply/battery/current_now", 0));
}

TEST_F(SimWindowPanelTest, CameraFaultsCarryTheirArgumentsAndNormalClearsThem) {
    SVeltoSimWindowLayout l = VeltoSimLayWindow(720, 576, 1);
    CVeltoSimPanel p(Root(), l.panel);
    EXPECT_EQ("grant 640x480", Control(p, "camera-grant").label);
    EXPECT_EQ("640x480", Control(p, "camera-grant-arg").state);
    Click(p, "camera-grant-arg");
    EXPECT_EQ("grant 320x240", Control(p, "camera-grant").label);
    EXPECT_EQ("320x240", Control(p, "camera-grant-arg").state);
    Click(p, "camera-grant");
    VeltoSimCameraFaults f = VeltoSimCameraReadFaults(Root());
    EXPECT_EQ(320u, f.grantWidth);
    EXPECT_EQ(240u, f.grantHeight);
    EXPECT_EQ("320x240", Control(p, "camera-grant").state);

    Click(p, "camera-mjpeg");
    Click(p, "camera-badframes");
    Click(p, "camera-eio-arg");  // 5 s -> 10 s
    Click(p, "camera-eio");
    f = VeltoSimCameraReadFaults(Root());
    EXPECT_TRUE(f.mjpegOnly);
    EXPECT_EQ(10, f.badFrames);
    long long left = f.eioUntilMs - VeltoSimCameraNowMs();
    EXPECT_GT(left, 8000);
    EXPECT_LE(left, 10000);
    EXPECT_EQ("on", Control(p, "camera-eio").state);

    Click(p, "camera-normal");
    f = VeltoSimCameraReadFaults(Root());
    EXPECT_FALSE(f.mjpegOnly);
    EXPECT_EQ(0u, f.grantWidth);
    EXPECT_LE(f.eioUntilMs, VeltoSimCameraNowMs());
    EXPECT_EQ("off", Control(p, "camera-grant").state);
}

TEST_F(SimWindowPanelTest, TheInformationLinesShowTheOutputAndTheLastCommands) {
    CVeltoSimPanel p(Root(), VeltoSimLayWindow(320, 240, 2).panel);
    ASSERT_FALSE(p.Lines().empty());
    EXPECT_EQ(0u, p.Lines()[0].find("Output: LCD")) << p.Lines()[0];
    std::string log;
    for (int i = 1; i <= 8; ++i) {
        log += "command " + std::to_string(i) + "\n";
    }
    WriteFile(Root() + "/sim/commands.log", log);
    WriteFile(Root() + "/etc/lcdparams", "lcd_panel=tvenc_pal\n");
    EXPECT_TRUE(p.Refresh());
    EXPECT_EQ(0u, p.Lines()[0].find("Output: PAL"));
    // The newest few, oldest first, the newest last.
    ASSERT_EQ(7u, p.Lines().size());
    EXPECT_EQ("  command 4", p.Lines()[2]);
    EXPECT_EQ("  command 8", p.Lines().back());
    WriteFile(Root() + "/etc/lcdparams", "lcd_panel=tvenc_ntsc\n");
    p.Refresh();
    EXPECT_EQ(0u, p.Lines()[0].find("Output: NTSC"));
}

class SimSharedScreenTest : public CVeltoSimBoardTest {
protected:
    std::string SimDir() const { return m_strRunDir + "/board/sim"; }
};

TEST_F(SimSharedScreenTest, TheWindowShowsTheProgramThatOpenedLastAndStillRuns) {
    CVeltoSimScreenReader reader(SimDir());
    EXPECT_FALSE(reader.Update());

    std::vector<uint32_t> main(320 * 240, 0xFF112233u), shown;
    CVeltoSimScreenWriter veltosc;
    ASSERT_TRUE(veltosc.Open(SimDir(), "veltosc", 320, 240));
    veltosc.Write(main.data());
    usleep(250000);  // past the reader's rescan
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ("veltosc", reader.Program());
    ASSERT_TRUE(reader.Copy(shown));
    EXPECT_EQ(main, shown);
    uint64_t version = reader.Version();
    main[5] = 0xFFFFFFFFu;
    veltosc.Write(main.data());
    reader.Update();
    EXPECT_NE(version, reader.Version());

    // The goodbye program comes on top, and its end gives the screen back
    // with the main program's last picture.
    usleep(1000);
    std::vector<uint32_t> bye(320 * 240, 0xFF000000u);
    {
        CVeltoSimScreenWriter splash;
        ASSERT_TRUE(splash.Open(SimDir(), "splash", 320, 240));
        splash.Write(bye.data());
        usleep(250000);  // past the reader's rescan
        ASSERT_TRUE(reader.Update());
        EXPECT_EQ("splash", reader.Program());
        ASSERT_TRUE(reader.Copy(shown));
        EXPECT_EQ(bye, shown);
    }
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ("veltosc", reader.Program());
    ASSERT_TRUE(reader.Copy(shown));
    EXPECT_EQ(main, shown);

    // Restarted at the TV's size, it takes its old file over.
    veltosc.Close();
    EXPECT_FALSE(reader.Update());
    ASSERT_TRUE(veltosc.Open(SimDir(), "veltosc", 720, 576));
    std::vector<uint32_t> tv(720 * 576, 0xFF445566u);
    veltosc.Write(tv.data());
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ(720, reader.Width());
    EXPECT_EQ(576, reader.Height());
    ASSERT_TRUE(reader.Copy(shown));
    EXPECT_EQ(tv, shown);

    EXPECT_FALSE(veltosc.Open(SimDir(), "veltosc", 4096, 240));
}

TEST_F(SimSharedScreenTest, AProgramThatDiedWithoutClosingIsNotOnTop) {
    CVeltoSimScreenWriter veltosc;
    ASSERT_TRUE(veltosc.Open(SimDir(), "veltosc", 320, 240));
    usleep(1000);
    pid_t child = fork();
    if (child == 0) {
        CVeltoSimScreenWriter* crashed = new CVeltoSimScreenWriter();  // never closed
        _exit(crashed->Open(SimDir(), "splash", 320, 240) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_EQ(0, WEXITSTATUS(status));
    CVeltoSimScreenReader reader(SimDir());
    ASSERT_TRUE(reader.Update());
    EXPECT_EQ("veltosc", reader.Program());
}

TEST_F(SimSharedScreenTest, TheWindowMarkerNamesALiveProcess) {
    EXPECT_FALSE(VeltoSimWindowIsOpen(SimDir()));
    ASSERT_TRUE(VeltoSimMarkWindow(SimDir(), true));
    EXPECT_TRUE(VeltoSimWindowIsOpen(SimDir()));
    ASSERT_TRUE(VeltoSimMarkWindow(SimDir(), false));
    EXPECT_FALSE(VeltoSimWindowIsOpen(SimDir()));
    // Left behind by a velto-sim that was killed: no window.
    pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    WriteFile(SimDir() + "/window", std::to_string(child) + "\n");
    EXPECT_FALSE(VeltoSimWindowIsOpen(SimDir()));
    WriteFile(SimDir() + "/window", "garbage\n");
    EXPECT_FALSE(VeltoSimWindowIsOpen(SimDir()));
}

TEST(SimWindowCanvas, ScaledPicturesAndCutTextStayInTheirPlace) {
    CVeltoSimCanvas c;
    c.Resize(20, 10, 0xFF000000u);
    const uint32_t px[] = {0xFF0000FFu, 0xFF00FF00u, 0xFFFF0000u, 0xFFFFFFFFu};
    c.Blit(px, 2, 2, 1, 1, 3);
    EXPECT_EQ(0xFF000000u, c.Pixels()[0]);
    EXPECT_EQ(0xFF0000FFu, c.Pixels()[1 * 20 + 1]);
    EXPECT_EQ(0xFF0000FFu, c.Pixels()[3 * 20 + 3]);
    EXPECT_EQ(0xFF00FF00u, c.Pixels()[1 * 20 + 4]);
    EXPECT_EQ(0xFFFFFFFFu, c.Pixels()[6 * 20 + 6]);
    EXPECT_EQ(0xFF000000u, c.Pixels()[7 * 20 + 7]);
    c.Blit(px, 2, 2, 18, 8, 3);  // cut at the canvas's edge, no write past it
    EXPECT_EQ(0xFF0000FFu, c.Pixels()[9 * 20 + 19]);

    CVeltoSimFont font;
    ASSERT_TRUE(font.Load(VELTO_TEST_FONT, 14));
    CVeltoSimCanvas t;
    t.Resize(200, 20, 0xFF000000u);
    font.Draw(t, 0, 0, "Battery 3.70 V and more words than fit", 0xFFFFFFFFu, 60);
    int lit = 0, beyond = 0;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 200; ++x) {
            bool on = t.Pixels()[(size_t)y * 200 + x] != 0xFF000000u;
            lit += on;
            beyond += on && x >= 60;
        }
    }
    EXPECT_GT(lit, 50);
    EXPECT_EQ(0, beyond);
    EXPECT_FALSE(font.Load("/nonexistent/font.ttf", 14));
}

class SimWindowKeysTest : public CVeltoSimBoardTest {};

TEST_F(SimWindowKeysTest, KeysReachTheirProgramInOrderAndAMissingOneStallsNothing) {
    std::mutex mutex;
    std::vector<std::string> got;
    CVeltoSimControlServer veltosc;
    ASSERT_TRUE(veltosc.Start(VeltoSimControlSocketPath(m_strRunDir, "veltosc"),
                              [&](const std::string& rq, std::string&) {
                                  std::lock_guard<std::mutex> lock(mutex);
                                  got.push_back(rq);
                                  return true;
                              }));
    auto count = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return got.size();
    };
    {
        CVeltoSimKeySender keys(m_strRunDir);
        keys.Send("veltosc", "F3", true);
        keys.Send("splash", "ENTER", true);  // not running: dropped with a message
        keys.Send("", "UP", true);           // nothing on the screen yet
        keys.Send("veltosc", "UP", true);
        keys.Send("veltosc", "UP", false);
        keys.Send("veltosc", "F3", false);
        for (int i = 0; i < 200 && count() < 4; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ((std::vector<std::string>{"key F3 down", "key UP down", "key UP up", "key F3 up"}),
              got);
}
