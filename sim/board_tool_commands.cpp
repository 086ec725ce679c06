#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "sim/board_tool.h"
#include "sim/sim_board_state.h"
#include "sim/sim_camera_control.h"
#include "sim/sim_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"

const char kVeltoBoardUsage[] =
    "usage: velto-board [--dir RUNDIR] [--program NAME] COMMAND\n"
    "  init                      a fresh board\n"
    "  battery MV | current UA   battery voltage (mV) and current (uA)\n"
    "  charger on|off            supply on the USB power line\n"
    "  hwversion N               board revision\n"
    "  sd insert|remove          SD card\n"
    "  pc connect|disconnect     a PC on the USB device port\n"
    "  poweroff                  raise the power-off request\n"
    "  tvcable in|out            TV-out cable\n"
    "  camera plug|unplug        camera head\n"
    "  camera FAULT              the head, on a running board: format mjpeg (offers\n"
    "                            only MJPEG), grant WxH (that size whatever is asked),\n"
    "                            badframes N (the next N frames spoiled), eio S and\n"
    "                            einval S (dequeues fail for S seconds); normal\n"
    "                            undoes them all\n"
    "  free MOUNTPOINT KIB       free space of a mount (KIB -1: the real figure)\n"
    "  led NAME                  brightness of an LED\n"
    "  commands                  the shell commands the board has run\n"
    "  state                     a summary of the board\n"
    "  key NAME [down|up], screenshot FILE, ui, advance MS\n"
    "                            talk to the running program: veltosc, or the\n"
    "                            one --program names (splash)\n"
    "  panel [screenshot FILE]   velto-sim's window: each control's name, rectangle\n"
    "                            (x y w h, window coordinates) and state; or a\n"
    "                            picture of the whole window\n";

namespace {

bool ParseNumber(const std::string& s, long& out) {
    char* end = nullptr;
    out = strtol(s.c_str(), &end, 10);
    return !s.empty() && end != nullptr && *end == '\0';
}

int Usage() {
    fputs(kVeltoBoardUsage, stderr);
    return 2;
}

int Result(bool ok) {
    return ok ? 0 : 1;
}

int Choice(const std::vector<std::string>& a, const char* yes, const char* no, bool& out) {
    if (a.size() != 2 || (a[1] != yes && a[1] != no)) {
        return Usage();
    }
    out = a[1] == yes;
    return -1;
}

}  // namespace

int VeltoBoardCommand(const std::string& runDir, const std::vector<std::string>& args) {
    std::string program = kVeltoSimMainProgram;
    std::vector<std::string> a;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--program") {
            a.push_back(args[i]);
        } else if (i + 1 < args.size() && VeltoSimIsProgramName(args[i + 1])) {
            program = args[++i];
        } else {
            fprintf(stderr, "velto-board: --program needs a program's name, such as splash\n");
            return 2;
        }
    }
    if (a.empty()) {
        return Usage();
    }
    const std::string root = runDir + "/board";
    const std::string& cmd = a[0];
    long n = 0;
    bool on = false;
    int rc;

    if (cmd == "init" && a.size() == 1) {
        return Result(VeltoSim::InitBoard(root));
    }
    if ((cmd == "battery" || cmd == "current" || cmd == "hwversion") && a.size() == 2) {
        if (!ParseNumber(a[1], n) || n < 0) {
            fprintf(stderr, "velto-board: %s needs a number, not '%s'\n", cmd.c_str(),
                    a[1].c_str());
            return 2;
        }
        if (cmd == "battery") {
            return Result(VeltoSim::SetBatteryMillivolts(root, n));
        }
        if (cmd == "current") {
            return Result(VeltoSim::SetBatteryCurrent(root, n));
        }
        return Result(VeltoSim::SetHwVersion(root, n));
    }
    if (cmd == "charger") {
        if ((rc = Choice(a, "on", "off", on)) >= 0) {
            return rc;
        }
        return Result(VeltoSim::SetCharger(root, on));
    }
    if (cmd == "sd") {
        if ((rc = Choice(a, "insert", "remove", on)) >= 0) {
            return rc;
        }
        return Result(on ? VeltoSim::InsertSdCard(root) : VeltoSim::RemoveSdCard(root));
    }
    if (cmd == "pc") {
        if ((rc = Choice(a, "connect", "disconnect", on)) >= 0) {
            return rc;
        }
        return Result(VeltoSim::ConnectPc(root, on));
    }
    if (cmd == "poweroff" && a.size() == 1) {
        return Result(VeltoSim::RequestPowerOff(root));
    }
    if (cmd == "tvcable") {
        if ((rc = Choice(a, "in", "out", on)) >= 0) {
            return rc;
        }
        return Result(VeltoSim::SetTvCable(root, on));
    }
    if (cmd == "camera") {
        std::string message;
        rc =
            VeltoSimCameraCommand(root, std::vector<std::string>(a.begin() + 1, a.end()), &message);
        if (!message.empty()) {
            fprintf(stderr, "velto-board: %s\n", message.c_str());
        }
        return rc == 2 ? Usage() : rc;
    }
    if (cmd == "free" && a.size() == 3) {
        if (!ParseNumber(a[2], n) || a[1].empty() || a[1][0] != '/') {
            return Usage();
        }
        if (!VeltoSim::IsDir(root + "/sim")) {
            fprintf(stderr, "velto-board: no board at %s\n", root.c_str());
            return 1;
        }
        VeltoSim::SetFreeKiB(root, a[1], n);
        return 0;
    }
    if (cmd == "led" && a.size() == 2) {
        long v = VeltoSim::LedValue(root, a[1]);
        if (v < 0) {
            fprintf(stderr, "velto-board: no LED %s\n", a[1].c_str());
            return 1;
        }
        printf("%ld\n", v);
        return 0;
    }
    if (cmd == "commands" && a.size() == 1) {
        fputs(VeltoSim::ReadText(root + "/sim/commands.log").c_str(), stdout);
        return 0;
    }
    if (cmd == "state" && a.size() == 1) {
        fputs(VeltoSim::Summary(root).c_str(), stdout);
        return VeltoSim::IsDir(root + "/sim") ? 0 : 1;
    }
    if (cmd == "panel") {
        return VeltoBoardPanelCommand(runDir, a);
    }
    if (cmd == "key" || cmd == "screenshot" || cmd == "ui" || cmd == "advance") {
        return VeltoBoardUiCommand(runDir, a, program);
    }
    return Usage();
}
