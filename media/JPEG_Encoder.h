// Snapshot encoder: one packed YUYV 4:2:2 camera frame to a baseline JPEG
// file with the current date and time burned in.
#pragma once

#include <stdio.h>

// Converts the frame to RGB, stamps the date and time near the bottom and
// compresses it into file (opened and closed by the caller) at the given
// quality with baseline tables. Returns 0, or -1 when memory runs out (nothing
// written), the colour tables are missing, or the JPEG library fails (for
// instance on a write error; the partial file is left to the caller).
int encode_yuv422_to_rgb_jpeg(FILE* file, unsigned char* yuyv, int width, int height, int quality);

// The same for a frame of known length: refuses (-1, with a message, nothing
// written) a frame whose length is not width x height x 2 bytes, so a short
// capture is never read past its end.
int encode_yuyv_frame_to_jpeg(FILE* file, unsigned char* yuyv, long length, int width, int height,
                              int quality);
