// velto-board as a person uses it: commands change the board, state shows it.
#include <gtest/gtest.h>
#include <stdio.h>
#include <sys/wait.h>

#include <string>

#include "sim/sim_files.h"
#include "support/sim_test.h"

class VeltoBoardToolTest : public CVeltoSimBoardTest {
protected:
    int Tool(const std::string& args, std::string* out = nullptr) {
        std::string cmd = std::string(VELTO_TEST_EMULATOR " ") + VELTO_BIN_DIR +
                          "/velto-board --dir " + m_strRunDir + " " + args + " 2>&1";
        FILE* p = popen(cmd.c_str(), "r");
        std::string text;
        char buf[512];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, p)) > 0) {
            text.append(buf, n);
        }
        int status = pclose(p);
        if (out != nullptr) {
            *out = text;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};

TEST_F(VeltoBoardToolTest, CommandsShowInState) {
    ASSERT_EQ(Tool("init"), 0);
    for (const char* c :
         {"battery 3450", "current 120", "charger on", "hwversion 3", "sd insert", "pc connect",
          "poweroff", "tvcable in", "camera unplug", "free /media/nand 512"}) {
        EXPECT_EQ(Tool(c), 0) << c;
    }
    std::string state;
    ASSERT_EQ(Tool("state", &state), 0);
    for (const char* want :
         {"battery: 3450 mV", "current: 120 uA", "charger: on", "hwversion: 3", "poweroff: 1",
          "tvcable: in", "usb: pc connected", "camera: unplugged", "sd card: inserted",
          "/dev/loop0 on /media/nand type vfat, free 512 KiB",
          "/dev/mmcblk0p1 on /media/sd-mmcblk0p1 type vfat"}) {
        EXPECT_NE(state.find(want), std::string::npos) << want << "\n" << state;
    }
    EXPECT_EQ(ReadFile(HostPath("/sys/class/power_supply/battery/voltage_now")), "3450000\n");
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/dev/video1")));
    EXPECT_EQ(Tool("camera plug"), 0);
    EXPECT_TRUE(VeltoSim::Exists(HostPath("/dev/video1")));
}

TEST_F(VeltoBoardToolTest, CameraFaultsShowInStateAndNormalUndoesThem) {
    for (const char* c : {"camera format mjpeg", "camera grant 640x480", "camera eio 30",
                          "camera einval 20", "camera badframes 5"}) {
        EXPECT_EQ(Tool(c), 0) << c;
    }
    std::string state;
    ASSERT_EQ(Tool("state", &state), 0);
    EXPECT_NE(state.find("camera: plugged, MJPEG only, grants 640x480, EIO for 30 s, EINVAL for "
                         "20 s\n"),
              std::string::npos)
        << state;
    EXPECT_EQ(Tool("camera normal"), 0);
    ASSERT_EQ(Tool("state", &state), 0);
    EXPECT_NE(state.find("camera: plugged\n"), std::string::npos) << state;
    std::string out;
    EXPECT_EQ(Tool("camera grant big", &out), 2);
    EXPECT_NE(out.find("camera grant WxH"), std::string::npos) << out;
    EXPECT_EQ(Tool("camera eio soon"), 2);
    EXPECT_EQ(Tool("camera"), 2);
}

TEST_F(VeltoBoardToolTest, FreshBoardDefaults) {
    std::string state;
    ASSERT_EQ(Tool("state", &state), 0);
    for (const char* want : {"battery: 3700 mV", "charger: off", "poweroff: 0", "sd card: none",
                             "output: lcd_panel=lq035", "camera: plugged", "usb: no pc"}) {
        EXPECT_NE(state.find(want), std::string::npos) << want << "\n" << state;
    }
    std::string led;
    EXPECT_EQ(Tool("led Green_LED", &led), 0);
    EXPECT_EQ(led, "0\n");
    EXPECT_EQ(Tool("led Nope"), 1);
    std::string cmds;
    EXPECT_EQ(Tool("commands", &cmds), 0);
    EXPECT_EQ(cmds, "");
}

TEST_F(VeltoBoardToolTest, BadUsageIsRefused) {
    EXPECT_EQ(Tool("battery lots"), 2);
    EXPECT_EQ(Tool("charger maybe"), 2);
    EXPECT_EQ(Tool("frobnicate"), 2);
    EXPECT_EQ(Tool(""), 2);
    std::string out;
    EXPECT_EQ(Tool("--dir /no/such/dir state", &out), 1);
    VeltoSim::RemoveTree(m_strRunDir + "/board");
    EXPECT_EQ(Tool("battery 3000", &out), 1);
    EXPECT_NE(out.find("no board"), std::string::npos);
}

TEST_F(VeltoBoardToolTest, PanelWithoutAWindowSaysSoAndBadUsageIsRefused) {
    std::string out;
    EXPECT_EQ(Tool("panel", &out), 1);
    EXPECT_NE(out.find("no velto-sim window"), std::string::npos) << out;
    EXPECT_EQ(Tool("panel screenshot", &out), 2);
    EXPECT_EQ(Tool("panel frobnicate x", &out), 2);
}
