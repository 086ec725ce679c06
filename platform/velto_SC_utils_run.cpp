// The process runner: runs a program without a shell, collects its standard
// output and logs its standard error.
#include <errno.h>
#include <fcntl.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <sys/select.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "app/velto_SC_Debug.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace Velto {

namespace {

const size_t kCommandMax = 512;
const size_t kMaxArgs = 256;
const size_t kReadChunk = 1023;

// Splits the command copy in place into the argument vector.
void SplitArguments(char* copy, std::vector<char*>& argv) {
    argv.clear();
    if (strchr(copy, ' ') == nullptr) {
        argv.push_back(copy);
    } else {
        char* rest = copy;
        while (*rest != '\0' && argv.size() < kMaxArgs + 1) {
            char* arg;
            if (*rest == '\'') {
                arg = ++rest;
                char* close = strchr(rest, '\'');
                if (close == nullptr) {
                    rest += strlen(rest);
                } else {
                    *close = '\0';
                    rest = close + 1;
                    while (*rest == ' ') {
                        ++rest;
                    }
                }
            } else {
                arg = rest;
                char* space = strchr(rest, ' ');
                if (space == nullptr) {
                    rest += strlen(rest);
                } else {
                    *space = '\0';
                    rest = space + 1;
                }
            }
            velto_printf(DBG_LV_DEBUG, "%s:%d arg[%i] '%s'\n", "run_program", __LINE__,
                         static_cast<int>(argv.size()), arg);
            argv.push_back(arg);
        }
    }
    argv.push_back(nullptr);
}

void CloseFd(int& fd) {
    if (fd >= 0) {
        close(fd);
        fd = -1;
    }
}

// Logs every line of a chunk; the empty piece after a final newline is not.
void LogLines(const char* program, const char* stream, char* chunk) {
    char* line = chunk;
    while (*line != '\0') {
        char* nl = strchr(line, '\n');
        if (nl != nullptr) {
            *nl = '\0';
        }
        velto_printf(DBG_LV_NORMAL, "'%s' (%s) '%s'\n", program, stream, line);
        if (nl == nullptr) {
            break;
        }
        line = nl + 1;
    }
}

// What the child needs, made before fork: in a threaded caller another
// thread may hold the allocator or stdio locks at the moment of fork, so the
// child must not allocate, format or print (only async-signal-safe calls).
struct ChildPlan {
    std::vector<std::string> hostArgs;  // argv with board paths mapped
    std::vector<char*> argv;
    std::string notFound;    // "program '%s' not found\n" with its log prefix
    std::string execFailed;  // "%s:%d exec of program '%s' failed\n"
    std::string nullFailed;  // "%s:%d open /dev/null failed: " (errno follows)
};

std::string Format(DEBUGLEVEL level, const char* format, ...) __attribute__((format(printf, 2, 3)));

std::string Format(DEBUGLEVEL level, const char* format, ...) {
    char buf[kCommandMax + 128];
    int n = snprintf(buf, sizeof buf, "%s ", VeltoDebugPrefix(level));
    va_list args;
    va_start(args, format);
    vsnprintf(buf + n, sizeof buf - static_cast<size_t>(n), format, args);
    va_end(args);
    return buf;
}

void PlanChild(char* const* argv, ChildPlan& plan) {
    for (size_t i = 0; argv[i] != nullptr; ++i) {
        plan.hostArgs.push_back(Board().MapPath(argv[i]));
    }
    for (std::string& a : plan.hostArgs) {
        plan.argv.push_back(&a[0]);
    }
    plan.argv.push_back(nullptr);
    plan.notFound = Format(DBG_LV_NORMAL, "program '%s' not found\n", argv[0]);
    plan.execFailed = Format(DBG_LV_ERROR, "%s:%d exec of program '%s' failed\n", "run_program",
                             __LINE__, argv[0]);
    plan.nullFailed =
        Format(DBG_LV_ERROR, "%s:%d open /dev/null failed: ", "run_program", __LINE__);
}

void WriteAll(int fd, const char* text, size_t len) {
    while (len > 0) {
        ssize_t n = write(fd, text, len);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return;
        }
        text += n;
        len -= static_cast<size_t>(n);
    }
}

// errno in decimal, without printf: strerror is not async-signal-safe.
void WriteErrno(int fd, int err) {
    char digits[24];
    size_t i = sizeof digits;
    digits[--i] = '\n';
    unsigned v = err < 0 ? 0u : static_cast<unsigned>(err);
    do {
        digits[--i] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v != 0 && i > 6);
    memcpy(&digits[i -= 6], "errno ", 6);
    WriteAll(fd, digits + i, sizeof digits - i);
}

// Puts fd on target for the program; dup2 leaves close-on-exec off on target.
void MoveTo(int fd, int target) {
    if (fd == target) {
        fcntl(fd, F_SETFD, 0);
    } else {
        dup2(fd, target);
        close(fd);
    }
}

// Only async-signal-safe calls from here to exec.
[[noreturn]] void RunChild(const RunProgramPipe& pipe, const ChildPlan& plan) {
    if (pipe.stdoutRead > 0) {
        close(pipe.stdoutRead);
    }
    if (pipe.stderrRead > 0) {
        close(pipe.stderrRead);
    }
    int null = open("/dev/null", O_RDWR);
    if (null <= 0) {
        int err = errno;
        WriteAll(1, plan.nullFailed.data(), plan.nullFailed.size());
        WriteErrno(1, err);
    } else {
        dup2(null, 0);
        if (pipe.stdoutWrite < 0) {
            dup2(null, 1);
        }
        if (pipe.stderrWrite < 0) {
            dup2(null, 2);
        }
        if (null > 2) {
            close(null);
        }
    }
    if (pipe.stdoutWrite >= 0) {
        MoveTo(pipe.stdoutWrite, 1);
    }
    if (pipe.stderrWrite >= 0) {
        MoveTo(pipe.stderrWrite, 2);
    }
    CVeltoBoard::ExecvpMapped(plan.argv[0], plan.argv.data());
    const std::string& message =
        (errno == ENOENT || errno == ENOTDIR) ? plan.notFound : plan.execFailed;
    WriteAll(1, message.data(), message.size());
    _exit(1);
}

}  // namespace

int run_program(RunProgramPipe& pipe, const char* command, char* result, size_t ressize,
                size_t* reslen) {
    pipe.stdoutRead = pipe.stdoutWrite = pipe.stderrRead = pipe.stderrWrite = -1;
    if (command == nullptr) {
        return -1;
    }
    char copy[kCommandMax];
    strlcpy(copy, command, sizeof copy);
    std::vector<char*> argv;
    SplitArguments(copy, argv);
    const char* program = argv[0];
    velto_printf(DBG_LV_NORMAL, "'%s'\n", command);

    ChildPlan plan;
    PlanChild(argv.data(), plan);

    // Close-on-exec: a program another thread starts meanwhile must not hold
    // a write end, or our reads would wait for it to end too.
    int fds[2];
    if (result != nullptr) {
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            velto_printf(DBG_LV_ERROR, "%s:%d pipe failed: %s\n", "run_program", __LINE__,
                         strerror(errno));
            return -1;
        }
        pipe.stdoutRead = fds[0];
        pipe.stdoutWrite = fds[1];
    }
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        velto_printf(DBG_LV_ERROR, "%s:%d pipe failed: %s\n", "run_program", __LINE__,
                     strerror(errno));
        CloseFd(pipe.stdoutRead);
        CloseFd(pipe.stdoutWrite);
        return -1;
    }
    pipe.stderrRead = fds[0];
    pipe.stderrWrite = fds[1];

    fflush(stdout);
    pid_t pid = fork();
    if (pid < 0) {
        velto_printf(DBG_LV_ERROR, "%s:%d fork of '%s' failed: %s\n", "run_program", __LINE__,
                     program, strerror(errno));
        CloseFd(pipe.stdoutRead);
        CloseFd(pipe.stdoutWrite);
        CloseFd(pipe.stderrRead);
        CloseFd(pipe.stderrWrite);
        return -1;
    }
    if (pid == 0) {
        RunChild(pipe, plan);
    }

    bool error = false;
    size_t collected = 0;
    if (result != nullptr && ressize > 0) {
        result[0] = '\0';
    }
    CloseFd(pipe.stdoutWrite);
    CloseFd(pipe.stderrWrite);
    while (pipe.stdoutRead >= 0 || pipe.stderrRead >= 0) {
        fd_set readable;
        FD_ZERO(&readable);
        int maxFd = -1;
        for (int fd : {pipe.stdoutRead, pipe.stderrRead}) {
            if (fd >= 0) {
                FD_SET(fd, &readable);
                maxFd = fd > maxFd ? fd : maxFd;
            }
        }
        if (select(maxFd + 1, &readable, nullptr, nullptr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            CloseFd(pipe.stdoutRead);
            CloseFd(pipe.stderrRead);
            error = true;
            break;
        }
        char chunk[kReadChunk + 1];
        bool stdoutOk = true;
        if (pipe.stdoutRead >= 0 && FD_ISSET(pipe.stdoutRead, &readable)) {
            ssize_t n = read(pipe.stdoutRead, chunk, kReadChunk);
            if (n > 0) {
                chunk[n] = '\0';
                if (result != nullptr && collected + static_cast<size_t>(n) < ressize) {
                    memcpy(result + collected, chunk, static_cast<size_t>(n));
                    collected += static_cast<size_t>(n);
                } else {
                    // Keep draining so the child never blocks on a full pipe.
                    velto_printf(DBG_LV_ERROR, "%s:%d ressize %ld too short\n", "run_program",
                                 __LINE__, static_cast<long>(ressize));
                    error = true;
                }
                LogLines(program, "stdout", chunk);
            } else {
                if (n < 0) {
                    velto_printf(DBG_LV_ERROR, "%s:%d stdin read failed: %s\n", "run_program",
                                 __LINE__, strerror(errno));
                    error = true;
                    stdoutOk = false;
                }
                CloseFd(pipe.stdoutRead);
            }
        }
        if (stdoutOk && pipe.stderrRead >= 0 && FD_ISSET(pipe.stderrRead, &readable)) {
            ssize_t n = read(pipe.stderrRead, chunk, kReadChunk);
            if (n > 0) {
                chunk[n] = '\0';
                LogLines(program, "stderr", chunk);
            } else {
                if (n < 0) {
                    velto_printf(DBG_LV_ERROR, "%s:%d stderr read failed: %s\n", "run_program",
                                 __LINE__, strerror(errno));
                }
                CloseFd(pipe.stderrRead);
            }
        }
    }
    if (result != nullptr && ressize > 0) {
        result[collected] = '\0';
        velto_printf(DBG_LV_DEBUG, "%s:%d result='%s'\n", "run_program", __LINE__, result);
        if (reslen != nullptr) {
            *reslen = collected;
        }
    }

    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    if (WIFEXITED(status)) {
        int code = WEXITSTATUS(status);
        velto_printf(DBG_LV_NORMAL, "'%s' returned with status %i\n", program, code);
        if (code != 0) {
            return -1;
        }
        return error ? -1 : 0;
    }
    velto_printf(DBG_LV_ERROR, "%s:%d '%s' abnormal exit\n", "run_program", __LINE__, program);
    return -1;
}

}  // namespace Velto
