// GPIO lines of the board through the sysfs GPIO class: the TV-out cable
// detector (line 62) and the camera port's USB reset (line 71).
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/velto_SC_Debug.h"
#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace Velto {

const char* const GPIOCLASS = "/sys/class/gpio";

namespace {

const int kTvOutLine = 62;
const int kUsbResetLine = 71;

bool IsDirectory(const std::string& path) {
    struct stat st;
    return Board().Stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ExportCommand(int line) {
    return "echo " + std::to_string(line) + " > " + GPIOCLASS + "/export";
}

// Reads the line's value once; -1 when the file cannot be read.
long ReadLineValue(const std::string& valuePath) {
    int fd = Board().Open(valuePath.c_str(), O_RDONLY);
    if (fd < 1) {
        if (fd == 0) {
            Board().Close(fd);
        }
        return -1;
    }
    char buf[17] = {0};
    ssize_t n = Board().Read(fd, buf, 16);
    Board().Close(fd);
    return n < 1 ? -1 : strtol(buf, nullptr, 10);
}

}  // namespace

bool CheckTVoutWire() {
    if (!IsDirectory(GPIOCLASS)) {
        return false;
    }
    std::string dir = std::string(GPIOCLASS) + "/gpio" + std::to_string(kTvOutLine);
    velto_printf(DBG_LV_DEBUG, "%s:%d OSS: %s\n", "CheckTVoutWire", __LINE__, dir.c_str());
    struct stat st;
    if (Board().Stat(dir.c_str(), &st) != 0) {
        std::string cmd = ExportCommand(kTvOutLine);
        Board().System(cmd.c_str());
        velto_printf(DBG_LV_DEBUG, "%s:%d OSS: %s\n", "CheckTVoutWire", __LINE__, cmd.c_str());
    }
    if (!IsDirectory(dir)) {
        return false;
    }
    const std::string value = dir + "/value";
    if (ReadLineValue(value) < 1) {
        return false;
    }
    // A second read a little later filters contact bounce of the plug.
    Board().Usleep(21000);
    return ReadLineValue(value) >= 1;
}

}  // namespace Velto

bool ResetUSB() {
    using namespace Velto;
    if (!IsDirectory(GPIOCLASS)) {
        return false;
    }
    std::string g = std::string(GPIOCLASS) + "/gpio" + std::to_string(kUsbResetLine);
    struct stat st;
    if (Board().Stat(g.c_str(), &st) != 0) {
        Board().System(ExportCommand(kUsbResetLine).c_str());
    }
    if (!IsDirectory(g)) {
        return false;
    }
    Board().System(("echo " + std::to_string(0) + " > " + g + "/value").c_str());
    Board().Usleep(80000);
    Board().System(("echo " + std::to_string(1) + " > " + g + "/value").c_str());
    Board().Usleep(800000);
    return true;
}
