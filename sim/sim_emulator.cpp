#include "sim/sim_emulator.h"

#include <fcntl.h>
#include <unistd.h>

#include <sstream>

namespace VeltoSim {

namespace {

// The build's emulator as a '|'-separated list, empty on the PC build.
#ifdef VELTO_SIM_EMULATOR
const char kEmulator[] = VELTO_SIM_EMULATOR;
#else
const char kEmulator[] = "";
#endif

// Whether hostPath is an ELF program for 32-bit ARM (e_machine 40).
bool IsArmProgram(const std::string& hostPath) {
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    unsigned char h[20] = {0};
    ssize_t n = read(fd, h, sizeof h);
    close(fd);
    return n == (ssize_t)sizeof h && h[0] == 0x7f && h[1] == 'E' && h[2] == 'L' && h[3] == 'F' &&
           h[4] == 1 && h[5] == 1 && (h[18] | h[19] << 8) == 40;
}

}  // namespace

std::vector<std::string> ExecArgv(const std::string& hostPath, const std::vector<std::string>& args,
                                  std::string* file) {
    *file = hostPath;
    if (kEmulator[0] == '\0' || !IsArmProgram(hostPath)) {
        return args;
    }
    std::vector<std::string> argv;
    std::istringstream in(kEmulator);
    std::string w;
    while (std::getline(in, w, '|')) {
        if (!w.empty()) {
            argv.push_back(w);
        }
    }
    if (argv.empty()) {
        return args;
    }
    *file = argv[0];
    // qemu's -0 hands the program the name it would have had.
    if (!args.empty()) {
        argv.push_back("-0");
        argv.push_back(args[0]);
    }
    argv.push_back(hostPath);
    argv.insert(argv.end(), args.begin() + (args.empty() ? 0 : 1), args.end());
    return argv;
}

}  // namespace VeltoSim
