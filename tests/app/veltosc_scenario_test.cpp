// The whole main program on a simulated board, as a user meets it: veltosc
// runs in its own process on virtual time; the test sends keys and moves
// time through the control channel (the camera head streams in real time,
// as hardware does) and looks at the window tree, the screen, the files
// and the commands the board ran.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "support/veltosc_process_test.h"

namespace {

class VeltoscScenarioTest : public CVeltoscProcessTest {
protected:
    // Whether a screen with caption comes up within 2 s of program time.
    bool CaptionUp(const char* caption) {
        return Until([&] { return Visible("STATIC", caption); }, 2000);
    }

    std::vector<std::string> Files(const std::string& boardDir, const std::string& ext) {
        std::vector<std::string> out;
        std::string listing = MediaList(HostPath(boardDir));
        std::regex re("[^\n]*\\" + ext + "(?=\n)");
        for (std::sregex_iterator it(listing.begin(), listing.end(), re), end; it != end; ++it) {
            out.push_back(it->str());
        }
        return out;
    }

    long long FileSize(const std::string& boardPath) {
        struct stat st;
        return stat(HostPath(boardPath).c_str(), &st) == 0 ? (long long)st.st_size : -1;
    }

    static std::string MediaList(const std::string& dir) {
        std::string cmd = "ls -1 '" + dir + "' 2>/dev/null";
        std::string out;
        FILE* p = popen(cmd.c_str(), "r");
        char buf[256];
        while (p && fgets(buf, sizeof buf, p)) {
            out += buf;
        }
        if (p) {
            pclose(p);
        }
        return out;
    }
};

TEST_F(VeltoscScenarioTest, LiveViewPicturesRecordingSlidersAndMenus) {
    VeltoSim::SetFreeKiB(m_strRoot, "/media/nand", 30000);
    Start();
    // Live view, clock, battery gauge and picture mode with the pictures that
    // fit: (30000 - 2048) / 280.
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000)) << "no live picture";
    EXPECT_TRUE(Visible("VeltoDateTimeDisplay"));
    EXPECT_TRUE(Visible("VeltoPowerIcon"));
    EXPECT_TRUE(Visible("STATIC '99'")) << Ask("ui");
    EXPECT_FALSE(Visible("VeltoSDChecker"));

    // A picture: the busy image, then a JPEG and live view again.
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return !Files("/media/nand", ".jpg").empty(); }, 6000));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000)) << "live view did not return";
    std::vector<std::string> jpg = Files("/media/nand", ".jpg");
    ASSERT_EQ(jpg.size(), 1u);
    EXPECT_TRUE(std::regex_match(jpg[0], std::regex("[0-9A-F]{8}\\.jpg"))) << jpg[0];

    // Light: Left and Right in 11 steps of the camera-head LED; the slider
    // hides 5 s after the last key.
    // A key is taken when the channel answers, and acted on a moment later
    // (on a loaded machine, many moments): wait for what it does.
    const auto led = [&] { return VeltoSim::LedValue(m_strRoot, "led-pwm0"); };
    long light = led();
    Key("RIGHT");
    Advance(200);
    EXPECT_TRUE(WaitFor([&] { return Visible("VeltoBrightAdjust") && led() > light; }, 2000));
    EXPECT_TRUE(Visible("VeltoBrightAdjust"));
    EXPECT_GT(led(), light);
    for (int i = 0; i < 12; ++i) {
        Key("LEFT");
    }
    Advance(200);
    EXPECT_TRUE(WaitFor([&] { return led() == 18; }, 2000));
    EXPECT_EQ(led(), 18);
    Key("UP");
    Advance(200);
    EXPECT_TRUE(WaitFor([&] { return Visible("VeltoFocusAdjust"); }, 2000));
    EXPECT_FALSE(Visible("VeltoBrightAdjust")) << "only one slider at a time";
    Advance(5200);
    EXPECT_FALSE(Visible("VeltoFocusAdjust"));

    // Video: F3, Enter records with the mark and the elapsed time, Enter
    // stops; F1 and F4 do nothing meanwhile.
    Key("F3");
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return Visible("VeltoImageDisplayer", "266 31"); }, 3000)) << Ask("ui");
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // frames, in real time
    Advance(1200);
    EXPECT_TRUE(Visible("STATIC '00:00:0")) << Ask("ui");
    // What is on top before the keys stays on top: neither the setup menu
    // nor the media chooser comes up, the mark stays and the recording goes
    // on into its file.
    std::string onTop = ModalText();
    std::vector<std::string> recording = Files("/media/nand", ".avi");
    ASSERT_EQ(recording.size(), 1u) << "the recording's file while it runs";
    Key("F1");
    Key("F4");
    Advance(400);
    long long before = FileSize("/media/nand/" + recording[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));  // frames, in real time
    Advance(1000);
    EXPECT_EQ(onTop, ModalText()) << Ask("ui");
    EXPECT_NE("MediaNav", ModalText());
    EXPECT_TRUE(Lines("'Setup'").empty()) << Ask("ui");
    EXPECT_TRUE(Lines("LISTBOX").empty()) << Ask("ui");
    EXPECT_TRUE(Lines("'Media'").empty()) << Ask("ui");
    EXPECT_TRUE(Visible("VeltoImageDisplayer", "266 31")) << "the recording mark went away";
    EXPECT_TRUE(Visible("VeltoRecMode"));
    EXPECT_FALSE(Visible("STATIC '00:00:00'")) << "the running time went back to zero";
    EXPECT_GT(FileSize("/media/nand/" + recording[0]), before) << "the recording stopped growing";
    EXPECT_EQ(Files("/media/nand", ".avi"), recording);
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return !Visible("VeltoImageDisplayer", "266 31"); }, 3000));
    std::vector<std::string> avi = Files("/media/nand", ".avi");
    ASSERT_EQ(avi.size(), 1u);
    std::string probe =
        "ffprobe -v error -count_frames -show_entries stream=nb_read_frames "
        "-of csv=p=0 '" +
        HostPath("/media/nand/" + avi[0]) + "'";
    FILE* p = popen(probe.c_str(), "r");
    char buf[64] = "";
    if (p && fgets(buf, sizeof buf, p)) {
        EXPECT_GT(atoi(buf), 10) << "frames in the recording";
    }
    ASSERT_TRUE(p != nullptr);
    EXPECT_EQ(pclose(p), 0);

    // F1 opens a screen over the live view and F1 closes it again.
    Key("F1");
    ASSERT_TRUE(Until([&] { return !UiLine({"Setup"}).empty(); }, 2000)) << Ask("ui");
    EXPECT_FALSE(Visible("VeltoRecMode"));
    Key("F1");
    ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoRecMode"); }, 8000));
    EXPECT_TRUE(Running());
}

TEST_F(VeltoscScenarioTest, CardPcPowerOffAndCameraPlug) {
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));

    // The card's icon follows the card; pictures go to its DCIM folder.
    ASSERT_TRUE(VeltoSim::InsertSdCard(m_strRoot));
    ASSERT_TRUE(Until([&] { return Visible("VeltoSDChecker"); }, 3000));
    Key("ENTER");
    ASSERT_TRUE(Until([&] { return !Files("/media/sd-mmcblk0p1/DCIM", ".jpg").empty(); }, 6000));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 6000));

    // Camera unplugged and plugged again: live view comes back.
    ASSERT_TRUE(VeltoSimCameraSetPlugged(m_strRoot, false));
    ASSERT_TRUE(Until([&] { return !LiveView(); }, 6000));
    ASSERT_TRUE(VeltoSimCameraSetPlugged(m_strRoot, true));
    ASSERT_TRUE(Until([&] { return LiveView(); }, 12000)) << "no live view after replug";

    // A PC: the media go to the USB gadget while the USB screen is up, and
    // come back when the PC lets go.
    ASSERT_TRUE(VeltoSim::ConnectPc(m_strRoot, true));
    ASSERT_TRUE(Until([&] { return !UiLine({"WarningBox"}).empty(); }, 3000));
    EXPECT_NE(Commands().find("/bin/echo  /dev/mmcblk0p1 > "
                              "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file\n"
                              "/bin/echo  /dev/loop0  > "
                              "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file"),
              std::string::npos)
        << Commands();
    ASSERT_TRUE(VeltoSim::ConnectPc(m_strRoot, false));
    ASSERT_TRUE(Until([&] { return UiLine({"WarningBox"}).empty(); }, 8000));
    EXPECT_NE(Commands().find("/bin/umount  -f   /media/nand\n/bin/mount -t vfat /dev/loop0  "
                              "/media/nand"),
              std::string::npos);
    ASSERT_TRUE(Until([&] { return LiveView(); }, 12000));

    // Power-off: the goodbye screen, once.
    ASSERT_TRUE(VeltoSim::RequestPowerOff(m_strRoot));
    ASSERT_TRUE(Until([&] { return !UiLine({"WarningBox"}).empty(); }, 3000));
    ASSERT_TRUE(Until([&] { return UiLine({"WarningBox"}).empty(); }, 8000));
    Advance(2000);
    EXPECT_TRUE(UiLine({"WarningBox"}).empty()) << "the goodbye screen came back";
    EXPECT_EQ(ReadFile(HostPath("/sys/power/poweroff_state"))[0], '0') << "request not cleared";
    EXPECT_TRUE(Running());
}

TEST_F(VeltoscScenarioTest, SetupMenuToTvOutAndTheProgramsEnd) {
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=lq035\n");
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));

    // F1, Enter on the first row, Up to the last: the TV-out screen.
    Key("F1");
    ASSERT_TRUE(CaptionUp("'Setup'")) << Ask("ui");
    EXPECT_TRUE(Visible("LISTBOX", "SETUP"));
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Advanced Settings'")) << Ask("ui");
    Key("UP");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'TV out'")) << Ask("ui");

    // F1 leaves the file alone and goes back through the menus.
    Key("F1");
    ASSERT_TRUE(CaptionUp("'Advanced Settings'"));
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'TV out'"));

    // No cable: the message, and the screen stays.
    Key("DOWN");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Plug in the TV out wire'")) << Ask("ui");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'No wire found, check it please.'")) << Ask("ui");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'TV out'"));
    EXPECT_EQ(ReadFile(HostPath("/etc/lcdparams")), "lcd_panel=lq035\n");

    // With a cable, PAL and Yes: the panel line, the goodbye screen, the end.
    ASSERT_TRUE(VeltoSim::SetTvCable(m_strRoot, true));
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Plug in the TV out wire'"));
    Key("ENTER");
    EXPECT_TRUE(WaitFor(
        [&] {
            Ask("advance 200");
            return !Running();
        },
        20000))
        << "veltosc still runs";
    EXPECT_EQ(ReadFile(HostPath("/etc/lcdparams")), "lcd_panel=tvenc_pal\n");
    EXPECT_NE(Commands().find("echo lcd_panel=tvenc_pal > /etc/lcdparams"), std::string::npos);
    EXPECT_NE(ReadFile(m_strRunDir + "/veltosc.log").find("Veltosc exit program"),
              std::string::npos);
    EXPECT_FALSE(Running());
}

TEST_F(VeltoscScenarioTest, GermanChosenInTheMenusStaysAfterARestart) {
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));
    Key("F1");
    ASSERT_TRUE(CaptionUp("'Setup'")) << Ask("ui");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Advanced Settings'"));
    Key("DOWN");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Language'")) << Ask("ui");
    Key("DOWN");
    Key("DOWN");
    Key("DOWN");
    Key("ENTER");
    ASSERT_TRUE(CaptionUp("'Erweiterte Einstellungen'")) << Ask("ui");
    Key("F1");
    ASSERT_TRUE(CaptionUp("'Konfiguration'")) << Ask("ui");
    Key("F1");
    ASSERT_TRUE(Until([&] { return LiveView() && Visible("VeltoRecMode"); }, 8000));

    Stop();
    Start();
    ASSERT_TRUE(Until([&] { return LiveView(); }, 8000));
    Key("F1");
    EXPECT_TRUE(CaptionUp("'Konfiguration'")) << Ask("ui");
}

}  // namespace
