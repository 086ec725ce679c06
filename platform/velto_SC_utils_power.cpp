// Battery, supply, power-off flag, OTG role, output type, LEDs and the PXP
// register kick: small sysfs files read or written once per call.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include "platform/velto_SC_utils.h"
#include "platform/velto_board.h"

namespace Velto {

const char* const BatteryFilename = "/sys/class/power_supply/battery/voltage_now";
const char* const BattCurrentFilename = "/sys/class/power_supply/battery/current_now";
const char* const HwVesionFilename = "/sys/module/mxs_battery/parameters/hardware_version";
const char* const USBStatusFilename = "/sys/class/power_supply/usb/online";
const char* const nextreg = "/sys/devices/platform/mxs-pxp.0/nextreg_state";
const char* const lcdtype = "/etc/lcdparams";
const unsigned MinVoltage = 3300;
const unsigned MaxVoltage = 3700;

namespace {

const char kPowerOffFile[] = "/sys/power/poweroff_state";
const char kOtgDevice[] = "/dev/fsl_otg";
const unsigned long kOtgStatusRequest = 0x80044201UL;  // _IOR('B', 1, int)

enum ReadResult { READ_OK, READ_NO_FILE, READ_NO_VALUE };

// Reads a sysfs number once: the last byte read (the newline) is dropped.
ReadResult ReadSysNumber(const char* path, size_t bufSize, bool isSigned, long long& value) {
    int fd = Board().Open(path, O_RDONLY);
    if (fd < 0) {
        return READ_NO_FILE;
    }
    char buf[32];
    ssize_t n = Board().Read(fd, buf, bufSize);
    Board().Close(fd);
    if (n < 1 || static_cast<size_t>(n) > bufSize) {
        return READ_NO_VALUE;
    }
    buf[n - 1] = '\0';
    value = isSigned ? strtol(buf, nullptr, 10) : static_cast<long long>(strtoul(buf, nullptr, 10));
    return READ_OK;
}

std::string LedPath(const std::string& name) {
    return "/sys/class/leds/" + name + "/brightness";
}

}  // namespace

unsigned GetBatteryVoltage() {
    long long v = 0;
    if (ReadSysNumber(BatteryFilename, 32, false, v) != READ_OK) {
        return 0;
    }
    return static_cast<unsigned>(v / 1000);
}

unsigned GetBatteryCurrent() {
    long long v = 0;
    switch (ReadSysNumber(BattCurrentFilename, 32, false, v)) {
        case READ_NO_FILE:
            printf("****05 Error can't open file %s\n", BattCurrentFilename);
            return 0;
        case READ_NO_VALUE:
            printf("*****02 Error read no val!!\n");
            return 0;
        default:
            return static_cast<unsigned>(v);
    }
}

unsigned GetHwVersion() {
    long long v = 0;
    switch (ReadSysNumber(HwVesionFilename, 32, false, v)) {
        case READ_NO_FILE:
            printf("****hw-version GetHwVersion 05 Error can't open file %s\n", HwVesionFilename);
            return 0;
        case READ_NO_VALUE:
            printf("*****hw-version GetHwVersion 02 Error read no val!!\n");
            return 0;
        default:
            printf("!!!hw-version GetHwVersion hw_version curval:%d \n", static_cast<int>(v));
            return static_cast<unsigned>(v);
    }
}

bool IsACOnline() {
    long long v = 0;
    return ReadSysNumber(USBStatusFilename, 16, true, v) == READ_OK && v == 1;
}

BatteryStatus GetBatteryStatus() {
    unsigned current = GetBatteryCurrent();
    unsigned voltage = GetBatteryVoltage();
    if (current != 0) {
        return BATT_CHARGING;
    }
    return voltage > 3800 ? BATT_NOCHARGING : BATT_CHARGING;
}

unsigned GetBatteryPowerPercent() {
    unsigned v = GetBatteryVoltage();
    if (v < MinVoltage) {
        return 0;
    }
    int p =
        static_cast<int>((v - MinVoltage) / static_cast<double>(MaxVoltage - MinVoltage) * 100.0);
    p -= p % 4;
    return p > 100 ? 100u : static_cast<unsigned>(p);
}

bool IsOtgHost() {
    int fd = Board().Open(kOtgDevice, O_RDONLY);
    if (fd <= 0) {
        return true;
    }
    int role = 0;
    int rc = Board().Ioctl(fd, kOtgStatusRequest, &role);
    Board().Close(fd);
    return rc != 0;
}

bool GetOutputType() {
    int fd = Board().Open(lcdtype, O_RDONLY);
    if (fd < 0) {
        return false;
    }
    char buf[21] = {0};
    ssize_t n = Board().Read(fd, buf, 20);
    Board().Close(fd);
    if (n < 1) {
        return false;
    }
    buf[n - 1] = '\0';
    // 16 bytes: the terminator takes part, so trailing text fails the match.
    if (memcmp(buf, "lcd_panel=lq035", 16) == 0) {
        printf("12###%s###\n", buf);
        return true;
    }
    return false;
}

short GetLEDValue(std::string name) {
    std::string path = LedPath(name);
    struct stat st;
    if (Board().Stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return -1;
    }
    int fd = Board().Open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        printf("Can't open file %s\n", path.c_str());
        return -1;
    }
    char buf[17] = {0};
    ssize_t n = Board().Read(fd, buf, 16);
    Board().Close(fd);
    if (n < 1) {
        return -1;
    }
    return static_cast<short>(strtol(buf, nullptr, 10));
}

void SetLEDValue(std::string name, unsigned char value) {
    short cur = GetLEDValue(name);
    if (cur < 0 || cur == value) {
        return;
    }
    std::string path = LedPath(name);
    int fd = Board().Open(path.c_str(), O_RDWR | O_TRUNC);
    if (fd < 0) {
        printf("Can't open file %s\n", path.c_str());
        return;
    }
    char buf[33] = {0};
    ssize_t n = Board().Read(fd, buf, 32);
    if (n > 0) {
        printf("val:%s\n", buf);
    }
    // O_TRUNC emptied the file, so an empty read counts as "differs".
    if (n <= 0 || strtol(buf, nullptr, 10) != value) {
        char text[8];
        int len = snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
        if (Board().Write(fd, text, static_cast<size_t>(len)) != len) {
            printf("Can't write file %s\n", path.c_str());
        }
    }
    Board().Close(fd);
}

void ReleaseVMCache(KernelCacheType type) {
    int n = (type == K_CACHE_DentriesAndiNodes || type == K_CACHE_ALL) ? type : K_CACHE_PAGE;
    std::string cmd = "echo " + std::to_string(n) + " > /proc/sys/vm/drop_caches";
    Board().System(cmd.c_str());
}

}  // namespace Velto

int GetPowerOffStatus() {
    int fd = Board().Open(Velto::kPowerOffFile, O_RDONLY);
    if (fd < 0) {
        printf("ERROR(%s): open %s.\n", strerror(errno), Velto::kPowerOffFile);
        return -1;
    }
    char buf[6] = {0};
    ssize_t n = Board().Read(fd, buf, 5);
    Board().Close(fd);
    if (n < 0) {
        return -1;
    }
    return static_cast<int>(strtol(buf, nullptr, 10));
}

int SetPowerOffStatus() {
    int fd = Board().Open(Velto::kPowerOffFile, O_RDWR);
    if (fd < 0) {
        printf("ERROR(%s): open %s.\n", strerror(errno), Velto::kPowerOffFile);
        return -1;
    }
    printf("SetPowerOffStatus\n");
    static const char kClear[5] = {'0', '0', '0', '0', '\0'};
    int rc = static_cast<int>(Board().Write(fd, kClear, sizeof kClear));
    Board().Close(fd);
    return rc;
}

void RefreshNextReg() {
    int fd = Board().Open(Velto::nextreg, O_RDWR | O_TRUNC);
    if (fd < 0) {
        printf("Can't open file %s\n", Velto::nextreg);
        return;
    }
    static const char kKick[2] = {'1', '\0'};
    ssize_t n = Board().Write(fd, kKick, sizeof kKick);
    (void)n;
    Board().Close(fd);
}
