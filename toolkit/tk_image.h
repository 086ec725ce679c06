// Limits of the toolkit's image decoders (GdLoadImageFrom...).
#pragma once

namespace VeltoTk {

// Pictures wider or taller than this many pixels are refused before they
// are decoded. 2048 unless set: the device's own pictures are 640 x 480, a
// side of 2048 bounds one decode at 16 MiB, which the board can spare, where
// a crafted file of 8192 x 8192 would ask for 256 MiB. Fuzzing sets less,
// so that an input costs a small decode; the checks and loops are the same.
// Set it before any decoding starts.
void SetImageSideLimit(int nPixels);
int ImageSideLimit();

}  // namespace VeltoTk
