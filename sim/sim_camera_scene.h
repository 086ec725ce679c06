// The picture of the simulated camera head: a moving test scene with the
// frame number written into a band of black and white cells along the top, so
// that tests can read the number back from any copy of the frame and count
// dropped or repeated frames.
#pragma once

#include <stdint.h>

struct VeltoSimSceneLook {
    int brightness;         // added to the luma of the scene (not the code band)
    int saturationPercent;  // chroma of the scene in percent (0 = grey)
};

// Draws frame number frameNo (24 bits are kept) as YUYV 4:2:2 into yuyv,
// which holds width * height * 2 bytes. width must be even and >= 64,
// height >= 16; smaller pictures are filled grey without a code.
void VeltoSimDrawScene(uint8_t* yuyv, int width, int height, uint32_t frameNo,
                       const VeltoSimSceneLook& look);

// The frame number coded in a luma plane whose pixel (x, y) is at
// luma[y * rowStride + x * pixelStride]; -1 when the band is not a valid code
// (a torn, blank or foreign picture).
long VeltoSimReadSceneNumber(const uint8_t* luma, int width, int height, int pixelStride,
                             int rowStride);
// The same for a YUYV picture.
long VeltoSimReadSceneNumberYUYV(const uint8_t* yuyv, int width, int height);
