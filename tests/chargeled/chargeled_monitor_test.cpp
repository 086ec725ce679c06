// The LED loop pass by pass on a simulated board: what each LED shows and
// which messages appear as the charger comes and goes and the battery fills.
#include <string>

#include "chargeled/velto_chargeled_monitor.h"
#include "sim/sim_board_state.h"
#include "tests/support/sim_test.h"

namespace {

class ChargeLedTest : public CVeltoSimBoardTest {
protected:
    std::string Root() const { return m_strRunDir + "/board"; }
    // One pass; returns "RED GREEN" brightness and keeps what it printed.
    std::string Pass() {
        testing::internal::CaptureStdout();
        m_monitor.Pass();
        m_strOut += testing::internal::GetCapturedStdout();
        return Leds();
    }
    std::string Leds() const {
        return std::to_string(VeltoSim::LedValue(Root(), "Red_LED")) + " " +
               std::to_string(VeltoSim::LedValue(Root(), "Green_LED"));
    }
    std::string TakeOutput() {
        std::string out = m_strOut;
        m_strOut.clear();
        return out;
    }

    CVeltoChargeLedMonitor m_monitor;
    std::string m_strOut;
};

}  // namespace

TEST_F(ChargeLedTest, PluggingInIsDarkForOnePassThenRedWhileCurrentFlows) {
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(TakeOutput(), "Change to idle\n");
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(TakeOutput(), "");

    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryCurrent(Root(), 250000));
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(TakeOutput(), "");
    EXPECT_EQ(Pass(), "255 0");
    EXPECT_EQ(Pass(), "255 0");
    EXPECT_EQ(Pass(), "255 0");
    EXPECT_EQ(TakeOutput(), "Change to charge\n");

    // Any current is charging, even with a full voltage.
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 4100));
    EXPECT_EQ(Pass(), "255 0");
    EXPECT_EQ(TakeOutput(), "");
}

TEST_F(ChargeLedTest, GreenOnlyAbove3800MillivoltsWithoutCurrent) {
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryCurrent(Root(), 0));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3800));
    Pass();
    EXPECT_EQ(Pass(), "255 0");
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3801));
    EXPECT_EQ(Pass(), "0 255");
    EXPECT_EQ(Pass(), "0 255");
    EXPECT_EQ(TakeOutput(), "Change to charge\nChange to uncharge\n");
}

TEST_F(ChargeLedTest, UnpluggingSwitchesBothOffAtOnceAndReplugIsDarkAgain) {
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3900));
    Pass();
    EXPECT_EQ(Pass(), "0 255");
    TakeOutput();

    ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(TakeOutput(), "Change to idle\n");
    EXPECT_EQ(m_monitor.Shown(), CVeltoChargeLedMonitor::SHOWN_IDLE);

    // The plug count starts again: the first pass back on the supply is dark.
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    EXPECT_EQ(Pass(), "0 0");
    EXPECT_EQ(Pass(), "0 255");
    EXPECT_EQ(TakeOutput(), "Change to uncharge\n");
}

TEST_F(ChargeLedTest, UnreadableSupplyFilesFallBackToIdleOrRed) {
    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    ASSERT_TRUE(VeltoSim::SetBatteryMillivolts(Root(), 3900));
    WriteFile(HostPath("/sys/class/power_supply/battery/voltage_now"), "");
    Pass();
    EXPECT_EQ(Pass(), "255 0");  // no voltage: charging
    WriteFile(HostPath("/sys/class/power_supply/usb/online"), "");
    EXPECT_EQ(Pass(), "0 0");  // no supply reading: offline
}
