#include <stdio.h>

#include "sim/board_tool.h"

// Until the windowing layer has its control channel no program can answer.
int VeltoBoardUiCommand(const std::string& runDir, const std::vector<std::string>& args) {
    fprintf(stderr, "velto-board: '%s' is not available in this build\n",
            args.empty() ? "" : args[0].c_str());
    return 2;
}
