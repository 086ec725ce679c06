#include "tests/support/sim_program.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

namespace VeltoTest {

pid_t StartProgram(const std::string& program, const std::string& outFile) {
    // Everything the child needs is made before fork: the test is threaded.
    const std::string command = std::string("exec " VELTO_TEST_EMULATOR " ") + program;
    int out = open(outFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (out < 0) {
        return -1;
    }
    pid_t pid = fork();
    if (pid == 0) {
        setpgid(0, 0);
        dup2(out, 1);
        dup2(out, 2);
        int null = open("/dev/null", O_RDONLY);
        dup2(null, 0);
        execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out);
    if (pid > 0) {
        setpgid(pid, pid);  // also here, so KillGroup works before the child ran
    }
    return pid;
}

bool WaitExit(pid_t pid, int timeoutMs, int* status) {
    long long end = MonotonicMs() + Stretched(timeoutMs);
    for (;;) {
        pid_t r = waitpid(pid, status, WNOHANG);
        if (r == pid || (r < 0 && errno == ECHILD)) {
            return true;
        }
        if (MonotonicMs() >= end) {
            return false;
        }
        usleep(5000);
    }
}

bool WaitUntil(const std::function<bool()>& done, int timeoutMs) {
    long long end = MonotonicMs() + Stretched(timeoutMs);
    while (!done()) {
        if (MonotonicMs() >= end) {
            return false;
        }
        usleep(10000);
    }
    return true;
}

void KillGroup(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(-pid, SIGKILL);
    int status;
    WaitExit(pid, 2000, &status);
}

int TimeFactor() {
    static const int factor = [] {
        const char* text = getenv("VELTO_TEST_TIME_FACTOR");
        if (text == nullptr || *text == '\0') {
            return 1;
        }
        char* end = nullptr;
        long f = strtol(text, &end, 10);
        if (*end != '\0' || f < 1 || f > 100) {
            fprintf(stderr, "VELTO_TEST_TIME_FACTOR=%s is no factor from 1 to 100; using 1\n",
                    text);
            return 1;
        }
        return static_cast<int>(f);
    }();
    return factor;
}

long long MonotonicMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return (long long)ts.tv_sec * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace VeltoTest
