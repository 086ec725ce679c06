// The commands of velto-board, for the tool itself and for the launcher's
// scripts: changing the board and talking to a running program over the
// control channel (keys, screenshots, the window tree, virtual time).
#pragma once

#include <string>
#include <vector>

#include "sim/sim_control.h"

// Runs "key NAME [down|up]", "screenshot FILE", "ui" or "advance MS"
// against program (the main program unless named) running in runDir.
// Returns the tool's exit code; prints diagnostics.
int VeltoBoardUiCommand(const std::string& runDir, const std::vector<std::string>& args,
                        const std::string& program = kVeltoSimMainProgram);

// Runs "panel" (the controls of velto-sim's window: name, rectangle in
// window coordinates, state) or "panel screenshot FILE" (the whole window).
int VeltoBoardPanelCommand(const std::string& runDir, const std::vector<std::string>& args);

// The tool's usage text.
extern const char kVeltoBoardUsage[];
// Runs one velto-board command (args[0] is its name) on the board of the
// absolute run directory runDir; "--program NAME" among args picks the
// program that the commands for a running program talk to. Returns the
// tool's exit code.
int VeltoBoardCommand(const std::string& runDir, const std::vector<std::string>& args);
