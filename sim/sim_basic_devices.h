// The small device nodes of the board: the OTG status node (/dev/fsl_otg),
// the real-time clock (/dev/rtc0) and the watchdog (/dev/watchdog). Their
// state lives in files below board/sim so that velto-board sees it.
#pragma once

#include <memory>

#include "sim/sim_device.h"

std::shared_ptr<CVeltoSimDevice> VeltoSimCreateOtgDevice();
std::shared_ptr<CVeltoSimDevice> VeltoSimCreateRtcDevice();
std::shared_ptr<CVeltoSimDevice> VeltoSimCreateWatchdogDevice();

// Request numbers answered by these devices.
enum : unsigned long {
    VELTO_SIM_OTG_STATUS = 0x80044201UL,    // _IOR('B', 1, int)
    VELTO_SIM_RTC_RD_TIME = 0x80247009UL,   // _IOR('p', 9, struct rtc_time)
    VELTO_SIM_RTC_SET_TIME = 0x4024700AUL,  // _IOW('p', 10, struct rtc_time)
    VELTO_SIM_WDIOC_SETOPTIONS = 0x80045704UL,
    VELTO_SIM_WDIOC_KEEPALIVE = 0x80045705UL,
};
