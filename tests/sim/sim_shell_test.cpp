// The simulated board's shell: commands act on the board, never the host.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <thread>

#include "platform/velto_board.h"
#include "sim/sim_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "sim/sim_shell.h"
#include "support/sim_test.h"

namespace {

std::vector<std::string> Words(const std::string& line, std::string* redirect = nullptr) {
    std::vector<std::string> w;
    std::string r;
    EXPECT_TRUE(CVeltoSimShell::Split(line, w, r)) << line;
    if (redirect != nullptr) {
        *redirect = r;
    }
    return w;
}

int ExitCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TEST(SimShellSplit, QuotesEscapesAndRedirection) {
    std::string r;
    EXPECT_EQ(Words("/bin/echo \"\" > /sys/x", &r), (std::vector<std::string>{"/bin/echo", ""}));
    EXPECT_EQ(r, "/sys/x");
    EXPECT_EQ(Words("echo 'lcd_panel=lq035' > /etc/lcdparams", &r),
              (std::vector<std::string>{"echo", "lcd_panel=lq035"}));
    EXPECT_EQ(Words("/bin/umount  -f   /media/nand"),
              (std::vector<std::string>{"/bin/umount", "-f", "/media/nand"}));
    EXPECT_EQ(Words("a\\ b 'c d'e"), (std::vector<std::string>{"a b", "c de"}));
    std::vector<std::string> w;
    EXPECT_FALSE(CVeltoSimShell::Split("echo 'open", w, r));
    EXPECT_FALSE(CVeltoSimShell::Split("echo x >", w, r));
}

class SimShellTest : public CVeltoSimBoardTest {
protected:
    int Sh(const std::string& cmd) { return ExitCode(Board().System(cmd.c_str())); }
    std::string Root() const { return m_strRunDir + "/board"; }
};

TEST_F(SimShellTest, EveryCommandIsLoggedExactly) {
    Sh("/bin/echo  /dev/loop0  > /sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file");
    Sh("no-such-tool --flag");
    EXPECT_EQ(
        Commands(),
        "/bin/echo  /dev/loop0  > /sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file\n"
        "no-such-tool --flag\n");
    EXPECT_EQ(Sh("no-such-tool --flag"), 127);
}

TEST_F(SimShellTest, EchoWritesBoardFilesOnly) {
    EXPECT_EQ(Sh("echo lcd_panel=tvenc_pal > /etc/lcdparams"), 0);
    EXPECT_EQ(ReadFile(HostPath("/etc/lcdparams")), "lcd_panel=tvenc_pal\n");
    // sysfs files cannot be created in directories that do not exist.
    EXPECT_EQ(Sh("echo 1 > /sys/no/such/dir/file"), 1);
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/sys/no")));
    // A run-time string cannot chain a second command.
    EXPECT_EQ(Sh("echo x; touch /tmp/velto-should-not-exist > /etc/lcdparams"), 0);
    EXPECT_FALSE(VeltoSim::Exists("/tmp/velto-should-not-exist"));
}

TEST_F(SimShellTest, MountAndUmountFollowTheTable) {
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    WriteFile(HostPath("/media/sd-mmcblk0p1/a.txt"), "card");
    EXPECT_EQ(Sh("/bin/umount -l /media/sd-mmcblk0p1"), 0);
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/media/sd-mmcblk0p1/a.txt")));
    EXPECT_EQ(Sh("/bin/umount -l /media/sd-mmcblk0p1"), 32);  // not mounted
    EXPECT_EQ(Sh("/bin/mount -t vfat /dev/mmcblk0p1 /media/sd-mmcblk0p1"), 0);
    EXPECT_EQ(ReadFile(HostPath("/media/sd-mmcblk0p1/a.txt")), "card");
    EXPECT_EQ(Sh("/bin/mount -t vfat /dev/mmcblk0p1 /media/sd-mmcblk0p1"), 32);  // busy
    EXPECT_EQ(Sh("mount -t vfat /dev/mmcblk9p1 /media/x"), 32);                  // no device
    std::string mounts = ReadFile(HostPath("/proc/mounts"));
    EXPECT_NE(mounts.find("/dev/mmcblk0p1 /media/sd-mmcblk0p1 vfat"), std::string::npos);
    EXPECT_NE(mounts.find("/dev/loop0 /media/nand vfat"), std::string::npos);
}

TEST_F(SimShellTest, FormattingEmptiesTheMedium) {
    ASSERT_TRUE(VeltoSim::InsertSdCard(Root()));
    WriteFile(HostPath("/media/sd-mmcblk0p1/DCIM/x.jpg"), "x");
    EXPECT_EQ(Sh("/bin/umount -l /media/sd-mmcblk0p1"), 0);
    EXPECT_EQ(Sh("/usr/bin/mkdosfs -F 32 /dev/mmcblk0p1"), 0);
    EXPECT_EQ(Sh("/bin/mount -t vfat /dev/mmcblk0p1 /media/sd-mmcblk0p1"), 0);
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/media/sd-mmcblk0p1/DCIM")));

    WriteFile(HostPath("/media/nand/v.avi"), "v");
    EXPECT_EQ(Sh("/bin/umount -l /media/nand"), 0);
    EXPECT_EQ(Sh("rm  -f  /mnt/ubifs/backing_file  "), 0);
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/mnt/ubifs/backing_file")));
    EXPECT_EQ(Sh("/usr/velto/nandformat  stop  "), 0);
    EXPECT_EQ(Sh("/usr/velto/nandformat  start  "), 0);
    EXPECT_TRUE(VeltoSim::Exists(HostPath("/mnt/ubifs/backing_file")));
    EXPECT_TRUE(VeltoSim::IsDir(HostPath("/media/nand")));
    EXPECT_FALSE(VeltoSim::Exists(HostPath("/media/nand/v.avi")));
    VeltoSim::MountEntry m;
    EXPECT_TRUE(VeltoSim::FindMountFor(Root(), "/media/nand/x", m));
    EXPECT_EQ(m.device, "/dev/loop0");
}

TEST_F(SimShellTest, MkdirAndRmStayOnTheBoard) {
    EXPECT_EQ(Sh("/bin/mkdir -p /media/nand/DCIM/sub"), 0);
    EXPECT_TRUE(VeltoSim::IsDir(HostPath("/media/nand/DCIM/sub")));
    WriteFile(HostPath("/media/nand/f"), "");
    EXPECT_EQ(Sh("rm -f /media/nand/f /media/nand/missing"), 0);
    EXPECT_EQ(Sh("rm /media/nand/missing"), 1);
}

TEST_F(SimShellTest, ProgramsRunFromTheBoardAndKillallOnlyHitsThem) {
    // A stand-in for splash installed on the board.
    WriteFile(HostPath("/usr/velto/splash"), "#!/bin/sh\necho \"$1\" > \"$PWD/ran\"\n");
    chmod(HostPath("/usr/velto/splash").c_str(), 0755);
    EXPECT_EQ(Sh("/usr/velto/splash /etc/lcdparams"), 0);
    // Board paths among the arguments are mapped.
    EXPECT_EQ(ReadFile(m_strRunDir + "/ran"), HostPath("/etc/lcdparams") + "\n");

    // killall of a program the board did not start signals nothing.
    pid_t outsider = fork();
    if (outsider == 0) {
        execl("/bin/sleep", "veltosc", "5", nullptr);
        _exit(1);
    }
    EXPECT_EQ(Sh("killall veltosc"), 1);
    EXPECT_EQ(kill(outsider, 0), 0);  // still alive
    kill(outsider, SIGKILL);
    waitpid(outsider, nullptr, 0);
}

TEST_F(SimShellTest, AProgramOfTheBuildRunsAlsoWhereTheHostCannotExecIt) {
    // A program built for the board's processor (an armel build runs on a PC
    // through its emulator, with or without a binfmt entry for it), here
    // velto-board installed in splash's place; "state" answers 0 on a board.
    ASSERT_EQ(0,
              system(("cp '" VELTO_BIN_DIR "/velto-board' '" + HostPath("/usr/velto/splash") + "'")
                         .c_str()));
    EXPECT_EQ(Sh("/usr/velto/splash state"), 0);
    EXPECT_EQ(Sh("/usr/velto/splash no-such-command"), 2) << "not the program's own answer";
}

TEST_F(SimShellTest, KillallStopsTheChildTheBoardStarted) {
    WriteFile(m_strRunDir + "/veltosc", "#!/bin/sh\nexec sleep 30\n");
    chmod((m_strRunDir + "/veltosc").c_str(), 0755);
    int status = -1;
    std::thread runner([&] { status = Board().System("./veltosc"); });
    for (int i = 0; i < 200 && CVeltoSimBoard::GetInstance().Children().empty(); ++i) {
        usleep(10000);
    }
    ASSERT_EQ(CVeltoSimBoard::GetInstance().Children().size(), 1u);
    EXPECT_EQ(Sh("killall veltosc"), 0);
    runner.join();
    EXPECT_TRUE(WIFSIGNALED(status) || ExitCode(status) != 0);
    EXPECT_TRUE(CVeltoSimBoard::GetInstance().Children().empty());
}
