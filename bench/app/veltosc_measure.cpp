// Figures of the whole main program on a simulated board, on the real
// clock: idle CPU with the camera streaming and no key pressed, the time
// from a key press to the changed screen, and from a camera replug to live
// view on screen. The baseline is the same idle measurement of a program
// that only sleeps (the cost of measuring).
//   app_veltosc_measure [IDLE_SECONDS] [REPLUGS]     (default 20 and 10)
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "tests/support/sim_program.h"
#include "tests/support/veltosc_process.h"

namespace {

double NowS() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
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
    const std::string run = tmpl;
    CVeltoscProcess veltosc(run);
    if (!VeltoSim::InitBoard(run + "/board") || !veltosc.PrepareRunDir()) {
        fprintf(stderr, "cannot prepare %s\n", tmpl);
        return 1;
    }
    VeltoSim::SetFreeKiB(run + "/board", "/media/nand", 500000);

    // Baseline: what the measurement itself reads off an idle process.
    pid_t idle = VeltoTest::StartProgram("sleep 1000", "/dev/null");
    double c0 = CpuSeconds(idle);
    sleep(2);
    double baseline = (CpuSeconds(idle) - c0) / 2;
    VeltoTest::KillGroup(idle);

    auto live = [&] { return veltosc.LiveView(); };
    if (!veltosc.Start() || !WaitFor(live, 30)) {
        fprintf(stderr, "no live view within 30 s\n");
        return 1;
    }
    pid_t pid = veltosc.Pid();
    sleep(1);
    double t0 = NowS(), cpu0 = CpuSeconds(pid);
    sleep(idleSeconds);
    double idleShare = (CpuSeconds(pid) - cpu0) / (NowS() - t0);

    // Key to screen: the brightness slider appearing or moving, ten times,
    // with the camera unplugged so that only the UI changes the picture.
    const std::string root = run + "/board";
    VeltoSimCameraSetPlugged(root, false);
    WaitFor([&] { return !live(); }, 10);
    sleep(1);
    std::vector<double> keyTimes;
    for (int i = 0; i < 10; ++i) {
        int w = 0, h = 0;
        std::vector<uint8_t> before = veltosc.Screenshot("measure", &w, &h);
        double k0 = NowS();
        veltosc.Ask(i % 2 ? "key LEFT" : "key RIGHT");
        bool changed = WaitFor(
            [&] {
                int w2 = 0, h2 = 0;
                std::vector<uint8_t> now = veltosc.Screenshot("measure", &w2, &h2);
                return !now.empty() && now != before;
            },
            3);
        if (changed) {
            keyTimes.push_back((NowS() - k0) * 1000);
        }
        usleep(300000);
    }
    VeltoSimCameraSetPlugged(root, true);
    WaitFor(live, 20);

    // Replug to live view on screen.
    std::vector<double> replugTimes;
    for (int i = 0; i < replugs; ++i) {
        VeltoSimCameraSetPlugged(root, false);
        WaitFor([&] { return !live(); }, 10);
        sleep(1);
        double r0 = NowS();
        VeltoSimCameraSetPlugged(root, true);
        if (WaitFor(live, 20)) {
            replugTimes.push_back(NowS() - r0);
        }
    }
    veltosc.Stop();
    VeltoSim::RemoveTree(run);

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
