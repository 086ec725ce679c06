#include "sim/sim_board_state.h"

#include <stdio.h>
#include <time.h>

#include "sim/sim_camera_control.h"
#include "sim/sim_files.h"
#include "sim/sim_mounts.h"
#include "sim/sim_pxp.h"

namespace VeltoSim {

namespace {

const char* const kLeds[] = {"led-pwm0", "Green_LED", "Red_LED", "LCD_backlight"};
const char kBattery[] = "/sys/class/power_supply/battery";
const char kUsbSupply[] = "/sys/class/power_supply/usb/online";
const char kSdMount[] = "/media/sd-mmcblk0p1";

bool Put(const std::string& root, const std::string& boardPath, const std::string& text) {
    std::string host = root + boardPath;
    MakeDirs(host.substr(0, host.find_last_of('/')));
    if (!WriteText(host, text)) {
        fprintf(stderr, "velto-board: cannot write %s\n", host.c_str());
        return false;
    }
    return true;
}

bool RequireBoard(const std::string& root) {
    if (!IsDir(root + "/sim")) {
        fprintf(stderr, "velto-board: no board at %s (run 'velto-board init' first)\n",
                root.c_str());
        return false;
    }
    return true;
}

}  // namespace

bool InitBoard(const std::string& root) {
    RemoveTree(root);
    bool ok = MakeDirs(root + "/sim/disks/loop0");
    const std::string bat = kBattery;
    ok = ok && Put(root, bat + "/voltage_now", "3700000\n");
    ok = ok && Put(root, bat + "/current_now", "0\n");
    ok = ok && Put(root, kUsbSupply, "0\n");
    ok = ok && Put(root, "/sys/module/mxs_battery/parameters/hardware_version", "1\n");
    ok = ok && Put(root, "/sys/power/poweroff_state", "0\n");
    for (const char* led : kLeds) {
        ok = ok && Put(root, std::string("/sys/class/leds/") + led + "/brightness", "0\n");
        ok = ok && Put(root, std::string("/sys/class/leds/") + led + "/max_brightness", "255\n");
    }
    ok = ok && Put(root, "/sys/class/gpio/export", "");
    ok = ok && Put(root, "/sys/devices/platform/mxs-pxp.0/nextreg_state", "0\n");
    ok = ok && Put(root, "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file", "\n");
    ok = ok && Put(root, "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file", "\n");
    ok = ok && MakeDirs(root + "/sys/block/loop0");
    ok = ok && MakeDirs(root + "/sys/class/video4linux");
    for (const char* node : {"loop0", "fsl_otg", "rtc0", "watchdog", "fb0"}) {
        ok = ok && Put(root, std::string("/dev/") + node, "");
    }
    ok = ok && Put(root, "/proc/mounts", "rootfs / rootfs rw 0 0\nproc /proc proc rw 0 0\n");
    ok = ok && Put(root, "/proc/sys/vm/drop_caches", "0\n");
    ok = ok && Put(root, "/etc/lcdparams", "lcd_panel=lq035\n");
    ok = ok && Put(root, "/mnt/ubifs/backing_file", "");
    ok = ok && MakeDirs(root + "/media/nand") && MakeDirs(root + "/usr/velto");
    ok = ok && Mount(root, "/dev/loop0", "/media/nand", "vfat") == 0;
    ok = ok && Put(root, "/sim/otg", "host\n") && Put(root, "/sim/tvcable", "0\n");
    ok = ok && Put(root, "/sim/clock", "0\n") && Put(root, "/sim/commands.log", "");
    ok = ok && Put(root, "/sim/free", "") && Put(root, "/sim/watchdog", "0\n");
    // The RTC starts on the host's local time, as a board that kept its clock.
    time_t now = time(nullptr);
    struct tm t;
    localtime_r(&now, &t);
    char rtc[128];
    snprintf(rtc, sizeof rtc, "%d %d %d %d %d %d %d %d %d\n", t.tm_year, t.tm_mon, t.tm_mday,
             t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday, t.tm_yday, t.tm_isdst);
    ok = ok && Put(root, "/sim/rtc", rtc);
    ok = ok && VeltoSimPxpInstall(root);
    ok = ok && VeltoSimCameraSetPlugged(root, true);
    if (!ok) {
        fprintf(stderr, "velto-board: cannot create a board at %s\n", root.c_str());
    }
    return ok;
}

bool SetBatteryMillivolts(const std::string& root, long mv) {
    return RequireBoard(root) &&
           Put(root, std::string(kBattery) + "/voltage_now", std::to_string(mv * 1000) + "\n");
}

bool SetBatteryCurrent(const std::string& root, long ua) {
    return RequireBoard(root) &&
           Put(root, std::string(kBattery) + "/current_now", std::to_string(ua) + "\n");
}

bool SetCharger(const std::string& root, bool on) {
    return RequireBoard(root) && Put(root, kUsbSupply, on ? "1\n" : "0\n");
}

bool SetHwVersion(const std::string& root, long version) {
    return RequireBoard(root) && Put(root, "/sys/module/mxs_battery/parameters/hardware_version",
                                     std::to_string(version) + "\n");
}

bool InsertSdCard(const std::string& root) {
    if (!RequireBoard(root)) {
        return false;
    }
    if (Exists(root + "/dev/mmcblk0p1")) {
        return true;
    }
    bool ok = Put(root, "/sys/block/mmcblk0/mmcblk0p1/stat", "0 0 0 0 0 0 0 0 0 0 0\n");
    ok = ok && Put(root, "/sys/block/mmcblk0/size", "3862528\n");
    ok = ok && Put(root, "/dev/mmcblk0", "") && Put(root, "/dev/mmcblk0p1", "");
    ok = ok && MakeDirs(DiskDir(root, "/dev/mmcblk0p1")) && MakeDirs(root + kSdMount);
    // The board's auto-mounter mounts the first partition.
    return ok && Mount(root, "/dev/mmcblk0p1", kSdMount, "vfat") == 0;
}

bool RemoveSdCard(const std::string& root) {
    if (!RequireBoard(root)) {
        return false;
    }
    for (const MountEntry& e : ReadMounts(root)) {
        if (e.device.compare(0, 11, "/dev/mmcblk") == 0) {
            Umount(root, e.dir);
        }
    }
    RemoveTree(root + "/sys/block/mmcblk0");
    RemoveTree(root + "/dev/mmcblk0p1");
    RemoveTree(root + "/dev/mmcblk0");
    return true;
}

bool ConnectPc(const std::string& root, bool connected) {
    return RequireBoard(root) && Put(root, "/sim/otg", connected ? "device\n" : "host\n");
}

bool RequestPowerOff(const std::string& root) {
    return RequireBoard(root) && Put(root, "/sys/power/poweroff_state", "1\n");
}

bool SetTvCable(const std::string& root, bool plugged) {
    if (!RequireBoard(root) || !Put(root, "/sim/tvcable", plugged ? "1\n" : "0\n")) {
        return false;
    }
    // The detector line follows the cable once it is exported.
    std::string value = "/sys/class/gpio/gpio62/value";
    return !Exists(root + value) || Put(root, value, plugged ? "1\n" : "0\n");
}

long LedValue(const std::string& root, const std::string& name) {
    return static_cast<long>(ReadNumber(root + "/sys/class/leds/" + name + "/brightness", -1));
}

std::string Summary(const std::string& root) {
    if (!IsDir(root + "/sim")) {
        return "no board at " + root + "\n";
    }
    std::string s;
    auto line = [&s](const std::string& key, const std::string& value) {
        s += key + ": " + value + "\n";
    };
    const std::string bat = std::string(kBattery);
    line("battery", std::to_string(ReadNumber(root + bat + "/voltage_now", 0) / 1000) + " mV");
    line("current", ReadLine(root + bat + "/current_now", "?") + " uA");
    line("charger", ReadLine(root + kUsbSupply) == "1" ? "on" : "off");
    line("hwversion", ReadLine(root + "/sys/module/mxs_battery/parameters/hardware_version", "?"));
    line("poweroff", ReadLine(root + "/sys/power/poweroff_state", "?"));
    line("output", ReadLine(root + "/etc/lcdparams", "?"));
    line("tvcable", ReadLine(root + "/sim/tvcable") == "1" ? "in" : "out");
    line("usb", ReadLine(root + "/sim/otg") == "device" ? "pc connected (device role)"
                                                        : "no pc (host role)");
    std::string camera = VeltoSimCameraIsPlugged(root) ? "plugged" : "unplugged";
    VeltoSimCameraFaults faults = VeltoSimCameraReadFaults(root);
    long long now = VeltoSimCameraNowMs();
    if (faults.mjpegOnly) {
        camera += ", MJPEG only";
    }
    if (faults.grantWidth != 0) {
        camera += ", grants " + std::to_string(faults.grantWidth) + "x" +
                  std::to_string(faults.grantHeight);
    }
    if (faults.eioUntilMs > now) {
        camera += ", EIO for " + std::to_string((faults.eioUntilMs - now + 999) / 1000) + " s";
    }
    if (faults.einvalUntilMs > now) {
        camera +=
            ", EINVAL for " + std::to_string((faults.einvalUntilMs - now + 999) / 1000) + " s";
    }
    line("camera", camera);
    line("sd card", Exists(root + "/dev/mmcblk0p1") ? "inserted" : "none");
    for (const MountEntry& e : ReadMounts(root)) {
        if (e.device.empty() || e.device[0] != '/') {
            continue;
        }
        long long kib = FreeKiB(root, e.dir);
        line("mount", e.device + " on " + e.dir + " type " + e.type +
                          (kib >= 0 ? ", free " + std::to_string(kib) + " KiB" : ""));
    }
    for (const char* led : kLeds) {
        line(std::string("led ") + led, std::to_string(LedValue(root, led)));
    }
    line("lun0", ReadLine(root + "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun0/file"));
    line("lun1", ReadLine(root + "/sys/devices/platform/fsl-usb2-udc/gadget/gadget-lun1/file"));
    line("watchdog", ReadLine(root + "/sim/watchdog", "0") + " keep-alives");
    line("clock offset", ReadLine(root + "/sim/clock", "0") + " s");
    line("rtc", ReadLine(root + "/sim/rtc", "unset"));
    return s;
}

}  // namespace VeltoSim
