#include "chargeled/velto_chargeled_monitor.h"

#include <stdio.h>

#include "platform/velto_SC_utils.h"

namespace {

const unsigned char kOn = 255;
const unsigned char kOff = 0;

}  // namespace

void CVeltoChargeLedMonitor::Pass() {
    if (!Velto::IsACOnline()) {
        Velto::SetLEDValue("Red_LED", kOff);
        Velto::SetLEDValue("Green_LED", kOff);
        m_nPlugPasses = 0;
        if (m_curShown != SHOWN_IDLE) {
            printf("Change to idle\n");
            m_curShown = SHOWN_IDLE;
        }
        return;
    }
    if (m_nPlugPasses < 3) {
        ++m_nPlugPasses;
        // The supply has just come: its readings settle first.
        if (m_nPlugPasses == 1) {
            return;
        }
    }
    if (Velto::GetBatteryStatus() == Velto::BATT_NOCHARGING) {
        Velto::SetLEDValue("Green_LED", kOn);
        Velto::SetLEDValue("Red_LED", kOff);
        if (m_curShown != SHOWN_CHARGED) {
            printf("Change to uncharge\n");
            m_curShown = SHOWN_CHARGED;
        }
    } else {
        Velto::SetLEDValue("Red_LED", kOn);
        Velto::SetLEDValue("Green_LED", kOff);
        if (m_curShown != SHOWN_CHARGING) {
            printf("Change to charge\n");
            m_curShown = SHOWN_CHARGING;
        }
    }
}
