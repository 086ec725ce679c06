// Clock, RTC, TV-out detector, USB reset line and the kernel cache command.
#include <gtest/gtest.h>
#include <time.h>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "support/sim_test.h"

using namespace Velto;

class ClockGpioTest : public CVeltoSimBoardTest {
protected:
    void SetBoardClock(time_t t) { ASSERT_EQ(Board().SetTime(t), 0); }
};

TEST_F(ClockGpioTest, UnsetClockStartsAt2012AndRtcGetsLocalTime) {
    SetBoardClock(1000);
    InitSystemDateTime();
    time_t now = Board().Time(nullptr);
    EXPECT_GE(now, 1325376000);
    EXPECT_LE(now, 1325376002);
    tm rtc = {};
    ASSERT_TRUE(get_rtc_time(rtc));
    time_t t = 1325376000;
    tm local;
    localtime_r(&t, &local);
    EXPECT_EQ(rtc.tm_year, local.tm_year);
    EXPECT_EQ(rtc.tm_mon, local.tm_mon);
    EXPECT_EQ(rtc.tm_mday, local.tm_mday);
    EXPECT_EQ(rtc.tm_hour, local.tm_hour);
}

TEST_F(ClockGpioTest, ClockAlreadySetIsLeftAlone) {
    SetBoardClock(1325376000 + 3600);
    std::string rtcBefore = ReadFile(HostPath("/sim/rtc"));
    InitSystemDateTime();
    EXPECT_GE(Board().Time(nullptr), 1325376000 + 3600);
    EXPECT_EQ(ReadFile(HostPath("/sim/rtc")), rtcBefore);
}

TEST_F(ClockGpioTest, RtcKeepsTheFieldsAsGiven) {
    tm in = {};
    in.tm_year = 126;
    in.tm_mon = 11;
    in.tm_mday = 24;
    in.tm_hour = 18;
    in.tm_min = 30;
    in.tm_sec = 5;
    in.tm_isdst = -1;
    ASSERT_TRUE(set_rtc_time(in));
    tm out = {};
    ASSERT_TRUE(get_rtc_time(out));
    EXPECT_EQ(out.tm_year, 126);
    EXPECT_EQ(out.tm_mon, 11);
    EXPECT_EQ(out.tm_mday, 24);
    EXPECT_EQ(out.tm_hour, 18);
    EXPECT_EQ(out.tm_min, 30);
    // The system clock followed, within the seconds the test takes.
    tm copy = in;
    time_t want = mktime(&copy);
    EXPECT_NEAR(static_cast<double>(Board().Time(nullptr)), static_cast<double>(want), 2.0);
    tm now = GetNow();
    EXPECT_EQ(now.tm_mday, 24);
}

TEST_F(ClockGpioTest, MissingRtcFails) {
    unlink(HostPath("/dev/rtc0").c_str());
    tm out = {};
    testing::internal::CaptureStderr();
    EXPECT_FALSE(get_rtc_time(out));
    EXPECT_NE(testing::internal::GetCapturedStderr().find("/dev/rtc0"), std::string::npos);
}

TEST_F(ClockGpioTest, TvCableIsExportedThenReadTwice) {
    testing::internal::CaptureStdout();
    EXPECT_FALSE(CheckTVoutWire());
    EXPECT_NE(Commands().find("echo 62 > /sys/class/gpio/export\n"), std::string::npos);
    VeltoSim::SetTvCable(m_strRunDir + "/board", true);
    EXPECT_TRUE(CheckTVoutWire());
    // Exported once: no second export command.
    EXPECT_EQ(Commands(), "echo 62 > /sys/class/gpio/export\n");
    VeltoSim::SetTvCable(m_strRunDir + "/board", false);
    EXPECT_FALSE(CheckTVoutWire());
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("CheckTVoutWire"), std::string::npos);
    // No GPIO class at all.
    VeltoSim::RemoveTree(HostPath("/sys/class/gpio"));
    EXPECT_FALSE(CheckTVoutWire());
}

TEST_F(ClockGpioTest, UsbResetPulsesLine71) {
    EXPECT_TRUE(ResetUSB());
    EXPECT_EQ(Commands(),
              "echo 71 > /sys/class/gpio/export\n"
              "echo 0 > /sys/class/gpio/gpio71/value\n"
              "echo 1 > /sys/class/gpio/gpio71/value\n");
    EXPECT_EQ(ReadFile(HostPath("/sys/class/gpio/gpio71/value")), "1\n");
    VeltoSim::RemoveTree(HostPath("/sys/class/gpio"));
    EXPECT_FALSE(ResetUSB());
}

TEST_F(ClockGpioTest, CacheReleaseCommandPerKind) {
    ReleaseVMCache(K_CACHE_PAGE);
    ReleaseVMCache(K_CACHE_DentriesAndiNodes);
    ReleaseVMCache(K_CACHE_ALL);
    ReleaseVMCache(static_cast<KernelCacheType>(9));
    EXPECT_EQ(Commands(),
              "echo 1 > /proc/sys/vm/drop_caches\n"
              "echo 2 > /proc/sys/vm/drop_caches\n"
              "echo 3 > /proc/sys/vm/drop_caches\n"
              "echo 1 > /proc/sys/vm/drop_caches\n");
    EXPECT_EQ(ReadFile(HostPath("/proc/sys/vm/drop_caches")), "1\n");
}
