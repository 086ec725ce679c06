// The simulated PXP's pictures to the screen's overlay plane with their
// blend, as the program's glue to the simulated board passes them on.
#pragma once

#include <stdint.h>

#include "sim/sim_framebuffer.h"
#include "toolkit/tk_host.h"

inline void VeltoTestOverlayToScreen(const uint32_t* px, int w, int h, int stride,
                                     const CVeltoSimOverlayBlend& sim) {
    MwOverlayBlend blend;
    blend.shown = sim.shown;
    blend.chromaKey = sim.chromaKey;
    blend.key = sim.key;
    blend.globalAlpha = sim.globalAlpha;
    blend.alpha = sim.alpha;
    blend.localAlpha = sim.localAlpha;
    blend.localInvAlpha = sim.localInvAlpha;
    MwSetOverlay(px, w, h, stride, blend);
}
