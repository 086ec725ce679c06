// A windowed program's ties to the simulated board: the control channel and
// the overlay feed from the simulated PXP. On the board both are no-ops.
#pragma once

#include <stdint.h>

#ifdef VELTO_SIM
struct CVeltoSimOverlayBlend;
#endif

namespace VeltoTk {

void StartSimGlue();
void StopSimGlue();

#ifdef VELTO_SIM
// One picture of the simulated PXP, with the set-up it was made under, to
// the screen's overlay plane; a sink for the simulated framebuffer.
void SimOverlayToScreen(const uint32_t* px, int w, int h, int stride,
                        const CVeltoSimOverlayBlend& sim);
#endif

}  // namespace VeltoTk
