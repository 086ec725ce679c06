// velto-board: changes and inspects a simulated board directory.
//   velto-board [--dir RUNDIR] COMMAND [ARGS]   (board root: RUNDIR/board)
#include <limits.h>
#include <stdio.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "sim/board_tool.h"

int main(int argc, char** argv) {
    std::string runDir = ".";
    std::vector<std::string> a;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--dir" && i + 1 < argc) {
            runDir = argv[++i];
        } else if (arg == "-h" || arg == "--help") {
            fputs(kVeltoBoardUsage, stdout);
            return 0;
        } else {
            a.push_back(arg);
        }
    }
    if (a.empty()) {
        fputs(kVeltoBoardUsage, stderr);
        return 2;
    }
    char abs[PATH_MAX];
    if (realpath(runDir.c_str(), abs) == nullptr) {
        fprintf(stderr, "velto-board: no directory %s\n", runDir.c_str());
        return 1;
    }
    runDir = abs;
    return VeltoBoardCommand(abs, a);
}
