// velto-sysinfo: prints what the platform services read off the board (the
// real one, or the simulated board in the working directory).
#include <stdio.h>
#include <time.h>

#include "platform/velto_SC_utils.h"

int main() {
    using namespace Velto;
    static const char* const kStatus[] = {"charging", "not charging", "idle"};
    BatteryStatus status = GetBatteryStatus();
    printf("battery:      %u mV, %u %%, %s\n", GetBatteryVoltage(), GetBatteryPowerPercent(),
           status >= 0 && status <= 2 ? kStatus[status] : "unknown");
    printf("charger:      %s\n", IsACOnline() ? "online" : "offline");
    printf("usb port:     %s\n", IsOtgHost() ? "host (no PC)" : "device (PC connected)");
    printf("output:       %s\n", GetOutputType() ? "LCD" : "TV");
    printf("tv cable:     %s\n", CheckTVoutWire() ? "in" : "out");
    printf("power-off:    %d\n", GetPowerOffStatus());
    std::string nand = GetNandDataPart();
    printf("internal:     %s, %ld KiB free\n", nand.empty() ? "(not mounted)" : nand.c_str(),
           GetUserNandAvailableSpace());
    std::string sd = GetMMCFirstPart();
    printf("sd card:      %s, %ld KiB free\n", sd.empty() ? "(none)" : sd.c_str(),
           GetFirstMMCAvailableSpace());
    tm now = GetNow();
    char text[64];
    strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &now);
    printf("clock:        %s\n", text);
    tm rtc = {};
    if (get_rtc_time(rtc)) {
        strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &rtc);
        printf("rtc:          %s\n", text);
    }
    return 0;
}
