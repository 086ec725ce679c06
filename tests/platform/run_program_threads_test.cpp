// The process runner in a threaded process: a program started while another
// run is in progress must not inherit that run's pipes (it would hold them
// open, and the other run's reads would wait for it as well).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <thread>

#include "platform/velto_SC_utils.h"

namespace {

// Targets of the descriptors above 2 that a started program holds.
std::string InheritedDescriptors() {
    Velto::RunProgramPipe pipe;
    char out[4096] = "";
    size_t len = 0;
    Velto::run_program(pipe,
                       "/bin/sh -c 'cd /proc/self/fd && for f in *; do [ $f -gt 2 ] && "
                       "readlink $f; done; true'",
                       out, sizeof out, &len);
    // The shell's own descriptor of the directory it lists is not inherited.
    std::string kept;
    size_t start = 0;
    std::string all = out;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        std::string line = all.substr(start, end - start);
        if (line.find("/proc/") == std::string::npos) {
            kept += line + "\n";
        }
        start = end == std::string::npos ? all.size() : end + 1;
    }
    return kept;
}

}  // namespace

TEST(RunProgramThreads, AProgramStartedMeanwhileDoesNotInheritAnotherRunsPipes) {
    const std::string before = InheritedDescriptors();
    std::thread slow([] {
        Velto::RunProgramPipe pipe;
        char out[64];
        size_t len = 0;
        EXPECT_EQ(
            Velto::run_program(pipe, "/bin/sh -c 'sleep 1; echo done'", out, sizeof out, &len), 0);
        EXPECT_STREQ(out, "done\n");
    });
    usleep(300000);  // the slow run is now reading its pipes
    const std::string during = InheritedDescriptors();
    slow.join();
    EXPECT_EQ(during, before);
}
