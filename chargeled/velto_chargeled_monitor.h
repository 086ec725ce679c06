// Shows the charging state on "Green_LED" and "Red_LED": red while charging,
// green when charged, both off without a supply.
#pragma once

#include <stdint.h>

class CVeltoChargeLedMonitor {
public:
    // One pass of the loop, run once a second. The first pass after the
    // supply comes online leaves the LEDs alone; messages are printed only
    // when the shown state changes, the LEDs are written on every pass.
    void Pass();

    enum ShownState : int8_t {
        SHOWN_NONE = -1,
        SHOWN_CHARGING = 0,
        SHOWN_CHARGED = 1,
        SHOWN_IDLE = 2,
    };
    int8_t Shown() const { return m_curShown; }

private:
    uint8_t m_nPlugPasses = 0;  // passes since the supply came online, up to 3
    int8_t m_curShown = SHOWN_NONE;
};
