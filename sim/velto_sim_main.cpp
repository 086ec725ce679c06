// velto-sim: runs the whole device on a PC. Prepares a run directory as the
// device holds it (the programs, img/, fonts/, the configuration, a
// simulated board with the goodbye picture and splash below /usr/velto),
// starts the device's programs there as the board's start-up does (keeper,
// which starts ./veltosc, and chargeled; ./veltosc alone while keeper is not
// built), shows the board's screen in one window of its own with the
// device's face and a board panel (unless headless), runs a script of velto-board command lines and
// ends everything it started when it ends.
//   velto-sim [--dir RUNDIR] [--headless] [--seconds N] [--script FILE]
#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "sim/board_tool.h"
#include "sim/sim_board_state.h"
#include "sim/sim_control.h"
#include "sim/sim_emulator.h"
#include "sim/sim_files.h"
#ifdef VELTO_SIM_HAVE_WINDOW
#include "sim/sim_window.h"
#endif

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: velto-sim [--dir RUNDIR] [--headless] [--seconds N] [--script FILE]\n"
    "  --dir RUNDIR    run directory (default ./run); a board and files missing there are made\n"
    "  --headless      no window, even when there is a display\n"
    "  --seconds N     end after N seconds\n"
    "  --script FILE   velto-board command lines to run, 'wait MS' between them;\n"
    "                  without --seconds the run ends with the script\n";

volatile sig_atomic_t g_bStop = 0;

void OnSignal(int) {
    g_bStop = 1;
}

struct Options {
    std::string runDir = "run";
    bool headless = false;
    long seconds = -1;
    std::string script;
};

bool ParseArgs(int argc, char** argv, Options& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--dir" && i + 1 < argc) {
            o.runDir = argv[++i];
        } else if (a == "--headless") {
            o.headless = true;
        } else if (a == "--seconds" && i + 1 < argc) {
            char* end = nullptr;
            o.seconds = strtol(argv[++i], &end, 10);
            if (end == nullptr || *end != '\0' || o.seconds < 0) {
                return false;
            }
        } else if (a == "--script" && i + 1 < argc) {
            o.script = argv[++i];
        } else {
            return false;
        }
    }
    return true;
}

std::string ProgramDir() {
    char path[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return ".";
    }
    path[n] = '\0';
    return fs::path(path).parent_path().string();
}

bool CopyFresh(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::copy(from, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing, ec);
    if (ec) {
        fprintf(stderr, "velto-sim: cannot copy %s to %s: %s\n", from.c_str(), to.c_str(),
                ec.message().c_str());
        return false;
    }
    return true;
}

// The run directory as the device holds it. Programs and artwork are always
// refreshed from the build; the configuration and the board are kept when
// they exist, so settings and recordings survive a restart.
bool PrepareRunDir(const std::string& bin, const std::string& run) {
    bool ok = true;
    for (const char* program : {"veltosc", "keeper", "chargeled"}) {
        if (fs::exists(fs::path(bin) / program)) {
            ok = CopyFresh(fs::path(bin) / program, fs::path(run) / program) && ok;
        }
    }
    ok = CopyFresh(fs::path(bin) / "img", fs::path(run) / "img") && ok;
    ok = CopyFresh(fs::path(bin) / "fonts", fs::path(run) / "fonts") && ok;
    if (!fs::exists(fs::path(run) / "veltoscconf.xml")) {
        ok = CopyFresh(fs::path(bin) / "veltoscconf.xml", fs::path(run) / "veltoscconf.xml") && ok;
    }
    const std::string root = run + "/board";
    if (!VeltoSim::IsDir(root + "/sim")) {
        if (!VeltoSim::InitBoard(root)) {
            fprintf(stderr, "velto-sim: cannot make a board in %s\n", root.c_str());
            return false;
        }
    }
    VeltoSim::MakeDirs(root + "/usr/velto/img");
    ok = CopyFresh(fs::path(bin) / "usr_velto_img", fs::path(root) / "usr/velto/img") && ok;
    if (fs::exists(fs::path(bin) / "splash")) {
        ok = CopyFresh(fs::path(bin) / "splash", fs::path(root) / "usr/velto/splash") && ok;
    }
    return ok;
}

// Starts program in run as the leader of a new process group, so that
// everything it starts in turn ends with it.
pid_t StartProgram(const std::string& run, const char* program, bool noDisplay) {
    // In a cross build the program runs through the build's emulator.
    std::string file;
    std::vector<std::string> args =
        VeltoSim::ExecArgv(run + "/" + program, {std::string(program)}, &file);
    if (file == run + "/" + program) {
        file = std::string("./") + program;
    }
    std::vector<char*> argv;
    for (std::string& a : args) {
        argv.push_back(&a[0]);
    }
    argv.push_back(nullptr);
    pid_t pid = fork();
    if (pid != 0) {
        if (pid > 0) {
            setpgid(pid, pid);
        }
        return pid;
    }
    setpgid(0, 0);
    if (chdir(run.c_str()) != 0) {
        _exit(127);
    }
    // Headless, or drawing into velto-sim's window: no program opens a window
    // of its own.
    if (noDisplay) {
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
    }
    execv(file.c_str(), argv.data());
    _exit(127);
}

void StopGroup(pid_t pid) {
    if (pid <= 0) {
        return;
    }
    kill(-pid, SIGTERM);
    for (int i = 0; i < 40; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            kill(-pid, SIGKILL);  // whatever it left in its group
            return;
        }
        usleep(50000);
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

std::vector<std::string> ReadScript(const std::string& path, bool* ok) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    *ok = static_cast<bool>(in);
    std::string line;
    while (std::getline(in, line)) {
        size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#') {
            continue;
        }
        lines.push_back(line.substr(first));
    }
    return lines;
}

long long NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// True once the main program answers on the control channel.
bool ProgramAnswers(const std::string& run) {
    std::string reply;
    return VeltoSimControlRequest(VeltoSimControlSocketPath(run), "ui", reply, 1000) == 0;
}

#ifndef VELTO_SIM_HAVE_WINDOW
class CVeltoSimWindow;
#endif

// A script's "panel" and "panel screenshot FILE" lines, for velto-sim's own
// window.
bool ScriptPanel(const std::string& run, std::vector<std::string> words, CVeltoSimWindow* window) {
#ifdef VELTO_SIM_HAVE_WINDOW
    if (window && words.size() == 1) {
        fputs(window->Panel().c_str(), stdout);
        return true;
    }
    if (window && words.size() == 3 && words[1] == "screenshot") {
        if (words[2][0] != '/') {
            words[2] = run + "/" + words[2];
            std::error_code ec;
            fs::create_directories(fs::path(words[2]).parent_path(), ec);
        }
        return window->SaveScreenshot(words[2]);
    }
    if (window) {
        fprintf(stderr, "velto-sim: panel [screenshot FILE]\n");
        return false;
    }
#endif
    (void)run;
    (void)window;
    fprintf(stderr, "velto-sim: '%s' needs the window, and the run has none\n", words[0].c_str());
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (!ParseArgs(argc, argv, o)) {
        fputs(kUsage, stderr);
        return 2;
    }
    const std::string bin = ProgramDir();
    if (!fs::exists(fs::path(bin) / "veltosc")) {
        fprintf(stderr, "velto-sim: no veltosc beside %s\n", argv[0]);
        return 1;
    }
    std::error_code ec;
    fs::create_directories(o.runDir, ec);
    char abs[PATH_MAX];
    if (realpath(o.runDir.c_str(), abs) == nullptr) {
        fprintf(stderr, "velto-sim: no directory %s\n", o.runDir.c_str());
        return 1;
    }
    const std::string run = abs;
    if (!PrepareRunDir(bin, run)) {
        return 1;
    }
    bool scriptOk = true;
    std::vector<std::string> script;
    if (!o.script.empty()) {
        script = ReadScript(o.script, &scriptOk);
        if (!scriptOk) {
            fprintf(stderr, "velto-sim: cannot read %s\n", o.script.c_str());
            return 1;
        }
    }

    struct sigaction sa;
    memset(&sa, 0, sizeof sa);
    sa.sa_handler = OnSignal;
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGHUP, &sa, nullptr);

    const bool desktop = !o.headless && (getenv("DISPLAY") || getenv("WAYLAND_DISPLAY"));
#ifdef VELTO_SIM_HAVE_WINDOW
    // Opened before the programs start, so that they find it and draw into it.
    std::unique_ptr<CVeltoSimWindow> window;
    if (desktop) {
        window = CVeltoSimWindow::CreateNew(run);
    }
    const bool windowed = window != nullptr;
#else
    const bool windowed = false;
#endif

    // As the board's start-up does: keeper (which runs ./veltosc) and
    // chargeled; without keeper, the main program itself.
    const bool haveKeeper = fs::exists(fs::path(run) / "keeper");
    std::vector<pid_t> started;
    const bool noDisplay = o.headless || windowed;
    started.push_back(StartProgram(run, haveKeeper ? "keeper" : "veltosc", noDisplay));
    if (fs::exists(fs::path(run) / "chargeled")) {
        started.push_back(StartProgram(run, "chargeled", noDisplay));
    }
    printf("velto-sim: the device runs in %s (%s)\n", run.c_str(),
           windowed  ? "in velto-sim's window"
           : desktop ? "in windows of its programs"
                     : "headless");
    fflush(stdout);

    const long long start = NowMs();
    long long nextLineAt = start;
    size_t nextLine = 0;
    bool waitingForProgram = !script.empty();
    int exitCode = 0;
    while (!g_bStop) {
        int status = 0;
        pid_t main = started[0];
        if (main > 0 && waitpid(main, &status, WNOHANG) == main) {
            // Without keeper nothing restarts the program: the run is over.
            printf("velto-sim: %s ended\n", haveKeeper ? "keeper" : "veltosc");
            started[0] = -1;
            break;
        }
        long long now = NowMs();
        if (o.seconds >= 0 && now - start >= o.seconds * 1000) {
            break;
        }
        if (waitingForProgram) {
            if (ProgramAnswers(run)) {
                waitingForProgram = false;
                nextLineAt = NowMs();
            } else if (now - start > 20000) {
                fprintf(stderr, "velto-sim: the program does not answer; script not run\n");
                exitCode = 1;
                break;
            }
        } else if (nextLine < script.size() && now >= nextLineAt) {
            std::vector<std::string> words = VeltoSim::SplitWords(script[nextLine++]);
            if (words[0] == "wait" && words.size() == 2) {
                nextLineAt = now + atol(words[1].c_str());
            } else if (words[0] == "panel") {
                // The window answers its channel on this thread: asked there,
                // it would wait for itself.
                printf("velto-sim: %s\n", script[nextLine - 1].c_str());
                fflush(stdout);
                if (!ScriptPanel(run, words,
#ifdef VELTO_SIM_HAVE_WINDOW
                                 window.get()
#else
                                 nullptr
#endif
                                     )) {
                    exitCode = 1;
                }
            } else {
                if (words[0] == "screenshot" && words.size() == 2 && words[1][0] != '/') {
                    // A script's pictures land in the run directory, in folders made on the way.
                    words[1] = run + "/" + words[1];
                    fs::create_directories(fs::path(words[1]).parent_path(), ec);
                }
                printf("velto-sim: %s\n", script[nextLine - 1].c_str());
                fflush(stdout);
                if (VeltoBoardCommand(run, words) != 0) {
                    fprintf(stderr, "velto-sim: script line failed: %s\n",
                            script[nextLine - 1].c_str());
                    exitCode = 1;
                }
            }
        } else if (!script.empty() && nextLine >= script.size() && o.seconds < 0) {
            break;
        }
#ifdef VELTO_SIM_HAVE_WINDOW
        if (window) {
            window->Pump(20);
            if (window->QuitRequested()) {
                break;
            }
            continue;
        }
#endif
        usleep(20000);
    }
    for (pid_t pid : started) {
        StopGroup(pid);
    }
#ifdef VELTO_SIM_HAVE_WINDOW
    window.reset();
#endif
    printf("velto-sim: ended\n");
    return exitCode;
}
