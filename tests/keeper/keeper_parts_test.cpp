// keeper's pieces in this process, on a fresh simulated board: the mode
// switch, the cable test, applying the stored output and the cable check.
#include <fcntl.h>
#include <linux/fb.h>
#include <unistd.h>

#include <string>

#include "keeper/keeper_framebuffer.h"
#include "keeper/keeper_run_program.h"
#include "keeper/keeper_tvout.h"
#include "keeper/velto_keeper.h"
#include "platform/velto_board.h"
#include "sim/sim_board_state.h"
#include "tests/support/sim_test.h"

namespace {

class KeeperPartsTest : public CVeltoSimBoardTest {
protected:
    std::string Board_() const { return m_strRunDir + "/board"; }
    std::string FbSize() {
        fb_var_screeninfo var = {};
        int fd = Board().Open("/dev/fb0", O_RDWR);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(Board().Ioctl(fd, FBIOGET_VSCREENINFO, &var), 0);
        Board().Close(fd);
        return std::to_string(var.xres) + "x" + std::to_string(var.yres) + "@" +
               std::to_string(var.bits_per_pixel);
    }
    std::string Backlight() {
        return ReadFile(HostPath("/sys/class/leds/LCD_backlight/brightness"));
    }
    void Apply() {
        testing::internal::CaptureStdout();
        CVeltoKeeper::GetInstance().ApplyOutput();
        m_strOut = testing::internal::GetCapturedStdout();
    }
    std::string m_strOut;
};

}  // namespace

TEST_F(KeeperPartsTest, TheModeSwitchOutlivesTheDescriptorAndReadsBack) {
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_new_fb_info(720, 576, 32), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Set fb to 720x576 bpp:32\n");
    EXPECT_EQ(FbSize(), "720x576@32");
    // The stored panel no longer decides once a mode was set.
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_ntsc\n");
    EXPECT_EQ(FbSize(), "720x576@32");
    // A mode the display cannot take is refused and the old one stays.
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_new_fb_info(0, 240, 32), -1);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(FbSize(), "720x576@32");

    // Without the device: -1 and nothing printed.
    ASSERT_EQ(unlink(HostPath("/dev/fb0").c_str()), 0);
    testing::internal::CaptureStdout();
    EXPECT_EQ(set_new_fb_info(320, 240, 32), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(KeeperPartsTest, TheCableTestExportsTheLineAndReadsItOnce) {
    EXPECT_FALSE(CheckTVoutWire());
    EXPECT_NE(Commands().find("echo 62 > /sys/class/gpio/export\n"), std::string::npos);
    ASSERT_TRUE(VeltoSim::SetTvCable(Board_(), true));
    EXPECT_TRUE(CheckTVoutWire());
    WriteFile(HostPath("/sys/class/gpio/gpio62/value"), "");
    EXPECT_FALSE(CheckTVoutWire());
    // No GPIO class at all: no cable, and nothing exported.
    ASSERT_EQ(system(("rm -rf " + HostPath("/sys/class/gpio")).c_str()), 0);
    EXPECT_FALSE(CheckTVoutWire());
}

TEST_F(KeeperPartsTest, TheStoredOutputSetsModeAndBacklightAndAnUnreadableOneChangesNothing) {
    CVeltoKeeper& keeper = CVeltoKeeper::GetInstance();
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_ntsc\n");
    Apply();
    EXPECT_NE(m_strOut.find("Panel type:lcd_panel=tvenc_ntsc"), std::string::npos) << m_strOut;
    EXPECT_EQ(FbSize(), "720x480@32");
    EXPECT_EQ(Backlight(), "0\n");
    EXPECT_EQ(keeper.Output(), OUT_TVENC_NTSC);

    for (const char* text : {"", "garbage\n", static_cast<const char*>(nullptr)}) {
        if (text) {
            WriteFile(HostPath("/etc/lcdparams"), text);
        } else {
            unlink(HostPath("/etc/lcdparams").c_str());
        }
        Apply();
        EXPECT_EQ(m_strOut.find("Panel type"), std::string::npos) << m_strOut;
        EXPECT_EQ(FbSize(), "720x480@32");
        EXPECT_EQ(keeper.Output(), OUT_TVENC_NTSC);
    }

    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel = x\nlcd_panel=tvenc_pal\n");
    Apply();
    EXPECT_EQ(FbSize(), "720x576@32");
    EXPECT_EQ(keeper.Output(), OUT_TVENC_PAL);
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=lq035\n");
    Apply();
    EXPECT_EQ(FbSize(), "320x240@32");
    EXPECT_EQ(Backlight(), "255\n");
    EXPECT_EQ(keeper.Output(), OUT_RGB);
}

TEST_F(KeeperPartsTest, OnlyATvOutputWithoutItsCableGoesBackToTheLcd) {
    CVeltoKeeper& keeper = CVeltoKeeper::GetInstance();
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=lq035\n");
    Apply();
    EXPECT_FALSE(keeper.CheckCable());
    ASSERT_TRUE(VeltoSim::SetTvCable(Board_(), true));
    EXPECT_FALSE(keeper.CheckCable());
    EXPECT_EQ(Commands().find("killall"), std::string::npos);

    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    Apply();
    EXPECT_FALSE(keeper.CheckCable());
    ASSERT_TRUE(VeltoSim::SetTvCable(Board_(), false));
    EXPECT_TRUE(keeper.CheckCable());
    EXPECT_NE(Commands().find("echo 'lcd_panel=lq035' > /etc/lcdparams\nkillall veltosc\n"),
              std::string::npos)
        << Commands();
    EXPECT_EQ(ReadFile(HostPath("/etc/lcdparams")), "lcd_panel=lq035\n");
}

TEST_F(KeeperPartsTest, TheRunnerHandsBackTheProgramsOutput) {
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    char result[64];
    unsigned len = 0;
    testing::internal::CaptureStdout();
    int rc = run_program("/bin/sed -n /lcd_panel/p /etc/lcdparams", result, sizeof result, &len);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, 0);
    EXPECT_STREQ(result, "lcd_panel=tvenc_pal\n");
    EXPECT_EQ(len, 20u);
    testing::internal::CaptureStdout();
    rc = run_program("/bin/sed -n /x/p /etc/no-such-file", result, sizeof result, &len);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, -1);
    EXPECT_STREQ(result, "");
}
