// The chargeled program on a simulated board: the parent returns at once, the
// child drives the LEDs; on hardware version 5 the child leaves at once.
// Real time: the loop runs once a second.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "sim/sim_board_state.h"
#include "tests/support/sim_program.h"
#include "tests/support/sim_test.h"

namespace {

const std::string kChargeLed = std::string(VELTO_BIN_DIR) + "/chargeled";

class ChargeLedProgramTest : public CVeltoSimBoardTest {
protected:
    void TearDown() override {
        // The forked monitor stays in the group of the program started.
        if (m_nGroup > 0) {
            kill(-m_nGroup, SIGKILL);
        }
        CVeltoSimBoardTest::TearDown();
    }
    std::string Root() const { return m_strRunDir + "/board"; }
    std::string Output() const { return ReadFile(m_strRunDir + "/chargeled.out"); }
    // Starts chargeled; its parent must be gone within a second with 0.
    void Start() {
        m_nGroup = VeltoTest::StartProgram(kChargeLed, m_strRunDir + "/chargeled.out");
        ASSERT_GT(m_nGroup, 0);
        int status = 0;
        ASSERT_TRUE(VeltoTest::WaitExit(m_nGroup, 1000, &status));
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_NE(Output().find("Monitor fork successfully.\n"), std::string::npos) << Output();
    }
    bool MonitorRunning() const { return kill(-m_nGroup, 0) == 0; }

    pid_t m_nGroup = -1;
};

}  // namespace

TEST_F(ChargeLedProgramTest, TheChildFollowsTheChargerOncePerSecond) {
    ASSERT_TRUE(VeltoSim::SetBatteryCurrent(Root(), 100000));
    Start();
    ASSERT_TRUE(VeltoTest::WaitUntil(
        [&] { return Output().find("Change to idle\n") != std::string::npos; }, 2000))
        << Output();
    EXPECT_NE(Output().find("Charger led monitor is running.\n"), std::string::npos);

    ASSERT_TRUE(VeltoSim::SetCharger(Root(), true));
    long long plugged = VeltoTest::MonotonicMs();
    ASSERT_TRUE(
        VeltoTest::WaitUntil([&] { return VeltoSim::LedValue(Root(), "Red_LED") == 255; }, 4000));
    // One dark pass first: at least a second goes by.
    EXPECT_GE(VeltoTest::MonotonicMs() - plugged, 900);
    EXPECT_EQ(VeltoSim::LedValue(Root(), "Green_LED"), 0);

    ASSERT_TRUE(VeltoSim::SetCharger(Root(), false));
    ASSERT_TRUE(
        VeltoTest::WaitUntil([&] { return VeltoSim::LedValue(Root(), "Red_LED") == 0; }, 1500));
    EXPECT_TRUE(MonitorRunning());
}

TEST_F(ChargeLedProgramTest, OnHardwareVersion5TheChildLeavesTheLedsAlone) {
    ASSERT_TRUE(VeltoSim::SetHwVersion(Root(), 5));
    WriteFile(HostPath("/sys/class/leds/Red_LED/brightness"), "255\n");
    Start();
    ASSERT_TRUE(VeltoTest::WaitUntil(
        [&] { return Output().find("Hardware version 5") != std::string::npos; }, 1500))
        << Output();
    EXPECT_NE(Output().find("Charger led monitor is running.\n"), std::string::npos);
    // A monitor that went on would have switched red off by now.
    usleep(1200000);
    EXPECT_EQ(Output().find("Change to"), std::string::npos) << Output();
    EXPECT_EQ(VeltoSim::LedValue(Root(), "Red_LED"), 255);
}
