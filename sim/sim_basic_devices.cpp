#include "sim/sim_basic_devices.h"

#include <errno.h>
#include <linux/rtc.h>
#include <stdio.h>
#include <string.h>

#include <sstream>

#include "sim/sim_board.h"
#include "sim/sim_files.h"

namespace {

class COtgHandle : public CVeltoSimHandle {
public:
    int Ioctl(unsigned long request, void* arg) override {
        if (request != VELTO_SIM_OTG_STATUS) {
            errno = ENOTTY;
            return -1;
        }
        // The driver answers the role in the return value: 1 host, 0 device.
        std::string role = VeltoSim::ReadLine(CVeltoSimBoard::GetInstance().SimFile("otg"), "host");
        int host = role == "device" ? 0 : 1;
        if (arg != nullptr) {
            memcpy(arg, &host, sizeof host);
        }
        return host;
    }
};

class CRtcHandle : public CVeltoSimHandle {
public:
    int Ioctl(unsigned long request, void* arg) override {
        std::string file = CVeltoSimBoard::GetInstance().SimFile("rtc");
        if (arg == nullptr) {
            errno = EFAULT;
            return -1;
        }
        struct rtc_time t;
        if (request == VELTO_SIM_RTC_RD_TIME) {
            memset(&t, 0, sizeof t);
            std::istringstream in(VeltoSim::ReadLine(file));
            if (!(in >> t.tm_year >> t.tm_mon >> t.tm_mday >> t.tm_hour >> t.tm_min >> t.tm_sec >>
                  t.tm_wday >> t.tm_yday >> t.tm_isdst)) {
                errno = EINVAL;  // a clock that was never set
                return -1;
            }
            memcpy(arg, &t, sizeof t);
            return 0;
        }
        if (request == VELTO_SIM_RTC_SET_TIME) {
            memcpy(&t, arg, sizeof t);
            if (t.tm_mon < 0 || t.tm_mon > 11 || t.tm_mday < 1 || t.tm_mday > 31 || t.tm_hour < 0 ||
                t.tm_hour > 23 || t.tm_min < 0 || t.tm_min > 59 || t.tm_sec < 0 || t.tm_sec > 59) {
                errno = EINVAL;
                return -1;
            }
            char line[128];
            snprintf(line, sizeof line, "%d %d %d %d %d %d %d %d %d\n", t.tm_year, t.tm_mon,
                     t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_wday, t.tm_yday, t.tm_isdst);
            return VeltoSim::WriteText(file, line) ? 0 : -1;
        }
        errno = ENOTTY;
        return -1;
    }
};

class CWatchdogHandle : public CVeltoSimHandle {
public:
    int Ioctl(unsigned long request, void* arg) override {
        std::string file = CVeltoSimBoard::GetInstance().SimFile("watchdog");
        if (request == VELTO_SIM_WDIOC_KEEPALIVE) {
            long long n = VeltoSim::ReadNumber(file, 0);
            VeltoSim::WriteText(file, std::to_string(n + 1) + "\n");
            return 0;
        }
        if (request == VELTO_SIM_WDIOC_SETOPTIONS) {
            return 0;
        }
        errno = ENOTTY;
        return -1;
    }
};

template <class Handle>
class CSimpleDevice : public CVeltoSimDevice {
public:
    std::unique_ptr<CVeltoSimHandle> Open(int flags, int* err) override {
        return std::make_unique<Handle>();
    }
};

}  // namespace

std::shared_ptr<CVeltoSimDevice> VeltoSimCreateOtgDevice() {
    return std::make_shared<CSimpleDevice<COtgHandle>>();
}

std::shared_ptr<CVeltoSimDevice> VeltoSimCreateRtcDevice() {
    return std::make_shared<CSimpleDevice<CRtcHandle>>();
}

std::shared_ptr<CVeltoSimDevice> VeltoSimCreateWatchdogDevice() {
    return std::make_shared<CSimpleDevice<CWatchdogHandle>>();
}
