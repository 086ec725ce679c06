// splash on the real clock: up for 1.5 s, then gone with exit status 0.
#include <sys/wait.h>

#include <string>

#include "tests/support/sim_program.h"
#include "tests/support/sim_test.h"

class SplashRealTimeTest : public CVeltoSimBoardTest {};

TEST_F(SplashRealTimeTest, EndsWithZeroAfterOneAndAHalfSeconds) {
    long long began = VeltoTest::MonotonicMs();
    pid_t pid =
        VeltoTest::StartProgram(std::string(VELTO_BIN_DIR) + "/splash", m_strRunDir + "/out");
    ASSERT_GT(pid, 0);
    int status = 0;
    bool ended = VeltoTest::WaitExit(pid, 8000, &status);
    long long took = VeltoTest::MonotonicMs() - began;
    if (!ended) {
        VeltoTest::KillGroup(pid);
    }
    ASSERT_TRUE(ended) << ReadFile(m_strRunDir + "/out");
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_GE(took, 1500);
    EXPECT_LT(took, 6000);
}
