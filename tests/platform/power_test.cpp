// Battery, supply, power-off flag, OTG role, output type and LEDs against
// the simulated board's sysfs files.
#include <gtest/gtest.h>

#include "platform/velto_SC_utils.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "support/sim_test.h"

using namespace Velto;

class PowerTest : public CVeltoSimBoardTest {
protected:
    void Battery(unsigned mv, long ua = 0) {
        ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(m_strRunDir + "/board", mv));
        ASSERT_TRUE(VeltoSim::SetBatteryCurrent(m_strRunDir + "/board", ua));
    }
};

TEST_F(PowerTest, PercentFollowsVoltageInStepsOfFour) {
    const struct {
        unsigned mv, percent;
    } cases[] = {{0, 0},     {3299, 0},   {3300, 0},   {3316, 4},  {3500, 48},
                 {3699, 96}, {3700, 100}, {3800, 100}, {5000, 100}};
    for (const auto& c : cases) {
        Battery(c.mv);
        EXPECT_EQ(GetBatteryVoltage(), c.mv);
        EXPECT_EQ(GetBatteryPowerPercent(), c.percent) << c.mv << " mV";
    }
}

TEST_F(PowerTest, StatusFromCurrentAndVoltage) {
    Battery(3800, 0);
    EXPECT_EQ(GetBatteryStatus(), BATT_CHARGING);
    Battery(3801, 0);
    EXPECT_EQ(GetBatteryStatus(), BATT_NOCHARGING);
    Battery(4100, 250000);
    EXPECT_EQ(GetBatteryStatus(), BATT_CHARGING);
    EXPECT_EQ(GetBatteryCurrent(), 250000u);
}

TEST_F(PowerTest, UnreadableFilesGiveNeutralValues) {
    WriteFile(HostPath(BatteryFilename), "");
    EXPECT_EQ(GetBatteryVoltage(), 0u);
    EXPECT_EQ(GetBatteryPowerPercent(), 0u);
    testing::internal::CaptureStdout();
    unlink(HostPath(BattCurrentFilename).c_str());
    EXPECT_EQ(GetBatteryCurrent(), 0u);
    unlink(HostPath(HwVesionFilename).c_str());
    EXPECT_EQ(GetHwVersion(), 0u);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("****05 Error can't open file " + std::string(BattCurrentFilename)),
              std::string::npos);
    EXPECT_NE(log.find("****hw-version GetHwVersion 05 Error can't open file"), std::string::npos);
}

TEST_F(PowerTest, ChargerHardwareVersionAndOtgRole) {
    const std::string root = m_strRunDir + "/board";
    EXPECT_FALSE(IsACOnline());
    VeltoSim::SetCharger(root, true);
    EXPECT_TRUE(IsACOnline());
    VeltoSim::SetHwVersion(root, 7);
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetHwVersion(), 7u);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("curval:7"), std::string::npos);
    EXPECT_TRUE(IsOtgHost());
    VeltoSim::ConnectPc(root, true);
    EXPECT_FALSE(IsOtgHost());
    // Without the node the role reads as host.
    unlink(HostPath("/dev/fsl_otg").c_str());
    EXPECT_TRUE(IsOtgHost());
}

TEST_F(PowerTest, PowerOffFlagIsReadAndCleared) {
    EXPECT_EQ(GetPowerOffStatus(), 0);
    VeltoSim::RequestPowerOff(m_strRunDir + "/board");
    EXPECT_EQ(GetPowerOffStatus(), 1);
    testing::internal::CaptureStdout();
    EXPECT_EQ(SetPowerOffStatus(), 5);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "SetPowerOffStatus\n");
    EXPECT_EQ(ReadFile(HostPath("/sys/power/poweroff_state")), std::string("0000\0", 5));
    EXPECT_EQ(GetPowerOffStatus(), 0);
    unlink(HostPath("/sys/power/poweroff_state").c_str());
    testing::internal::CaptureStdout();
    EXPECT_EQ(GetPowerOffStatus(), -1);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("ERROR("), std::string::npos);
}

TEST_F(PowerTest, OutputTypeMatchesOnlyTheExactPanelLine) {
    const struct {
        const char* text;
        bool lcd;
    } cases[] = {{"lcd_panel=lq035\n", true},
                 {"lcd_panel=lq035x\n", false},
                 {"lcd_panel=tvenc_pal\n", false},
                 {"lcd_panel=tvenc_ntsc\n", false},
                 {"", false},
                 {"lcd_panel=lq035", false}};
    for (const auto& c : cases) {
        WriteFile(HostPath("/etc/lcdparams"), c.text);
        testing::internal::CaptureStdout();
        EXPECT_EQ(GetOutputType(), c.lcd) << c.text;
        testing::internal::GetCapturedStdout();
    }
}

TEST_F(PowerTest, LedIsWrittenOnlyWhenItChanges) {
    const std::string file = HostPath("/sys/class/leds/Red_LED/brightness");
    EXPECT_EQ(GetLEDValue("Red_LED"), 0);
    EXPECT_EQ(GetLEDValue("Blue_LED"), -1);
    SetLEDValue("Red_LED", 0);
    EXPECT_EQ(ReadFile(file), "0\n");  // untouched: the value was already 0
    testing::internal::CaptureStdout();
    SetLEDValue("Red_LED", 255);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(ReadFile(file), "255");
    EXPECT_EQ(GetLEDValue("Red_LED"), 255);
    SetLEDValue("Blue_LED", 1);  // a missing LED is left alone
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/sys/class/leds/Blue_LED/brightness")));
}

TEST_F(PowerTest, PxpKickWritesOneAndTerminator) {
    RefreshNextReg();
    EXPECT_EQ(ReadFile(HostPath(nextreg)), std::string("1\0", 2));
}
