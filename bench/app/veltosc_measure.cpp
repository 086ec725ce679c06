// Figures of the whole main program on a simulated board, on the real
// clock: idle CPU with the camera streaming and no key pressed, the time
// from a key press to the changed screen, and from a camera replug to live
// view on screen. The baseline is the same idle measurement of a program
// that only sleeps (the cost of measuring).
//   app_veltosc_measure [IDLE_SECONDS] [REPLUGS]     (default 20 and 10)
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "tests/support/png_rgb.h"

namespace {

std::string g_run;

double NowS() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::string Ask(const std::string& request) {
    std::string reply;
    int rc = VeltoSimControlRequest(VeltoSimControlSocketPath(g_run), request, reply, 15000);
    return rc == 0 ? (reply.empty() ? "OK" : reply) : "";
}

// The screen as RGB pixels, empty when it could not be had.
std::vector<uint8_t> Screen(int* width, int* height) {
    std::string file = g_run + "/measure.png";
    if (Ask("screenshot " + file) != "OK") {
        return {};
    }
    return VeltoTest::ReadPngRgb(file, width, height);
}

bool LiveView() {
    int w = 0, h = 0;
    std::vector<uint8_t> px = Screen(&w, &h);
    if (px.empty()) {
        return false;
    }
    std::set<uint32_t> colours;
    const uint8_t* row = &px[(h / 2) * w * 3];
    for (int x = 0; x < w; ++x) {
        colours.insert(row[3 * x] << 16 | row[3 * x + 1] << 8 | row[3 * x + 2]);
    }
    return colours.size() >= 5;
}

bool WaitFor(const std::function<bool()>& cond, double seconds) {
    double end = NowS() + seconds;
    while (!cond()) {
        if (NowS() > end) {
            return false;
        }
        usleep(5000);
    }
    return true;
}

double CpuSeconds(pid_t pid) {
    std::string stat = VeltoSim::ReadText("/proc/" + std::to_string(pid) + "/stat");
    size_t close = stat.rfind(')');
    if (close == std::string::npos) {
        return 0;
    }
    std::vector<std::string> f = VeltoSim::SplitWords(stat.substr(close + 2));
    return f.size() < 13 ? 0 : (atof(f[11].c_str()) + atof(f[12].c_str())) / sysconf(_SC_CLK_TCK);
}

pid_t Start(const char* shellCommand) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(g_run.c_str()) != 0) {
            _exit(127);
        }
        execl("/bin/sh", "sh", "-c", shellCommand, static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid;
}

double Percentile(std::vector<double> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5))];
}

}  // namespace

int main(int argc, char** argv) {
    int idleSeconds = argc > 1 ? atoi(argv[1]) : 20;
    int replugs = argc > 2 ? atoi(argv[2]) : 10;
    char tmpl[] = "/tmp/velto-measure-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) {
        perror("mkdtemp");
        return 1;
    }
    g_run = tmpl;
    const std::string bin = VELTO_BIN_DIR;
    std::string prep = "cp -r '" + bin + "/img' '" + bin + "/fonts' '" + bin +
                       "/veltoscconf.xml' '" + bin + "/veltosc' '" + g_run + "'";
    if (system(prep.c_str()) != 0 || !VeltoSim::InitBoard(g_run + "/board")) {
        fprintf(stderr, "cannot prepare %s\n", tmpl);
        return 1;
    }
    VeltoSim::SetFreeKiB(g_run + "/board", "/media/nand", 500000);

    // Baseline: what the measurement itself reads off an idle process.
    pid_t idle = Start("exec sleep 1000");
    double c0 = CpuSeconds(idle);
    sleep(2);
    double baseline = (CpuSeconds(idle) - c0) / 2;
    kill(idle, SIGKILL);
    waitpid(idle, nullptr, 0);

    pid_t pid = Start("unset DISPLAY WAYLAND_DISPLAY; exec ./veltosc > veltosc.log 2>&1");
    if (!WaitFor(LiveView, 30)) {
        fprintf(stderr, "no live view within 30 s\n");
        kill(pid, SIGKILL);
        return 1;
    }
    sleep(1);
    double t0 = NowS(), cpu0 = CpuSeconds(pid);
    sleep(idleSeconds);
    double idleShare = (CpuSeconds(pid) - cpu0) / (NowS() - t0);

    // Key to screen: the brightness slider appearing or moving, ten times,
    // with the camera unplugged so that only the UI changes the picture.
    const std::string root = g_run + "/board";
    VeltoSimCameraSetPlugged(root, false);
    WaitFor([] { return !LiveView(); }, 10);
    sleep(1);
    std::vector<double> keyTimes;
    for (int i = 0; i < 10; ++i) {
        int w = 0, h = 0;
        std::vector<uint8_t> before = Screen(&w, &h);
        double k0 = NowS();
        Ask(i % 2 ? "key LEFT" : "key RIGHT");
        bool changed = WaitFor(
            [&] {
                int w2 = 0, h2 = 0;
                std::vector<uint8_t> now = Screen(&w2, &h2);
                return !now.empty() && now != before;
            },
            3);
        if (changed) {
            keyTimes.push_back((NowS() - k0) * 1000);
        }
        usleep(300000);
    }
    VeltoSimCameraSetPlugged(root, true);
    WaitFor(LiveView, 20);

    // Replug to live view on screen.
    std::vector<double> replugTimes;
    for (int i = 0; i < replugs; ++i) {
        VeltoSimCameraSetPlugged(root, false);
        WaitFor([] { return !LiveView(); }, 10);
        sleep(1);
        double r0 = NowS();
        VeltoSimCameraSetPlugged(root, true);
        if (WaitFor(LiveView, 20)) {
            replugTimes.push_back(NowS() - r0);
        }
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    VeltoSim::RemoveTree(g_run);

    printf("veltosc on the simulated board, camera streaming\n");
    printf(
        "  idle CPU             %.1f %% of one core, no key pressed for %d s (baseline %.1f %%)\n",
        idleShare * 100, idleSeconds, baseline * 100);
    printf(
        "  key to screen        median %.0f ms, worst %.0f ms (%zu of 10 seen; each includes "
        "one screenshot round trip)\n",
        Percentile(keyTimes, 0.5), Percentile(keyTimes, 1), keyTimes.size());
    printf("  replug to live view  median %.2f s, worst %.2f s (%zu of %d replugs)\n",
           Percentile(replugTimes, 0.5), Percentile(replugTimes, 1), replugTimes.size(), replugs);
    return 0;
}
