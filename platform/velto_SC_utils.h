// Platform services: stateless helpers around every contact with the board
// outside the camera and display drivers. Each call opens, reads or writes
// and closes again; nothing is cached. Failures give neutral values (0,
// false, -1, empty), never exceptions. All board access goes through the
// board seam (platform/velto_board.h).
#pragma once

#include <stddef.h>
#include <time.h>

#include <string>

namespace Velto {

enum BatteryStatus {
    BATT_UNKNOWN = -1,
    BATT_CHARGING = 0,
    BATT_NOCHARGING = 1,
    BATT_IDLE = 2,
};

enum KernelCacheType {
    K_CACHE_PAGE = 1,
    K_CACHE_DentriesAndiNodes = 2,
    K_CACHE_ALL = 3,
};

// Pipe descriptors of one run_program call; -1 means "not open".
struct RunProgramPipe {
    int stdoutRead;
    int stdoutWrite;
    int stderrRead;
    int stderrWrite;
};

extern const char* const BatteryFilename;
extern const char* const BattCurrentFilename;
extern const char* const HwVesionFilename;
extern const char* const USBStatusFilename;
extern const char* const default_rtc;
extern const char* const GPIOCLASS;
extern const char* const nextreg;
extern const char* const lcdtype;
extern const unsigned MinVoltage;
extern const unsigned MaxVoltage;

// ---- Process runner ----

// Runs command without a shell (split at spaces; '...' groups one argument)
// and waits for it. Standard output is collected into result (ressize bytes,
// always terminated) when result is not null; standard error is logged line
// by line. Returns 0 on success, -1 on any failure including a nonzero exit
// code or output that did not fit.
int run_program(RunProgramPipe& pipe, const char* command, char* result, size_t ressize,
                size_t* reslen);

// ---- Power and battery ----

unsigned GetBatteryVoltage();  // millivolts, 0 when unreadable
unsigned GetBatteryCurrent();  // raw current_now, 0 when unreadable
BatteryStatus GetBatteryStatus();
unsigned GetBatteryPowerPercent();  // 0..100 in steps of 4
bool IsACOnline();
unsigned GetHwVersion();  // board revision, 0 when unreadable
bool IsOtgHost();         // true also when the role cannot be read

// ---- Display, LEDs, GPIO ----

// True when the LCD panel is the selected output.
bool GetOutputType();
short GetLEDValue(std::string name);  // -1 when missing
void SetLEDValue(std::string name, unsigned char value);
bool CheckTVoutWire();

// ---- Clock ----

tm GetNow();
bool get_rtc_time(tm& out);
bool set_rtc_time(const tm& in);
time_t validate_tm_time(tm* t);
void InitSystemDateTime();

// ---- Kernel caches ----

void ReleaseVMCache(KernelCacheType type);

// ---- Strings ----

size_t strlcpy(char* dst, const char* src, size_t size);
size_t strlcat(char* dst, const char* src, size_t size);
bool StringToUpcase(std::string& s);
bool StringToLowcase(std::string& s);
std::string GetExtendFilename(std::string name);
unsigned char bin2bcd(unsigned v);
unsigned bcd2bin(unsigned char v);
// Case-insensitive "a sorts before b"; a shorter prefix sorts first.
bool compare_nocase(const std::string& a, const std::string& b);

// True when s can be appended to a shell command as one plain word: only
// letters, digits and "/._-+:,=@%". Commands built from run-time strings
// refuse anything else, so a crafted name cannot start a second command.
bool IsShellSafe(const std::string& s);

// ---- Mounts and free space ----

std::string GetMountpoint(std::string dev, std::string fstype);
// KiB available to unprivileged users on the file system holding path, -1
// when path is empty or unknown. Keeps the device's 32-bit result.
long GetAvailDiskSpace(const std::string& path);
std::string GetNandDataPart();
long GetUserNandAvailableSpace();
std::string GetMMCBlockSysDir();
std::string GetMMCFirstPartDev();
// Mount point of the SD card's first mounted vfat partition; empty when no
// card is in use.
std::string GetMMCFirstPart();
long GetFirstMMCAvailableSpace();

// ---- Paths (pure string functions) ----

std::string TrimDIR(const std::string& p);
std::string Basename(const std::string& p);
std::string PathBasename(const std::string& p);
std::string GetParentDIR(const std::string& p);

// ---- USB mass-storage mode ----

// Hands the media to the USB gadget (the SD card as unit 1 when sd is not
// empty, the internal medium as unit 0). sd is GetMMCFirstPart() taken
// before the call.
void ExportMediaToUsbHost(const std::string& sd);
// Takes the media back after the PC let go: detaches both units and mounts
// them afresh on the device.
void ReclaimMediaFromUsbHost(const std::string& sd);

}  // namespace Velto

// Power-off request flag in /sys/power/poweroff_state: Get returns it (-1
// when unreadable), Set clears it and returns the write() result.
int SetPowerOffStatus();
int GetPowerOffStatus();
// Latches the PXP driver's next register set.
void RefreshNextReg();
// Pulses the camera port's USB reset line; false when the GPIO line cannot
// be found or exported.
bool ResetUSB();
