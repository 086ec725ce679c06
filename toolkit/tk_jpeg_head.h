// What the head of a JPEG file tells before any of its picture is decoded:
// the picture's size and the preview a camera embeds in its EXIF block.
// Reads only the bytes it is given, which may be the first part of a file.
#pragma once

#include <stddef.h>
#include <stdint.h>

namespace VeltoTk {

struct JpegHead {
    // The frame's size from its SOFn marker; 0 when the marker is not among
    // the bytes given.
    int width = 0;
    int height = 0;
    // The EXIF preview (JPEGInterchangeFormat of the second directory) as a
    // span of the bytes given; length 0 when there is none, or when anything
    // on the way to it does not add up.
    size_t thumbOffset = 0;
    size_t thumbLength = 0;
};

// Walks the markers from SOI to the first SOS. Every offset and count in the
// EXIF block is checked against the block, so any bytes are safe to give.
JpegHead ReadJpegHead(const uint8_t* data, size_t size);

}  // namespace VeltoTk
