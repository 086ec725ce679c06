// The process runner: runs a program without a shell, collects its standard
// output and logs its standard error.
#include <errno.h>
#include <fcntl.h>
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

[[noreturn]] void RunChild(RunProgramPipe& pipe, char* const* argv) {
    if (pipe.stdoutRead > 0) {
        close(pipe.stdoutRead);
    }
    if (pipe.stderrRead > 0) {
        close(pipe.stderrRead);
    }
    int null = open("/dev/null", O_RDWR);
    if (null <= 0) {
        velto_printf(DBG_LV_ERROR, "%s:%d open /dev/null failed: %s\n", "run_program", __LINE__,
                     strerror(errno));
    } else {
        dup2(null, 0);
        if (pipe.stdoutWrite < 0) {
            dup2(null, 1);
        }
        if (pipe.stderrWrite < 0) {
            dup2(null, 2);
        }
        close(null);
    }
    if (pipe.stdoutWrite >= 0) {
        dup2(pipe.stdoutWrite, 1);
        close(pipe.stdoutWrite);
    }
    if (pipe.stderrWrite >= 0) {
        dup2(pipe.stderrWrite, 2);
        close(pipe.stderrWrite);
    }
    Board().Execvp(argv[0], argv);
    if (errno == ENOENT || errno == ENOTDIR) {
        velto_printf(DBG_LV_NORMAL, "program '%s' not found\n", argv[0]);
    } else {
        velto_printf(DBG_LV_ERROR, "%s:%d exec of program '%s' failed\n", "run_program", __LINE__,
                     argv[0]);
    }
    fflush(stdout);
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

    int fds[2];
    if (result != nullptr) {
        if (::pipe(fds) != 0) {
            velto_printf(DBG_LV_ERROR, "%s:%d pipe failed: %s\n", "run_program", __LINE__,
                         strerror(errno));
            return -1;
        }
        pipe.stdoutRead = fds[0];
        pipe.stdoutWrite = fds[1];
    }
    if (::pipe(fds) != 0) {
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
        RunChild(pipe, argv.data());
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
