// Path mapping, device routing, fault injection, free space and the clock of
// the simulated board.
#include <errno.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/videodev2.h>
#include <sys/select.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <chrono>
#include <memory>

#include "platform/velto_board.h"
#include "sim/sim_board.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "sim/sim_scripted_v4l2.h"
#include "support/sim_test.h"

class SimBoardTest : public CVeltoSimBoardTest {};

TEST_F(SimBoardTest, DeviceNodesOpenOnlyWhilePresentAndCloseCleanly) {
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    int before = board.OpenDeviceCount();
    int fd = Board().Open("/dev/fsl_otg", O_RDONLY);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(board.OpenDeviceCount(), before + 1);
    int role = -1;
    EXPECT_EQ(Board().Ioctl(fd, 0x80044201UL, &role), 1);
    EXPECT_EQ(role, 1);
    EXPECT_EQ(Board().Ioctl(fd, 0x1234, nullptr), -1);
    EXPECT_EQ(errno, ENOTTY);
    EXPECT_EQ(Board().Close(fd), 0);
    EXPECT_EQ(board.OpenDeviceCount(), before);

    unlink(HostPath("/dev/fsl_otg").c_str());
    EXPECT_EQ(Board().Open("/dev/fsl_otg", O_RDONLY), -1);
    EXPECT_EQ(errno, ENOENT);
}

TEST_F(SimBoardTest, WatchdogCountsKeepAlives) {
    int fd = Board().Open("/dev/watchdog", O_RDWR);
    ASSERT_GE(fd, 0);
    int arg = 0;
    EXPECT_EQ(Board().Ioctl(fd, 0x80045705UL, &arg), 0);
    EXPECT_EQ(Board().Ioctl(fd, 0x80045705UL, &arg), 0);
    Board().Close(fd);
    EXPECT_EQ(ReadFile(HostPath("/sim/watchdog")), "2\n");
}

TEST_F(SimBoardTest, WriteFaultCutsTheFileAtTheGivenByte) {
    CVeltoSimBoard::GetInstance().SetWriteFault("out.bin", 10, ENOSPC);
    int fd = Board().Open("out.bin", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Board().Write(fd, "0123456", 7), 7);
    EXPECT_EQ(Board().Write(fd, "789abc", 6), 3);  // short write at the boundary
    EXPECT_EQ(Board().Write(fd, "x", 1), -1);
    EXPECT_EQ(errno, ENOSPC);
    Board().Close(fd);
    EXPECT_EQ(ReadFile(m_strRunDir + "/out.bin"), "0123456789");
    // Other files are not affected.
    fd = Board().Open("other.bin", O_WRONLY | O_CREAT, 0644);
    EXPECT_EQ(Board().Write(fd, "0123456789abc", 13), 13);
    Board().Close(fd);
}

TEST_F(SimBoardTest, FreeSpaceIsPerMount) {
    VeltoSim::SetFreeKiB(m_strRunDir + "/board", "/media/nand", 2);
    struct statfs st;
    ASSERT_EQ(Board().Statfs("/media/nand", &st), 0);
    EXPECT_EQ(st.f_bavail * st.f_bsize, 2048u);
    VeltoSim::SetFreeKiB(m_strRunDir + "/board", "/media/nand", -1);
    ASSERT_EQ(Board().Statfs("/media/nand", &st), 0);
    EXPECT_GT(st.f_bavail * st.f_bsize, 2048u);  // the host's figure again
}

TEST_F(SimBoardTest, SettingTheClockKeepsAnOffsetOnly) {
    time_t host = time(nullptr);
    ASSERT_EQ(Board().SetTime(host - 86400), 0);
    EXPECT_NEAR(static_cast<double>(Board().Time(nullptr)), static_cast<double>(host - 86400), 2);
    EXPECT_NEAR(static_cast<double>(time(nullptr)), static_cast<double>(host), 2);
    long long offset = VeltoSim::ReadNumber(HostPath("/sim/clock"), 0);
    EXPECT_NEAR(static_cast<double>(offset), -86400.0, 2);
}

TEST_F(SimBoardTest, ExecMapsBoardArguments) {
    pid_t pid = fork();
    if (pid == 0) {
        int out = open("args.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        const char* argv[] = {"/bin/echo", "/etc/lcdparams", "/tmp/x", "rel", nullptr};
        Board().Execvp(argv[0], const_cast<char* const*>(argv));
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(ReadFile(m_strRunDir + "/args.txt"), HostPath("/etc/lcdparams") + " /tmp/x rel\n");
}

namespace {

long long BoardMicros() {
    struct timeval tv;
    Board().GetTimeOfDay(&tv);
    return static_cast<long long>(tv.tv_sec) * 1000000 + tv.tv_usec;
}

double HostSecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// Under instant sleeps the board clock still moves by the time slept, so a
// time-out measured on it expires; turned off, sleeps are real again and the
// clock does not run backwards.
TEST_F(SimBoardTest, InstantSleepsMoveTheBoardClockInstead) {
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    board.SetInstantSleeps(true);
    long long before = BoardMicros();
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 100; ++i) {
        Board().Usleep(10000);
    }
    EXPECT_LT(HostSecondsSince(start), 0.5);
    long long after = BoardMicros();
    EXPECT_GE(after - before, 1000000);
    EXPECT_LT(after - before, 1500000);

    board.SetInstantSleeps(false);
    start = std::chrono::steady_clock::now();
    Board().Usleep(30000);
    EXPECT_GE(HostSecondsSince(start), 0.029);
    EXPECT_GE(BoardMicros(), after);
}

// A select on a node whose readiness only its calls change cannot end by
// waiting: under instant sleeps it times out at once on the board clock. A
// node that a timer may wake is still waited for.
TEST_F(SimBoardTest, InstantSelectOnlyOnScriptedNodes) {
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    auto node = std::make_shared<CVeltoScriptedV4L2>(CVeltoScriptedV4L2::Capture);
    board.RegisterDevice("/dev/video7", node);
    WriteFile(HostPath("/dev/video7"), "");
    // A healthy open, then a call that leaves the node without a frame.
    const uint8_t script[] = {0, 100};
    node->SetScripts(script, sizeof script, nullptr, 0);
    node->Arm(sizeof script);
    int fd = Board().Open("/dev/video7", O_RDWR | O_NONBLOCK);
    ASSERT_GE(fd, 0);
    v4l2_capability cap;
    ASSERT_EQ(Board().Ioctl(fd, VIDIOC_QUERYCAP, &cap), 0);

    board.SetInstantSleeps(true);
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(fd, &readable);
    struct timeval timeout = {1, 0};
    long long before = BoardMicros();
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Board().Select(fd + 1, &readable, nullptr, nullptr, &timeout), 0);
    EXPECT_LT(HostSecondsSince(start), 0.5);
    EXPECT_GE(BoardMicros() - before, 1000000);

    int other = Board().Open("/dev/watchdog", O_RDWR);
    ASSERT_GE(other, 0);
    FD_ZERO(&readable);
    FD_SET(other, &readable);
    timeout = {0, 100000};
    start = std::chrono::steady_clock::now();
    EXPECT_EQ(Board().Select(other + 1, &readable, nullptr, nullptr, &timeout), 0);
    EXPECT_GE(HostSecondsSince(start), 0.09);
    board.SetInstantSleeps(false);

    EXPECT_EQ(Board().Close(other), 0);
    EXPECT_EQ(Board().Close(fd), 0);
    EXPECT_EQ(node->LiveHandles(), 0);
}

TEST_F(SimBoardTest, SkippedSyncsStillFailOnABadDescriptor) {
    CVeltoSimBoard& board = CVeltoSimBoard::GetInstance();
    board.SetSkipSyncs(true);
    int fd = Board().Open("scratch.txt", O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(Board().Fsync(fd), 0);
    EXPECT_EQ(Board().Close(fd), 0);
    EXPECT_EQ(Board().Fsync(fd), -1);
    board.SetSkipSyncs(false);
}
