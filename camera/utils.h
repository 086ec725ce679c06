// Frame helpers of the camera path: the planar zoom crop for the display and
// the date/time stamp burned into snapshots. Input frames are packed YUYV
// 4:2:2 (Y0 U Y1 V per two pixels, rows without gaps).
#pragma once

#include <time.h>

// The time-stamp glyphs: index 0-9 for the digits, 10 for '-', 11 for ':'.
// Each is 24 x 38 pixels, 3 bytes per pixel (72 bytes a row), bottom row
// first; every byte is 0 (transparent) or 255 (white).
constexpr int kGlyphBytesPerRow = 72;
constexpr int kGlyphRows = 38;
constexpr int kGlyphBytes = kGlyphBytesPerRow * kGlyphRows;
extern const char* const Digital_Num_Array[12];

// Copies the centred dstW x dstH window of a width x height YUYV frame into
// out as planar 4:2:2: Y plane (dstW x dstH), then U and V planes of
// dstW x dstH / 2 bytes each, chroma stored as (byte - 128). Returns 2, or -1
// with nothing written when the window is larger than the frame or a pointer
// is null.
int YUYVtoYUV422PZoomoutCen(char* in, char* out, unsigned width, unsigned height, unsigned dstW,
                            unsigned dstH);

// Draws the current local date and time ("YYYY-MM-DD hh:mm:ss", white) into
// an RGB24 image: the text starts 532 pixels left of the right edge, its top
// 48 lines above the bottom (x 108..564, y 432..469 on 640 x 480). Glyphs that would not fit inside
// the image are left out. Returns 0.
int put_timestamp_to_rgb_matrix(unsigned char* rgb, unsigned width, unsigned height);
// The same for a given local time, so a caller can record the very time it
// stamped.
int put_timestamp_to_rgb_matrix_at(unsigned char* rgb, unsigned width, unsigned height,
                                   const struct tm& when);

// Draws one glyph with its top-left corner at (x, y) of an RGB24 image of the
// given width; zero glyph bytes leave the image as it is. Nothing happens when
// rgb or glyph is null. No clipping: the caller keeps the glyph inside.
void invert_flip_bimap_output(unsigned char* rgb, const char* glyph, int x, int y, unsigned width);
