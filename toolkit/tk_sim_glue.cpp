// In simulator builds a running program answers the control channel (keys,
// screenshots, the window tree, the virtual clock) and shows the simulated
// PXP's overlay plane. On the board both are absent.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <sstream>

#include "toolkit/tk_host.h"
#include "toolkit/tk_sim_glue.h"

#ifdef VELTO_SIM
#include "sim/sim_board.h"
#include "sim/sim_control.h"
#include "sim/sim_framebuffer.h"
#endif

namespace VeltoTk {

#ifdef VELTO_SIM

static CVeltoSimControlServer* g_pServer = nullptr;

static bool Handle(const std::string& request, std::string& reply) {
    std::istringstream in(request);
    std::string cmd;
    in >> cmd;
    if (cmd == "key") {
        std::string name, how;
        in >> name >> how;
        UINT vk = MwKeyFromName(name);
        if (!vk) {
            reply = "unknown key " + name + " (LEFT RIGHT UP DOWN ENTER F1 F2 F3 F4)";
            return false;
        }
        if (how != "up") {
            MwInjectKey(vk, true);
        }
        if (how != "down") {
            MwInjectKey(vk, false);
        }
        return true;
    }
    if (cmd == "screenshot") {
        std::string file;
        std::getline(in >> std::ws, file);
        if (file.empty() || !MwSaveScreenshot(file)) {
            reply = "cannot save screenshot " + file;
            return false;
        }
        return true;
    }
    if (cmd == "ui") {
        reply = MwDumpWindowTree();
        return true;
    }
    if (cmd == "advance") {
        long ms = -1;
        in >> ms;
        if (ms < 0 || !MwClockIsVirtual()) {
            reply = MwClockIsVirtual() ? "advance MS" : "the clock is not virtual";
            return false;
        }
        MwClockAdvance((uint32_t)ms);
        return true;
    }
    reply = "unknown request " + cmd;
    return false;
}

void SimOverlayToScreen(const uint32_t* px, int w, int h, int stride,
                        const CVeltoSimOverlayBlend& sim) {
    MwOverlayBlend blend;
    blend.shown = sim.shown;
    blend.chromaKey = sim.chromaKey;
    blend.key = sim.key;
    blend.globalAlpha = sim.globalAlpha;
    blend.alpha = sim.alpha;
    blend.localAlpha = sim.localAlpha;
    blend.localInvAlpha = sim.localInvAlpha;
    MwSetOverlay(px, w, h, stride, blend);
}

void StartSimGlue() {
    // A board prepared for stepped tests runs its program on virtual time,
    // which only "advance" requests move.
    if (::access(CVeltoSimBoard::GetInstance().SimFile("virtual_clock").c_str(), F_OK) == 0) {
        MwClockSetVirtual(true, false);
        // The board clock (time, gettimeofday) moves with virtual time too,
        // so whatever the program times by the wall clock steps with it.
        CVeltoSimBoard::GetInstance().FollowClock(&MwClockNow);
    }
    CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(&SimOverlayToScreen);
    // Each program answers on a channel named after it, so that the goodbye
    // program started by the main program leaves the main program's alone.
    const std::string program = program_invocation_short_name;
    if (!VeltoSimIsProgramName(program)) {
        printf("Error: control channel: no channel for a program named '%s'\n", program.c_str());
        return;
    }
    g_pServer = new CVeltoSimControlServer();
    std::string path = CVeltoSimBoard::GetInstance().SimFile(VeltoSimControlSocketName(program));
    if (!g_pServer->Start(path, Handle)) {
        delete g_pServer;
        g_pServer = nullptr;
    }
}

void StopSimGlue() {
    CVeltoSimBoard::GetInstance().FollowClock(nullptr);
    CVeltoSimFramebuffer::GetInstance()->SetOverlaySink(nullptr);
    delete g_pServer;
    g_pServer = nullptr;
}

#else

void StartSimGlue() {}
void StopSimGlue() {}

#endif

}  // namespace VeltoTk
