#include <stdio.h>
#include <stdlib.h>

#include "sim/board_tool.h"
#include "sim/sim_control.h"

// The screenshot is written by the program, whose working directory may
// differ from ours: hand it an absolute path.
static std::string Absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') {
        return path;
    }
    char* cwd = realpath(".", nullptr);
    std::string out = std::string(cwd ? cwd : ".") + "/" + path;
    free(cwd);
    return out;
}

// Sends a request to a running program's channel and prints its answer; the
// exit status of the command. `absent` says who is not there to answer.
static int Ask(const std::string& socket, const std::string& request, const std::string& absent) {
    std::string reply;
    int rc = VeltoSimControlRequest(socket, request, reply);
    if (rc < 0) {
        fprintf(stderr, "velto-board: %s (%s)\n", absent.c_str(), reply.c_str());
        return 1;
    }
    if (rc > 0) {
        fprintf(stderr, "velto-board: %s\n", reply.c_str());
        return 1;
    }
    fputs(reply.c_str(), stdout);
    return 0;
}

int VeltoBoardPanelCommand(const std::string& runDir, const std::vector<std::string>& args) {
    std::string request;
    if (args.size() == 1) {
        request = "panel";
    } else if (args.size() == 3 && args[1] == "screenshot") {
        request = "screenshot " + Absolute(args[2]);
    } else {
        fprintf(stderr, "velto-board: usage: panel [screenshot FILE]\n");
        return 2;
    }
    return Ask(VeltoSimWindowSocketPath(runDir), request,
               "no velto-sim window is open on the board in " + runDir);
}

int VeltoBoardUiCommand(const std::string& runDir, const std::vector<std::string>& args,
                        const std::string& program) {
    if (args.empty()) {
        fprintf(stderr, "velto-board: missing subcommand\n");
        return 2;
    }
    const std::string& cmd = args[0];
    std::string request;
    if (cmd == "key" && (args.size() == 2 || args.size() == 3)) {
        std::string how = args.size() == 3 ? args[2] : "press";
        if (how != "down" && how != "up" && how != "press") {
            fprintf(stderr, "velto-board: key NAME [down|up]\n");
            return 2;
        }
        request = "key " + args[1] + " " + how;
    } else if (cmd == "screenshot" && args.size() == 2) {
        request = "screenshot " + Absolute(args[1]);
    } else if (cmd == "ui" && args.size() == 1) {
        request = "ui";
    } else if (cmd == "advance" && args.size() == 2) {
        request = "advance " + args[1];
    } else {
        fprintf(stderr,
                "velto-board: usage: key NAME [down|up] | screenshot FILE | ui | advance MS\n");
        return 2;
    }
    return Ask(VeltoSimControlSocketPath(runDir, program), request,
               program + " is not running on the board in " + runDir);
}
