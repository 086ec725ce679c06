#include "sim/sim_camera_control.h"

#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "sim/sim_files.h"

const char kVeltoSimCameraNode[] = "/dev/video1";
const char kVeltoSimCameraSysDir[] = "/sys/class/video4linux/video1";
const int kVeltoSimCameraReenumerateMs = 500;

namespace {

const char kResetLineValue[] = "/sys/class/gpio/gpio71/value";

// Counts the times the reset line went low in this process, so that a
// re-enumeration scheduled before a later low is dropped.
std::atomic<unsigned> g_nResetLows{0};
std::atomic<unsigned> g_nEnumerations{0};

std::string AttachedFile(const std::string& root) {
    return root + "/sim/camera_attached";
}

std::string FaultsFile(const std::string& root) {
    return root + "/sim/camera_faults";
}

bool IsAttached(const std::string& root) {
    return VeltoSim::ReadLine(AttachedFile(root), "1") == "1";
}

bool ResetLineLow(const std::string& root) {
    return VeltoSim::ReadLine(root + kResetLineValue, "1") == "0";
}

// A new node: a fresh identity in the node file, the sysfs entry after it.
bool Enumerate(const std::string& root) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    std::string identity = std::to_string(getpid()) + "." + std::to_string(++g_nEnumerations) +
                           "." + std::to_string(ts.tv_sec) + "." + std::to_string(ts.tv_nsec);
    std::string sysDir = root + kVeltoSimCameraSysDir;
    return VeltoSim::MakeDirs(sysDir) && VeltoSim::WriteText(sysDir + "/name", "UVC Camera\n") &&
           VeltoSim::WriteText(root + kVeltoSimCameraNode, identity);
}

bool RemoveNode(const std::string& root) {
    bool ok = VeltoSim::RemoveTree(root + kVeltoSimCameraNode);
    return VeltoSim::RemoveTree(root + kVeltoSimCameraSysDir) && ok;
}

bool ParseSize(const std::string& s, uint32_t& width, uint32_t& height) {
    unsigned w = 0, h = 0;
    char tail = 0;
    if (sscanf(s.c_str(), "%ux%u%c", &w, &h, &tail) != 2) {
        return false;
    }
    // Sizes a UVC head could send: even widths, a picture the scene can code.
    if (w < 64 || w > 1920 || w % 2 != 0 || h < 16 || h > 1080) {
        return false;
    }
    width = w;
    height = h;
    return true;
}

bool ParseCount(const std::string& s, long& out, long max) {
    char* end = nullptr;
    out = strtol(s.c_str(), &end, 10);
    return !s.empty() && *end == '\0' && out >= 0 && out <= max;
}

}  // namespace

bool VeltoSimCameraSetPlugged(const std::string& root, bool plugged) {
    if (!VeltoSim::WriteText(AttachedFile(root), plugged ? "1\n" : "0\n")) {
        return false;
    }
    if (!plugged) {
        return RemoveNode(root);
    }
    // A head plugged while the port is held in reset enumerates when the
    // line goes high.
    return ResetLineLow(root) || Enumerate(root);
}

bool VeltoSimCameraIsPlugged(const std::string& root) {
    return VeltoSim::Exists(root + kVeltoSimCameraNode);
}

std::string VeltoSimCameraNodeIdentity(const std::string& root) {
    std::string identity;
    if (!VeltoSim::ReadText(root + kVeltoSimCameraNode, identity)) {
        return "";
    }
    return identity.empty() ? "plugged" : identity;  // a node made by hand
}

void VeltoSimCameraResetLine(const std::string& root, bool high) {
    if (!high) {
        ++g_nResetLows;
        RemoveNode(root);
        return;
    }
    unsigned lows = g_nResetLows;
    std::thread([root, lows] {
        std::this_thread::sleep_for(std::chrono::milliseconds(kVeltoSimCameraReenumerateMs));
        // Not after another low, nor into a board that was removed (a test's
        // temporary board) or a head that was taken away.
        if (g_nResetLows != lows || !VeltoSim::IsDir(root + "/sim") || !IsAttached(root) ||
            ResetLineLow(root) || VeltoSimCameraIsPlugged(root)) {
            return;
        }
        Enumerate(root);
    }).detach();
}

long long VeltoSimCameraNowMs() {
    struct timespec ts;
    clock_gettime(CLOCK_REALTIME, &ts);
    return static_cast<long long>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

VeltoSimCameraFaults VeltoSimCameraReadFaults(const std::string& root) {
    VeltoSimCameraFaults f;
    std::string text;
    if (!VeltoSim::ReadText(FaultsFile(root), text)) {
        return f;
    }
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::vector<std::string> w = VeltoSim::SplitWords(text.substr(at, end - at));
        at = end + 1;
        if (w.size() == 2 && w[0] == "format") {
            f.mjpegOnly = w[1] == "mjpeg";
        } else if (w.size() == 2 && w[0] == "grant") {
            ParseSize(w[1], f.grantWidth, f.grantHeight);
        } else if (w.size() == 3 && w[0] == "badframes") {
            f.badFrames = atoi(w[1].c_str());
            f.badFramesTag = atoll(w[2].c_str());
        } else if (w.size() == 2 && w[0] == "eio") {
            f.eioUntilMs = atoll(w[1].c_str());
        } else if (w.size() == 2 && w[0] == "einval") {
            f.einvalUntilMs = atoll(w[1].c_str());
        }
    }
    return f;
}

bool VeltoSimCameraWriteFaults(const std::string& root, const VeltoSimCameraFaults& f) {
    std::string text;
    if (f.mjpegOnly) {
        text += "format mjpeg\n";
    }
    if (f.grantWidth != 0 && f.grantHeight != 0) {
        text +=
            "grant " + std::to_string(f.grantWidth) + "x" + std::to_string(f.grantHeight) + "\n";
    }
    if (f.badFramesTag != 0) {
        text += "badframes " + std::to_string(f.badFrames) + " " + std::to_string(f.badFramesTag) +
                "\n";
    }
    if (f.eioUntilMs != 0) {
        text += "eio " + std::to_string(f.eioUntilMs) + "\n";
    }
    if (f.einvalUntilMs != 0) {
        text += "einval " + std::to_string(f.einvalUntilMs) + "\n";
    }
    // Replaced in one step: the head reads the file while frames flow.
    std::string path = FaultsFile(root);
    std::string temp = path + ".new";
    return VeltoSim::WriteText(temp, text) && ::rename(temp.c_str(), path.c_str()) == 0;
}

int VeltoSimCameraCommand(const std::string& root, const std::vector<std::string>& args,
                          std::string* message) {
    auto usage = [message](const std::string& text) {
        *message = text;
        return 2;
    };
    if (!VeltoSim::IsDir(root + "/sim")) {
        *message = "no board at " + root;
        return 1;
    }
    if (args.empty()) {
        return usage("camera needs an option");
    }
    const std::string& what = args[0];
    if (args.size() == 1 && (what == "plug" || what == "unplug")) {
        return VeltoSimCameraSetPlugged(root, what == "plug") ? 0 : 1;
    }
    VeltoSimCameraFaults f = VeltoSimCameraReadFaults(root);
    long n = 0;
    if (args.size() == 1 && what == "normal") {
        f = VeltoSimCameraFaults();
    } else if (args.size() == 2 && what == "format") {
        if (args[1] != "mjpeg" && args[1] != "yuyv") {
            return usage("camera format mjpeg|yuyv");
        }
        f.mjpegOnly = args[1] == "mjpeg";
    } else if (args.size() == 2 && what == "grant") {
        if (!ParseSize(args[1], f.grantWidth, f.grantHeight)) {
            return usage("camera grant WxH (even width 64..1920, height 16..1080)");
        }
    } else if (args.size() == 2 && what == "badframes") {
        if (!ParseCount(args[1], n, 1000000)) {
            return usage("camera badframes N");
        }
        struct timespec ts;
        clock_gettime(CLOCK_REALTIME, &ts);
        f.badFrames = static_cast<int>(n);
        f.badFramesTag = static_cast<long long>(ts.tv_sec) * 1000000000LL + ts.tv_nsec;
    } else if (args.size() == 2 && (what == "eio" || what == "einval")) {
        if (!ParseCount(args[1], n, 86400)) {
            return usage("camera " + what + " SECONDS");
        }
        (what == "eio" ? f.eioUntilMs : f.einvalUntilMs) = VeltoSimCameraNowMs() + n * 1000;
    } else {
        return usage("camera plug|unplug|normal|format mjpeg|grant WxH|badframes N|eio S|einval S");
    }
    return VeltoSimCameraWriteFaults(root, f) ? 0 : 1;
}
