// YUYV 4:2:2 to RGB conversions. Input rows are packed Y0 U Y1 V groups, two
// pixels per group sharing U and V, rows without gaps. The arithmetic goes
// through lookup tables built once by initLut(); no floating point runs per
// pixel.
#pragma once

#include <stddef.h>
#include <stdint.h>

// The colour tables, 256 entries each, indexed by the raw U or V byte; null
// until initLut() and after freeLut().
extern int32_t* LutRv;  // red from V
extern int32_t* LutBu;  // blue from U
extern int32_t* LutGu;  // green from U
extern int32_t* LutGv;  // green from V

// Builds the tables (once; later calls keep them). False when memory runs
// out, in which case no table exists.
bool initLut();
// Frees the tables; the pointers become null. Safe to call twice. Must not
// run while another thread converts.
void freeLut();

// One channel from raw bytes, clamped to 0..255. The tables must exist.
int R_FROMYV(int y, int v);
int G_FROMYUV(int y, int u, int v);
int B_FROMYU(int y, int u);

// YUYV to RGB24 (R, G, B per pixel). Returns 2, or -1 (nothing written) when
// the tables do not exist or a pointer is null.
int Pyuv422torgb24(unsigned char* in, unsigned char* out, unsigned width, unsigned height);
// YUYV to 32 bits per pixel in the order B, G, R, 255. Returns 2, or -1 as
// above.
int Pyuv422torgb32(unsigned char* in, unsigned char* out, unsigned width, unsigned height);

namespace Velto {

// The kernels behind the two conversions above, without their log lines:
// pixels is the number of pixels (an odd last pixel is ignored). False when
// the tables do not exist.
bool ConvertYUYVToRGB24(const unsigned char* in, unsigned char* out, size_t pixels);
bool ConvertYUYVToBGRA32(const unsigned char* in, unsigned char* out, size_t pixels);

}  // namespace Velto
