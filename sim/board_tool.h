// Subcommands of velto-board that talk to a running program over the
// control channel (keys, screenshots, the window tree).
#pragma once

#include <string>
#include <vector>

// Runs "key NAME [down|up]", "screenshot FILE" or "ui" against the program
// running in runDir. Returns the tool's exit code; prints diagnostics.
int VeltoBoardUiCommand(const std::string& runDir, const std::vector<std::string>& args);
