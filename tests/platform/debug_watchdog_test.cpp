// The levelled log and the watchdog wrapper.
#include <gtest/gtest.h>

#include "app/mxs_watchdog.h"
#include "app/velto_SC_Debug.h"

TEST(DebugLog, EveryLevelIsWrittenWithItsPrefix) {
    testing::internal::CaptureStdout();
    velto_printf(DBG_LV_DEBUG, "x\n");
    velto_printf(DBG_LV_NORMAL, "x\n");
    velto_printf(DBG_LV_WARNING, "%s:%d Enter menu\n", "Main", 12);
    int n = velto_printf(DBG_LV_ERROR, "%d\n", 42);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              " x\nWarn: x\nWarn: Main:12 Enter menu\nError: 42\n");
    EXPECT_EQ(n, 3);
}

TEST(Watchdog, KeepAliveReachesNoDevice) {
    testing::internal::CaptureStdout();
    CMXSWatchdog& wd = CMXSWatchdog::GetInstance();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Initializing Watchdog\n");
    EXPECT_FALSE(wd.IsStarted());
    wd.KeepLive();
    EXPECT_TRUE(wd.Start());
    wd.Stop();
    EXPECT_FALSE(wd.IsStarted());
    EXPECT_EQ(&wd, &CMXSWatchdog::GetInstance());
}
