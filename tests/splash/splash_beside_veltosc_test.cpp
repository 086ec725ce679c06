// The goodbye program started by the main program at a power-off request
// answers on a control channel of its own: velto-board reaches it with
// --program splash, and keeps reaching veltosc without, before, during and
// after the goodbye program's run.
#include <stdio.h>
#include <sys/stat.h>

#include <string>

#include "sim/sim_board_state.h"
#include "sim/sim_control.h"
#include "support/veltosc_process_test.h"

namespace {

class SplashBesideVeltoscTest : public CVeltoscProcessTest {
protected:
    void SetUp() override {
        CVeltoscProcessTest::SetUp();
        const std::string splash = HostPath("/usr/velto/splash");
        ASSERT_EQ(0, system(("cp '" VELTO_BIN_DIR "/splash' '" + splash + "'").c_str()));
    }

    // velto-board run as a user runs it, in the run directory; its output
    // (standard error included) and exit code.
    int Tool(const std::string& args, std::string* out = nullptr) {
        const std::string cmd = std::string("cd '") + m_strRunDir +
                                "' && " VELTO_TEST_EMULATOR " " VELTO_BIN_DIR "/velto-board " +
                                args + " 2>&1";
        std::string text;
        FILE* p = popen(cmd.c_str(), "r");
        char buf[512];
        while (p && fgets(buf, sizeof buf, p)) {
            text += buf;
        }
        int status = p ? pclose(p) : -1;
        if (out) {
            *out = text;
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string AskSplash(const std::string& request) {
        std::string reply;
        int rc = VeltoSimControlRequest(VeltoSimControlSocketPath(m_strRunDir, "splash"), request,
                                        reply, 3000);
        return rc == 0 ? (reply.empty() ? "OK" : reply) : "";
    }

    static bool IsSocket(const std::string& path) {
        struct stat st;
        return lstat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode);
    }
};

TEST_F(SplashBesideVeltoscTest, EachProgramKeepsItsOwnChannel) {
    Start();
    const std::string mainSocket = VeltoSimControlSocketPath(m_strRunDir);
    ASSERT_TRUE(IsSocket(mainSocket));
    std::string out;
    ASSERT_EQ(0, Tool("ui", &out)) << out;
    EXPECT_NE(out.find("VeltoRecMode"), std::string::npos) << out;
    EXPECT_EQ(1, Tool("--program splash ui", &out));
    EXPECT_NE(out.find("splash is not running"), std::string::npos) << out;

    // A power-off request while the USB screen is up: the screen starts the
    // goodbye program, which runs on the board's virtual clock until its
    // own channel moves it on.
    ASSERT_TRUE(VeltoSim::ConnectPc(m_strRoot, true));
    ASSERT_TRUE(Until([&] { return !UiLine({"WarningBox"}).empty(); }, 3000)) << Ask("ui");
    ASSERT_TRUE(VeltoSim::RequestPowerOff(m_strRoot));
    std::string splashTree;
    ASSERT_TRUE(Until(
        [&] {
            splashTree = AskSplash("ui");
            return splashTree.find("'WarningBox'") != std::string::npos;
        },
        3000))
        << ReadFile(m_strRunDir + "/veltosc.log");

    // Both channels at once, each its program's.
    EXPECT_TRUE(IsSocket(mainSocket));
    EXPECT_TRUE(IsSocket(VeltoSimControlSocketPath(m_strRunDir, "splash")));
    ASSERT_EQ(0, Tool("--program splash ui", &out)) << out;
    EXPECT_EQ(out, splashTree);
    EXPECT_EQ(out.find("VeltoRecMode"), std::string::npos) << out;
    ASSERT_EQ(0, Tool("--program splash screenshot splash.png", &out)) << out;
    EXPECT_FALSE(ReadFile(m_strRunDir + "/splash.png").empty());
    ASSERT_EQ(0, Tool("key F2", &out)) << out;  // queued for veltosc, which waits for splash

    // The goodbye program ends after its 1.5 s and takes only its own
    // channel with it.
    ASSERT_EQ(0, Tool("--program splash advance 1500", &out)) << out;
    ASSERT_TRUE(WaitFor([&] { return !IsSocket(VeltoSimControlSocketPath(m_strRunDir, "splash")); },
                        10000));
    ASSERT_TRUE(WaitFor(
        [&] {
            return ReadFile(m_strRunDir + "/veltosc.log").find("Run /usr/velto/splash ,0") !=
                   std::string::npos;
        },
        10000))
        << ReadFile(m_strRunDir + "/veltosc.log");
    EXPECT_TRUE(IsSocket(mainSocket));
    ASSERT_EQ(0, Tool("ui", &out)) << out;
    EXPECT_NE(out.find("VeltoRecMode"), std::string::npos) << out;
    ASSERT_EQ(0, Tool("screenshot main.png", &out)) << out;
    EXPECT_FALSE(ReadFile(m_strRunDir + "/main.png").empty());
    ASSERT_EQ(0, Tool("key F2", &out)) << out;
    EXPECT_EQ(1, Tool("--program splash ui", &out));
    EXPECT_TRUE(Running());
}

TEST_F(SplashBesideVeltoscTest, ANameThatIsNoProgramIsRefused) {
    std::string out;
    EXPECT_EQ(2, Tool("--program ../ui ui", &out));
    EXPECT_NE(out.find("--program needs a program's name"), std::string::npos) << out;
    EXPECT_EQ(2, Tool("ui --program", &out));
}

}  // namespace
