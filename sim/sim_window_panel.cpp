#include "sim/sim_window_panel.h"

#include <stdio.h>
#include <time.h>

#include <algorithm>

#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_files.h"

namespace {

constexpr int kPad = 14;
constexpr int kRow = 32;
constexpr int kRowH = 26;
constexpr int kHalf = 148;
constexpr int kLabelW = 112;  // the text left of a slider
constexpr int kLines = 7;
constexpr int kLineH = 16;

const char kBattery[] = "/sys/class/power_supply/battery";

// The arguments a fault button steps through.
const char* const kGrants[] = {"640x480", "320x240", "176x144"};
const char* const kBadFrames[] = {"10", "25", "100", "3"};
const char* const kSeconds[] = {"5", "10", "2"};

template <size_t N>
const char* Arg(const char* const (&list)[N], long index) {
    return list[(size_t)index % N];
}

std::string Volts(long mv) {
    char buf[32];
    snprintf(buf, sizeof buf, "%ld.%02ld V", mv / 1000, (mv % 1000 + 5) / 10 % 100);
    if ((mv % 1000 + 5) / 10 >= 100) {
        snprintf(buf, sizeof buf, "%ld.00 V", mv / 1000 + 1);
    }
    return buf;
}

std::string OutputName(const std::string& lcdparams) {
    if (lcdparams.find("tvenc_pal") != std::string::npos) {
        return "PAL";
    }
    if (lcdparams.find("tvenc_ntsc") != std::string::npos) {
        return "NTSC";
    }
    return "LCD";
}

}  // namespace

CVeltoSimPanel::CVeltoSimPanel(const std::string& root, const SVeltoSimRect& panel)
    : m_strRoot(root) {
    auto add = [this](const char* name, SVeltoSimControl::EKind kind) {
        SVeltoSimControl c;
        c.name = name;
        c.kind = kind;
        m_controls.push_back(c);
        return &m_controls.back();
    };
    SVeltoSimControl* c = add("battery", SVeltoSimControl::SLIDER);
    c->min = 3200;
    c->max = 4200;
    c->unit = "mV";
    c = add("current", SVeltoSimControl::SLIDER);
    c->min = 0;
    c->max = 1000;
    c->unit = "mA";
    add("charger", SVeltoSimControl::TOGGLE);
    add("sd", SVeltoSimControl::TOGGLE);
    add("pc", SVeltoSimControl::TOGGLE);
    add("tvcable", SVeltoSimControl::TOGGLE);
    add("camera", SVeltoSimControl::TOGGLE);
    add("camera-mjpeg", SVeltoSimControl::BUTTON);
    for (const char* fault : {"camera-grant", "camera-badframes", "camera-eio", "camera-einval"}) {
        add(fault, SVeltoSimControl::BUTTON);
        add((std::string(fault) + "-arg").c_str(), SVeltoSimControl::BUTTON)->label = "change";
    }
    add("camera-normal", SVeltoSimControl::BUTTON)->label = "camera normal";
    add("poweroff", SVeltoSimControl::BUTTON)->label = "power-off request";
    add("screenshot", SVeltoSimControl::BUTTON)->label = "screenshot";
    Place(panel);
    Refresh();
}

SVeltoSimControl* CVeltoSimPanel::Find(const std::string& name) {
    for (SVeltoSimControl& c : m_controls) {
        if (c.name == name) {
            return &c;
        }
    }
    return nullptr;
}

void CVeltoSimPanel::Place(const SVeltoSimRect& panel) {
    const int x0 = panel.x + kPad;
    const int full = panel.w - 2 * kPad;
    int y = panel.y + 44;
    auto at = [&](const char* name, int x, int w) {
        if (SVeltoSimControl* c = Find(name)) {
            c->rect = SVeltoSimRect{x, y, w, kRowH};
        }
    };
    at("battery", x0 + kLabelW, full - kLabelW);
    y += kRow;
    at("current", x0 + kLabelW, full - kLabelW);
    y += kRow;
    at("charger", x0, kHalf);
    at("sd", x0 + full - kHalf, kHalf);
    y += kRow;
    at("pc", x0, kHalf);
    at("tvcable", x0 + full - kHalf, kHalf);
    y += kRow;
    at("camera", x0, kHalf);
    at("camera-mjpeg", x0 + full - kHalf, kHalf);
    y += kRow;
    for (const char* fault : {"camera-grant", "camera-badframes", "camera-eio", "camera-einval"}) {
        at(fault, x0, full - 72);
        at((std::string(fault) + "-arg").c_str(), x0 + full - 66, 66);
        y += kRow;
    }
    at("camera-normal", x0, kHalf);
    at("poweroff", x0 + full - kHalf, kHalf);
    y += kRow;
    at("screenshot", x0, kHalf);
    y += kRow + 6;
    m_linesRect = SVeltoSimRect{x0, y, full, kLines * kLineH};
}

bool CVeltoSimPanel::Refresh() {
    const std::string& r = m_strRoot;
    std::vector<std::string> before;
    for (const SVeltoSimControl& c : m_controls) {
        before.push_back(c.label + "|" + c.state);
    }
    std::vector<std::string> beforeLines = m_lines;

    auto set = [this](const char* name, bool on, const std::string& label,
                      const std::string& state) {
        if (SVeltoSimControl* c = Find(name)) {
            c->on = on;
            c->label = label;
            c->state = state;
        }
    };
    if (SVeltoSimControl* c = Find("battery")) {
        if (m_nDragging < 0 || &m_controls[(size_t)m_nDragging] != c) {
            c->value = (long)(VeltoSim::ReadNumber(r + kBattery + "/voltage_now", 0) / 1000);
        }
        c->label = "Battery " + Volts(c->value);
        c->state = std::to_string(c->value) + " mV";
    }
    if (SVeltoSimControl* c = Find("current")) {
        if (m_nDragging < 0 || &m_controls[(size_t)m_nDragging] != c) {
            c->value = (long)(VeltoSim::ReadNumber(r + kBattery + "/current_now", 0) / 1000);
        }
        c->label = "Current " + std::to_string(c->value) + " mA";
        c->state = std::to_string(c->value) + " mA";
    }
    bool charger = VeltoSim::ReadLine(r + "/sys/class/power_supply/usb/online") == "1";
    set("charger", charger, charger ? "charger: on" : "charger: off", charger ? "on" : "off");
    bool sd = VeltoSim::Exists(r + "/dev/mmcblk0p1");
    set("sd", sd, sd ? "SD card: in" : "SD card: out", sd ? "in" : "out");
    bool pc = VeltoSim::ReadLine(r + "/sim/otg") == "device";
    set("pc", pc, pc ? "PC: connected" : "PC: none", pc ? "connected" : "disconnected");
    bool tv = VeltoSim::ReadLine(r + "/sim/tvcable") == "1";
    set("tvcable", tv, tv ? "TV cable: in" : "TV cable: out", tv ? "in" : "out");
    bool cam = VeltoSimCameraIsPlugged(r);
    set("camera", cam, cam ? "camera: plugged" : "camera: unplugged",
        cam ? "plugged" : "unplugged");

    VeltoSimCameraFaults f = VeltoSimCameraReadFaults(r);
    long long now = VeltoSimCameraNowMs();
    set("camera-mjpeg", f.mjpegOnly, "format mjpeg", f.mjpegOnly ? "on" : "off");
    auto argOf = [this](const char* name) {
        SVeltoSimControl* c = Find(name);
        return c ? c->value : 0;
    };
    set("camera-grant", f.grantWidth != 0,
        std::string("grant ") + Arg(kGrants, argOf("camera-grant-arg")),
        f.grantWidth ? std::to_string(f.grantWidth) + "x" + std::to_string(f.grantHeight) : "off");
    set("camera-badframes", false,
        std::string("badframes ") + Arg(kBadFrames, argOf("camera-badframes-arg")), "ready");
    set("camera-eio", f.eioUntilMs > now,
        std::string("eio ") + Arg(kSeconds, argOf("camera-eio-arg")) + " s",
        f.eioUntilMs > now ? "on" : "off");
    set("camera-einval", f.einvalUntilMs > now,
        std::string("einval ") + Arg(kSeconds, argOf("camera-einval-arg")) + " s",
        f.einvalUntilMs > now ? "on" : "off");
    // A fault's "change" button lists the argument it has chosen.
    set("camera-grant-arg", false, "change", Arg(kGrants, argOf("camera-grant-arg")));
    set("camera-badframes-arg", false, "change", Arg(kBadFrames, argOf("camera-badframes-arg")));
    set("camera-eio-arg", false, "change", Arg(kSeconds, argOf("camera-eio-arg")));
    set("camera-einval-arg", false, "change", Arg(kSeconds, argOf("camera-einval-arg")));
    set("camera-normal", false, "camera normal", "ready");
    bool poweroff = VeltoSim::ReadLine(r + "/sys/power/poweroff_state") == "1";
    set("poweroff", poweroff, "power-off request", poweroff ? "raised" : "ready");
    set("screenshot", false, "screenshot", "ready");

    m_lines.clear();
    long long offset = VeltoSim::ReadNumber(r + "/sim/clock", 0);
    time_t t = time(nullptr) + (time_t)offset;
    struct tm tm;
    gmtime_r(&t, &tm);
    char clock[64];
    strftime(clock, sizeof clock, "%Y-%m-%d %H:%M:%S", &tm);
    m_lines.push_back("Output: " + OutputName(VeltoSim::ReadLine(r + "/etc/lcdparams")) +
                      "     Clock: " + clock);
    m_lines.push_back("Last commands:");
    std::vector<std::string> commands;
    std::string log = VeltoSim::ReadText(r + "/sim/commands.log");
    size_t start = 0;
    while (start < log.size()) {
        size_t nl = log.find('\n', start);
        if (nl == std::string::npos) {
            nl = log.size();
        }
        if (nl > start) {
            commands.push_back(log.substr(start, nl - start));
        }
        start = nl + 1;
    }
    const size_t shown = kLines - 2;
    for (size_t i = commands.size() > shown ? commands.size() - shown : 0; i < commands.size();
         ++i) {
        m_lines.push_back("  " + commands[i]);
    }

    std::vector<std::string> after;
    for (const SVeltoSimControl& c : m_controls) {
        after.push_back(c.label + "|" + c.state);
    }
    return after != before || m_lines != beforeLines;
}

long CVeltoSimPanel::SliderValueAt(const SVeltoSimControl& c, int x) {
    if (c.rect.w <= 1) {
        return c.min;
    }
    long span = c.max - c.min;
    long v = c.min + (long)((long long)(x - c.rect.x) * span / (c.rect.w - 1));
    v = std::max(c.min, std::min(c.max, v));
    return (v + 5) / 10 * 10;  // 10 mV / 10 mA steps
}

std::string CVeltoSimPanel::Press(int x, int y) {
    for (size_t i = 0; i < m_controls.size(); ++i) {
        SVeltoSimControl& c = m_controls[i];
        if (!c.rect.Contains(x, y)) {
            continue;
        }
        if (c.kind == SVeltoSimControl::SLIDER) {
            m_nDragging = (int)i;
            c.value = SliderValueAt(c, x);
            Act(c);
        } else {
            Act(c);
        }
        Refresh();
        return c.name;
    }
    return "";
}

void CVeltoSimPanel::Drag(int x) {
    if (m_nDragging < 0) {
        return;
    }
    SVeltoSimControl& c = m_controls[(size_t)m_nDragging];
    c.value = SliderValueAt(c, x);
    Refresh();
}

void CVeltoSimPanel::Release() {
    if (m_nDragging < 0) {
        return;
    }
    SVeltoSimControl& c = m_controls[(size_t)m_nDragging];
    Act(c);
    m_nDragging = -1;
    Refresh();
}

bool CVeltoSimPanel::TakeScreenshotRequest() {
    bool take = m_bScreenshot;
    m_bScreenshot = false;
    return take;
}

void CVeltoSimPanel::Act(SVeltoSimControl& c) {
    const std::string& r = m_strRoot;
    std::string message;
    auto camera = [&](std::vector<std::string> args) {
        if (VeltoSimCameraCommand(r, args, &message) != 0 && !message.empty()) {
            fprintf(stderr, "velto-sim: camera: %s\n", message.c_str());
        }
    };
    auto argOf = [this](const char* name) {
        SVeltoSimControl* a = Find(name);
        return a ? a->value : 0;
    };
    const std::string& n = c.name;
    if (n == "battery") {
        VeltoSim::SetBatteryMillivolts(r, c.value);
    } else if (n == "current") {
        VeltoSim::SetBatteryCurrent(r, c.value * 1000);
    } else if (n == "charger") {
        VeltoSim::SetCharger(r, !c.on);
    } else if (n == "sd") {
        c.on ? VeltoSim::RemoveSdCard(r) : VeltoSim::InsertSdCard(r);
    } else if (n == "pc") {
        VeltoSim::ConnectPc(r, !c.on);
    } else if (n == "tvcable") {
        VeltoSim::SetTvCable(r, !c.on);
    } else if (n == "camera") {
        camera({c.on ? "unplug" : "plug"});
    } else if (n == "camera-mjpeg") {
        camera({"format", "mjpeg"});
    } else if (n == "camera-grant") {
        camera({"grant", Arg(kGrants, argOf("camera-grant-arg"))});
    } else if (n == "camera-badframes") {
        camera({"badframes", Arg(kBadFrames, argOf("camera-badframes-arg"))});
    } else if (n == "camera-eio") {
        camera({"eio", Arg(kSeconds, argOf("camera-eio-arg"))});
    } else if (n == "camera-einval") {
        camera({"einval", Arg(kSeconds, argOf("camera-einval-arg"))});
    } else if (n == "camera-normal") {
        camera({"normal"});
    } else if (n.size() > 4 && n.compare(n.size() - 4, 4, "-arg") == 0) {
        c.value += 1;  // the next argument of its fault
    } else if (n == "poweroff") {
        VeltoSim::RequestPowerOff(r);
    } else if (n == "screenshot") {
        m_bScreenshot = true;
    }
}
