// Board settings for fuzz targets on the simulated board.
#pragma once

#include "sim/sim_board.h"

namespace VeltoFuzz {

// The firmware's sleeps cost no time and its syncs no disk writes.
inline void FastBoard() {
    CVeltoSimBoard::GetInstance().SetInstantSleeps(true);
    CVeltoSimBoard::GetInstance().SetSkipSyncs(true);
}

}  // namespace VeltoFuzz
