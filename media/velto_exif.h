// The small EXIF block every picture carries, so that photo managers on a PC
// sort the pictures by when they were taken: the date and time (DateTime,
// DateTimeOriginal, DateTimeDigitized) and the picture size, and a small
// JPEG preview that the explorer shows instead of decoding the whole picture.
// Written as an APP1 marker after the JFIF APP0 marker, so the file stays a
// JFIF file.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <time.h>

#include <vector>

// The most an APP1 marker can carry: its 16-bit length counts itself.
constexpr size_t kVeltoMaxExifBlock = 65533;

// The APP1 payload ("Exif\0\0" and a little-endian TIFF structure) for a
// picture of width x height taken at the local time when. With a thumbnail
// (a baseline JPEG file of thumbLength bytes) the block gets a second
// directory pointing at it; a thumbnail that would take the block past
// kVeltoMaxExifBlock is left out.
std::vector<uint8_t> VeltoBuildExifBlock(const struct tm& when, uint32_t width, uint32_t height,
                                         const uint8_t* thumb = nullptr, size_t thumbLength = 0);
