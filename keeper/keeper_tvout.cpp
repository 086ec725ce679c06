#include "keeper/keeper_tvout.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <string>

#include "platform/velto_board.h"

namespace {

const char* const GPIOCLASS_DIR = "/sys/class/gpio";
const int kTvOutLine = 62;

bool IsDirectory(const std::string& path) {
    struct stat st;
    return Board().Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

bool CheckTVoutWire() {
    if (!IsDirectory(GPIOCLASS_DIR)) {
        return false;
    }
    const std::string line = std::string(GPIOCLASS_DIR) + "/gpio" + std::to_string(kTvOutLine);
    if (!IsDirectory(line)) {
        std::string cmd = "echo " + std::to_string(kTvOutLine) + " > " + GPIOCLASS_DIR + "/export";
        Board().System(cmd.c_str());
    }
    int fd = Board().Open((line + "/value").c_str(), O_RDONLY);
    if (fd <= 0) {
        if (fd == 0) {
            Board().Close(fd);
        }
        return false;
    }
    char buf[17] = {0};
    ssize_t n = Board().Read(fd, buf, 16);
    Board().Close(fd);
    return n >= 1 && strtol(buf, nullptr, 10) > 0;
}
