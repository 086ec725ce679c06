// keeper on a simulated board with a stand-in main program in its run
// directory: where it starts, how it restarts, the TV outputs, the cable and
// the stop signals. Real time: keeper waits 1 s between runs and looks at the
// cable every 2 s.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_files.h"
#include "tests/support/sim_program.h"
#include "tests/support/sim_test.h"

using VeltoTest::WaitUntil;

namespace {

const std::string kKeeper = std::string(VELTO_BIN_DIR) + "/keeper";

struct Start {
    long long ms = 0;
    pid_t pid = 0;
    std::string size;       // "WxH" of the framebuffer
    std::string backlight;  // LCD backlight brightness
    std::string panel;      // the lcdparams line
};

class KeeperTest : public CVeltoSimBoardTest {
protected:
    void SetUp() override {
        CVeltoSimBoardTest::SetUp();
        ASSERT_EQ(symlink(VELTO_STANDIN, (m_strRunDir + "/veltosc").c_str()), 0);
    }
    void TearDown() override {
        VeltoTest::KillGroup(m_nKeeper);
        for (pid_t pid : StandInPids()) {
            kill(pid, SIGKILL);
        }
        if (m_nOutsider > 0) {
            VeltoTest::KillGroup(m_nOutsider);
        }
        CVeltoSimBoardTest::TearDown();
    }

    void Script(const std::string& lines) { WriteFile(m_strRunDir + "/veltosc.script", lines); }
    void StartKeeper() {
        m_nKeeper = VeltoTest::StartProgram(kKeeper, m_strRunDir + "/keeper.out");
        ASSERT_GT(m_nKeeper, 0);
    }
    std::string Output() const { return ReadFile(m_strRunDir + "/keeper.out"); }

    std::vector<Start> Starts() const {
        std::vector<Start> starts;
        std::istringstream in(ReadFile(m_strRunDir + "/veltosc.log"));
        for (std::string line; std::getline(in, line);) {
            if (line.compare(0, 5, "term ") == 0) {
                continue;
            }
            std::istringstream words(line);
            Start s;
            words >> s.ms >> s.pid >> s.size >> s.backlight >> s.panel;
            starts.push_back(s);
        }
        return starts;
    }
    bool AwaitStarts(size_t n, int timeoutMs) {
        return WaitUntil([&] { return Starts().size() >= n; }, timeoutMs);
    }
    bool Terminated(pid_t pid) const {
        return ReadFile(m_strRunDir + "/veltosc.log").find("term " + std::to_string(pid)) !=
               std::string::npos;
    }
    std::vector<pid_t> StandInPids() const {
        std::vector<pid_t> pids;
        for (const Start& s : Starts()) {
            pids.push_back(s.pid);
        }
        return pids;
    }

    pid_t m_nKeeper = -1;
    pid_t m_nOutsider = -1;
};

bool Alive(pid_t pid) {
    return kill(pid, 0) == 0;
}

}  // namespace

TEST_F(KeeperTest, StartsOnTheLcdAndRestartsTheProgramASecondAfterItEnds) {
    // Whatever was stored, every start of keeper begins on the LCD.
    WriteFile(HostPath("/etc/lcdparams"), "lcd_panel=tvenc_pal\n");
    Script("exit 3\nexit 0\nstay\n");
    StartKeeper();
    ASSERT_TRUE(AwaitStarts(3, 6000)) << Output();

    std::vector<Start> s = Starts();
    EXPECT_EQ(s[0].size, "320x240");
    EXPECT_EQ(s[0].backlight, "255");
    EXPECT_EQ(s[0].panel, "lcd_panel=lq035");
    // A failing exit status is restarted like a clean one, each after 1 s.
    for (size_t i = 1; i < 3; ++i) {
        long long gap = s[i].ms - s[i - 1].ms;
        EXPECT_GE(gap, 950) << "start " << i;
        EXPECT_LT(gap, 1800) << "start " << i;
    }
    EXPECT_NE(Output().find("Panel type:lcd_panel=lq035"), std::string::npos) << Output();
    EXPECT_NE(Output().find("Set fb to 320x240 bpp:32"), std::string::npos) << Output();
    EXPECT_NE(Commands().find("echo 'lcd_panel=lq035' > /etc/lcdparams\n"), std::string::npos);
    EXPECT_NE(Commands().find("echo 255 > /sys/class/leds/LCD_backlight/brightness\n"),
              std::string::npos);
    EXPECT_NE(Commands().find("./veltosc\n"), std::string::npos);
}

TEST_F(KeeperTest, TheNextStartRunsOnTheTvOutputTheProgramSelected) {
    ASSERT_TRUE(VeltoSim::SetTvCable(m_strRunDir + "/board", true));
    Script("pal\nntsc\nstay\n");
    StartKeeper();
    ASSERT_TRUE(AwaitStarts(3, 6000)) << Output();
    std::vector<Start> s = Starts();
    EXPECT_EQ(s[0].size, "320x240");
    EXPECT_EQ(s[1].size, "720x576");
    EXPECT_EQ(s[1].backlight, "0");
    EXPECT_EQ(s[1].panel, "lcd_panel=tvenc_pal");
    EXPECT_EQ(s[2].size, "720x480");
    EXPECT_EQ(s[2].backlight, "0");
    EXPECT_NE(Output().find("Set fb to 720x576 bpp:32"), std::string::npos) << Output();
    // With the cable in, the programs on TV ended by themselves.
    EXPECT_FALSE(Terminated(s[1].pid));
    EXPECT_EQ(Commands().find("killall"), std::string::npos);
}

TEST_F(KeeperTest, PullingTheTvCableKillsOnlyThisBoardsProgramAndBringsTheLcdBack) {
    ASSERT_TRUE(VeltoSim::SetTvCable(m_strRunDir + "/board", true));
    // A veltosc that this keeper did not start, elsewhere on the host.
    std::string other = m_strRunDir + "/elsewhere";
    ASSERT_TRUE(VeltoSim::MakeDirs(other));
    ASSERT_EQ(symlink(VELTO_STANDIN, (other + "/veltosc").c_str()), 0);
    ASSERT_EQ(chdir(other.c_str()), 0);
    m_nOutsider = VeltoTest::StartProgram("./veltosc", other + "/out");
    ASSERT_EQ(chdir(m_strRunDir.c_str()), 0);

    Script("pal\nstay\nstay\n");
    StartKeeper();
    ASSERT_TRUE(AwaitStarts(2, 4000)) << Output();
    // With the cable in, the TV output stays.
    usleep(2300000);
    ASSERT_EQ(Starts().size(), 2u);
    pid_t onTv = Starts()[1].pid;
    EXPECT_EQ(Starts()[1].size, "720x576");

    ASSERT_TRUE(VeltoSim::SetTvCable(m_strRunDir + "/board", false));
    ASSERT_TRUE(AwaitStarts(3, 4500)) << Output();
    EXPECT_TRUE(Terminated(onTv));
    Start lcd = Starts()[2];
    EXPECT_EQ(lcd.size, "320x240");
    EXPECT_EQ(lcd.backlight, "255");
    EXPECT_EQ(lcd.panel, "lcd_panel=lq035");
    EXPECT_NE(Commands().find("killall veltosc\n"), std::string::npos);
    EXPECT_TRUE(Alive(m_nOutsider));
}

TEST_F(KeeperTest, StopSignalsEndKeeperAndLeaveTheProgramRunning) {
    Script("stay\nstay\n");
    for (int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(strsignal(sig));
        size_t before = Starts().size();
        StartKeeper();
        ASSERT_TRUE(AwaitStarts(before + 1, 4000)) << Output();
        pid_t program = Starts()[before].pid;
        if (sig == SIGTERM) {
            // On the LCD the cable thread never kills, cable or not.
            usleep(2300000);
            EXPECT_EQ(Starts().size(), before + 1);
            EXPECT_FALSE(Terminated(program));
        }
        ASSERT_EQ(kill(m_nKeeper, sig), 0);
        int status = 0;
        // Generous: under a sanitizer the handler runs late and exit is slow.
        ASSERT_TRUE(VeltoTest::WaitExit(m_nKeeper, 8000, &status));
        m_nKeeper = -1;
        EXPECT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
        EXPECT_NE(Output().find("Exit program\n"), std::string::npos) << Output();
        EXPECT_TRUE(Alive(program));
        EXPECT_FALSE(Terminated(program));
        kill(program, SIGKILL);
    }
}
