// The toolkit clock: real monotonic milliseconds, or virtual time that tests
// drive.
#pragma once

#include <stdint.h>

namespace VeltoTk {

uint64_t ClockNow();
bool ClockVirtual();
bool ClockAutoAdvance();
// Virtual mode: jumps to t when t is later than now.
void ClockJumpTo(uint64_t t);

}  // namespace VeltoTk
