// Programs of the board built for another processor than the PC's (the
// armel build of the simulated board) run on the PC through the build's
// emulator. A PC without a binfmt entry for it cannot exec them directly.
#pragma once

#include <string>
#include <vector>

namespace VeltoSim {

// What to exec for program hostPath with the argument vector args (args[0]
// the name the program sees as its own): returns the argument vector and
// sets *file. For a program of the PC that is hostPath and args; for one of
// the build's processor, the emulator and its command line.
std::vector<std::string> ExecArgv(const std::string& hostPath, const std::vector<std::string>& args,
                                  std::string* file);

}  // namespace VeltoSim
