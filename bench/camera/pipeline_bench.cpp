// The live-view pipeline on the simulated board for a given time, with the
// display fed and a recording running: frames captured, shown, recorded and
// dropped, the capture-to-overlay latency, and the CPU time of the
// firmware's own threads per frame (the simulated camera and PXP, which are
// hardware on the board, left out). The baseline, measured in the same run,
// is the bare work per frame on one thread: the display conversion, the copy
// into the recorder's queue and the write of the frame.
//   camera_pipeline_bench [SECONDS]     (default 60)
#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "camera/color.h"
#include "camera/utils.h"
#include "camera/velto_CamRec_Ctrl.h"
#include "media/velto_AVI_Reader.h"
#include "media/velto_AVI_Saver.h"
#include "sim/sim_board.h"
#include "sim/sim_board_state.h"
#include "sim/sim_camera.h"
#include "sim/sim_camera_scene.h"
#include "sim/sim_files.h"
#include "sim/sim_framebuffer.h"
#include "sim/sim_pxp.h"

namespace {

FILE* g_report = stdout;

long long MonotonicMicros() {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// CPU time in clock ticks of this process's threads, firmware and simulated
// hardware apart.
struct CpuTicks {
    long long firmware = 0;
    long long hardware = 0;
};

CpuTicks ThreadTicks() {
    CpuTicks t;
    DIR* dir = opendir("/proc/self/task");
    while (struct dirent* e = dir ? readdir(dir) : nullptr) {
        if (e->d_name[0] == '.') {
            continue;
        }
        std::string base = std::string("/proc/self/task/") + e->d_name;
        std::string comm = VeltoSim::ReadLine(base + "/comm");
        std::string stat = VeltoSim::ReadText(base + "/stat");
        size_t close = stat.rfind(')');
        if (close == std::string::npos) {
            continue;
        }
        // Fields after the name: state is field 3, utime 14, stime 15.
        std::vector<std::string> f = VeltoSim::SplitWords(stat.substr(close + 2));
        if (f.size() < 13) {
            continue;
        }
        long long ticks = atoll(f[11].c_str()) + atoll(f[12].c_str());
        (comm.compare(0, 4, "sim-") == 0 ? t.hardware : t.firmware) += ticks;
    }
    if (dir) {
        closedir(dir);
    }
    return t;
}

double ThreadCpuSeconds() {
    struct timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

// What reaches the overlay plane: distinct frame numbers and latencies.
struct OverlayWatch {
    std::mutex mutex;
    bool active = false;
    std::set<long> shown;
    std::vector<long long> latencies;
    long unreadable = 0;

    void OnPicture(const uint32_t* px, int w, int h, int stride) {
        if (px == nullptr) {
            return;
        }
        long long now = MonotonicMicros();
        // The code band is black and white: the green byte is its luma.
        long n =
            VeltoSimReadSceneNumber(reinterpret_cast<const uint8_t*>(px) + 1, w, h, 4, stride * 4);
        std::lock_guard<std::mutex> lock(mutex);
        if (!active) {
            return;
        }
        if (n < 0) {
            ++unreadable;
            return;
        }
        if (shown.insert(n).second) {
            long long captured = CVeltoSimCamera::GetInstance()->CaptureMicros(uint32_t(n));
            if (captured >= 0) {
                latencies.push_back(now - captured);
            }
        }
    }
};

double Percentile(std::vector<long long> v, double p) {
    if (v.empty()) {
        return 0;
    }
    std::sort(v.begin(), v.end());
    size_t i = std::min(v.size() - 1, static_cast<size_t>(p * (v.size() - 1) + 0.5));
    return v[i] / 1000.0;
}

// The bare per-frame work on one thread, in CPU seconds per frame.
double BaselineSecondsPerFrame(const std::string& dir) {
    const int frames = 500;
    std::vector<char> frame(320 * 240 * 2), planar(320 * 240 * 2), copy(320 * 240 * 2);
    VeltoSimDrawScene(reinterpret_cast<uint8_t*>(frame.data()), 320, 240, 1, {0, 100});
    std::string path = dir + "/baseline.raw";
    int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    double start = ThreadCpuSeconds();
    for (int i = 0; i < frames; ++i) {
        YUYVtoYUV422PZoomoutCen(frame.data(), planar.data(), 320, 240, 320, 240);
        memcpy(copy.data(), frame.data(), frame.size());
        if (fd >= 0 && write(fd, copy.data(), copy.size()) < 0) {
            break;
        }
    }
    double spent = ThreadCpuSeconds() - start;
    if (fd >= 0) {
        close(fd);
    }
    unlink(path.c_str());
    return spent / frames;
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? atoi(argv[1]) : 60;
    if (seconds < 1) {
        fprintf(stderr, "usage: %s [SECONDS]\n", argv[0]);
        return 2;
    }
    char tmpl[] = "/tmp/velto-pipeline-XXXXXX";
    if (mkdtemp(tmpl) == nullptr || chdir(tmpl) != 0) {
        perror("velto pipeline bench: temporary directory");
        return 1;
    }
    std::string dir = tmpl;
    if (!VeltoSim::InitBoard(dir + "/board")) {
        fprintf(stderr, "cannot make a simulated board in %s\n", tmpl);
        return 1;
    }
    // The firmware's messages would drown the report.
    int reportFd = dup(STDOUT_FILENO);
    g_report = fdopen(reportFd, "w");
    if (freopen("/dev/null", "w", stdout) == nullptr ||
        freopen("/dev/null", "w", stderr) == nullptr) {
        g_report = fdopen(dup(reportFd), "w");
    }

    double baseline = BaselineSecondsPerFrame(dir);

    OverlayWatch watch;
    CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(
        [&watch](const uint32_t* px, int w, int h, int stride, const CVeltoSimOverlayBlend&) {
            watch.OnPicture(px, w, h, stride);
        });
    initLut();
    videoflag = true;
    CVeltoCamRecCtrl* ctrl = CVeltoCamRecCtrl::CreateNew();
    if (ctrl == nullptr || !ctrl->Start()) {
        fprintf(g_report, "camera controller did not start\n");
        return 1;
    }
    ctrl->ChangeBright(50);
    if (!WaitFor([] { return CVeltoSimPxp::GetInstance()->FramesShown() > 10; }, 15000)) {
        fprintf(g_report, "no live view within 15 s\n");
        return 1;
    }
    if (!ctrl->StartRecordAVI()) {
        fprintf(g_report, "recording did not start\n");
        return 1;
    }
    std::string avi = ctrl->GetAVISaver()->GetFilename();

    CVeltoSimCamera& camera = *CVeltoSimCamera::GetInstance();
    long long captured0 = camera.FramesCaptured(), lost0 = camera.FramesLost();
    int added0 = ctrl->GetAVISaver()->GetAddedFrames();
    CpuTicks cpu0 = ThreadTicks();
    {
        std::lock_guard<std::mutex> lock(watch.mutex);
        watch.active = true;
    }
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    {
        std::lock_guard<std::mutex> lock(watch.mutex);
        watch.active = false;
    }
    CpuTicks cpu1 = ThreadTicks();
    long long captured = camera.FramesCaptured() - captured0;
    long long lost = camera.FramesLost() - lost0;
    int added = ctrl->GetAVISaver()->GetAddedFrames() - added0;
    ctrl->StopRecordAVI();
    ctrl->Stop();

    long long allShown = CVeltoSimPxp::GetInstance()->FramesShown();
    long recorded = -1;
    if (CVeltoAVIReader* reader = CVeltoAVIReader::CreateNew(avi, Velto_PIX_FMT_YUYV422)) {
        recorded = reader->GetTotalFrames();
        delete reader;
    }
    delete ctrl;
    CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(nullptr);
    freeLut();

    std::lock_guard<std::mutex> lock(watch.mutex);
    long shown = static_cast<long>(watch.shown.size());
    long long dropped = std::max(0LL, captured - shown);
    double tick = 1.0 / sysconf(_SC_CLK_TCK);
    double firmware = (cpu1.firmware - cpu0.firmware) * tick;
    double hardware = (cpu1.hardware - cpu0.hardware) * tick;
    double perFrame = shown > 0 ? firmware / shown : 0;

    FILE* r = g_report;
    fprintf(r, "live-view pipeline, %d s at 25 fps, display fed and recording\n", seconds);
    fprintf(r, "  frames captured      %lld (lost by the camera for want of a buffer: %lld)\n",
            captured, lost);
    fprintf(r, "  frames shown         %ld (overlay pictures without a readable code: %ld)\n",
            shown, watch.unreadable);
    fprintf(r, "  frames recorded      %d offered, %ld in the whole file\n", added, recorded);
    fprintf(r, "  frames in all        %lld through the display from start to stop\n", allShown);
    fprintf(r, "  frames dropped       %lld (captured but never shown)\n", dropped);
    fprintf(r,
            "  latency              capture to overlay: median %.1f ms, 99th %.1f ms, worst "
            "%.1f ms (frame period 40 ms)\n",
            Percentile(watch.latencies, 0.5), Percentile(watch.latencies, 0.99),
            Percentile(watch.latencies, 1.0));
    fprintf(r,
            "  firmware CPU         %.2f ms per frame (%.1f %% of one core); simulated "
            "hardware %.2f ms per frame\n",
            perFrame * 1000, firmware / seconds * 100, shown > 0 ? hardware / shown * 1000 : 0);
    fprintf(r, "  baseline             %.2f ms per frame (convert + copy + write on one thread)\n",
            baseline * 1000);
    fprintf(r, "  ratio                %.2f x the baseline\n",
            baseline > 0 ? perFrame / baseline : 0);
    fflush(r);
    VeltoSim::RemoveTree(dir);
    return 0;
}
