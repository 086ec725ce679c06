// The process runner against real host programs.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/velto_SC_utils.h"

using namespace Velto;

namespace {

struct Outcome {
    int rc;
    std::string out;
    size_t len;
    std::string log;
};

Outcome RunCommand(const char* command, size_t ressize = 256) {
    RunProgramPipe pipe;
    std::string buf(ressize, '\x7f');
    Outcome r;
    r.len = 12345;
    testing::internal::CaptureStdout();
    r.rc = run_program(pipe, command, &buf[0], ressize, &r.len);
    r.log = testing::internal::GetCapturedStdout();
    r.out = buf.c_str();
    EXPECT_EQ(pipe.stdoutRead, -1);
    EXPECT_EQ(pipe.stderrRead, -1);
    return r;
}

}  // namespace

TEST(RunProgram, SplitsArgumentsLikeTheDeviceDoes) {
    Outcome plain = RunCommand("/bin/pwd");
    EXPECT_EQ(plain.rc, 0);
    EXPECT_FALSE(plain.out.empty());

    // A quoted argument keeps its space; two spaces give an empty argument.
    Outcome quoted = RunCommand("/usr/bin/printf [%s] a 'b c'");
    EXPECT_EQ(quoted.rc, 0);
    EXPECT_EQ(quoted.out, "[a][b c]");
    EXPECT_EQ(quoted.len, 8u);
    Outcome doubled = RunCommand("/usr/bin/printf [%s] a  b");
    EXPECT_EQ(doubled.out, "[a][][b]");
    EXPECT_NE(doubled.log.find("arg[3] ''"), std::string::npos) << doubled.log;
}

TEST(RunProgram, LogsTheCommandOutputAndStatus) {
    Outcome r = RunCommand("/bin/sh -c 'echo one; echo two >&2; exit 0'");
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "one\n");
    EXPECT_NE(r.log.find("Warn: '/bin/sh -c 'echo one; echo two >&2; exit 0''\n"),
              std::string::npos)
        << r.log;
    EXPECT_NE(r.log.find("'/bin/sh' (stdout) 'one'\n"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("'/bin/sh' (stderr) 'two'\n"), std::string::npos) << r.log;
    EXPECT_NE(r.log.find("'/bin/sh' returned with status 0\n"), std::string::npos) << r.log;
}

TEST(RunProgram, FailuresAreResults) {
    Outcome failing = RunCommand("/bin/sh -c 'exit 3'");
    EXPECT_EQ(failing.rc, -1);
    EXPECT_NE(failing.log.find("returned with status 3"), std::string::npos);

    Outcome missing = RunCommand("/no/such/program arg");
    EXPECT_EQ(missing.rc, -1);
    EXPECT_NE(missing.log.find("program '/no/such/program' not found"), std::string::npos)
        << missing.log;

    Outcome killed = RunCommand("/bin/sh -c 'kill -9 $$'");
    EXPECT_EQ(killed.rc, -1);
    EXPECT_NE(killed.log.find("abnormal exit"), std::string::npos) << killed.log;
}

TEST(RunProgram, OutputThatDoesNotFitIsAnErrorButDrained) {
    // 20 bytes into 8: the chunk is dropped, the buffer stays terminated.
    Outcome r = RunCommand("/usr/bin/printf 0123456789abcdefghij", 8);
    EXPECT_EQ(r.rc, -1);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.log.find("ressize 8 too short"), std::string::npos) << r.log;

    // Far more than a pipe holds must not block the child.
    Outcome big = RunCommand("/bin/sh -c 'head -c 300000 /dev/zero | tr \\\\0 x'", 16);
    EXPECT_EQ(big.rc, -1);
}

TEST(RunProgram, WithoutResultBufferOutputGoesNowhere) {
    RunProgramPipe pipe;
    testing::internal::CaptureStdout();
    int rc = run_program(pipe, "/bin/echo quiet", nullptr, 0, nullptr);
    std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(log.find("(stdout)"), std::string::npos) << log;
}

TEST(RunProgram, LongCommandIsCutAt511Characters) {
    std::string cmd = "/usr/bin/printf %s " + std::string(600, 'a');
    Outcome r = RunCommand(cmd.c_str(), 1024);
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out.size(), 511u - std::string("/usr/bin/printf %s ").size());
}
