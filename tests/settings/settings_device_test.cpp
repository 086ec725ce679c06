#include <fcntl.h>
#include <unistd.h>

#include "settings/velto_SC_screen.h"
#include "settings/velto_SC_setting.h"
#include "tests/settings/settings_test_util.h"

namespace {

TEST_F(SettingsTest, OtgRoleComesFromTheStatusDevice) {
    CTestSetting setting;
    WriteFile(HostPath("/sim/otg"), "device\n");
    EXPECT_EQ(OTG_DEVICE, setting.GetOTGStatus());
    WriteFile(HostPath("/sim/otg"), "host\n");
    EXPECT_EQ(OTG_HOST, setting.GetOTGStatus());

    setting.DeinitFSLOTG();
    EXPECT_EQ(OTG_UNKNOWN, setting.GetOTGStatus());
    setting.DeinitFSLOTG();  // twice is harmless

    // Without the device node the role is unknown.
    ASSERT_EQ(0, unlink(HostPath("/dev/fsl_otg").c_str()));
    EXPECT_FALSE(setting.InitFSLOTG());
    EXPECT_EQ(OTG_UNKNOWN, setting.GetOTGStatus());
}

TEST_F(SettingsTest, OtgDeviceOpenedAsDescriptorZeroStillWorks) {
    // Started without stdin, the first descriptor the process opens is 0.
    int saved = dup(0);
    ASSERT_GE(saved, 0);
    close(0);
    {
        CTestSetting setting;
        WriteFile(HostPath("/sim/otg"), "device\n");
        EXPECT_EQ(OTG_DEVICE, setting.GetOTGStatus());
        setting.DeinitFSLOTG();
        // Closed again, not leaked: the next open gets 0 once more.
        int fd = open("/dev/null", O_RDONLY);
        EXPECT_EQ(0, fd);
        close(fd);
    }
    dup2(saved, 0);
    close(saved);
}

int FakeMetrics(int index) {
    return index == 0 ? 800 : 480;
}
int NoDisplay(int) {
    return 0;
}

TEST_F(SettingsTest, ScreenSizeComesFromTheInstalledMetrics) {
    CTestSetting setting;
    EXPECT_EQ(320u, setting.GetScrWidth());
    EXPECT_EQ(240u, setting.GetScrHeight());
    Velto::SetScreenMetricsProc(FakeMetrics);
    EXPECT_EQ(800u, setting.GetScrWidth());
    EXPECT_EQ(480u, setting.GetScrHeight());
    // A display that is not up yet must not give a zero size to divide by.
    Velto::SetScreenMetricsProc(NoDisplay);
    EXPECT_EQ(320u, setting.GetScrWidth());
    EXPECT_EQ(240u, setting.GetScrHeight());
    Velto::SetScreenMetricsProc(nullptr);
    EXPECT_EQ(320u, setting.GetScrWidth());
}

}  // namespace
