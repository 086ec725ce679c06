// The small EXIF block every picture carries, so that photo managers on a PC
// sort the pictures by when they were taken: the date and time (DateTime,
// DateTimeOriginal, DateTimeDigitized) and the picture size. Written as an
// APP1 marker after the JFIF APP0 marker, so the file stays a JFIF file.
#pragma once

#include <stdint.h>
#include <time.h>

#include <vector>

// The APP1 payload ("Exif\0\0" and a little-endian TIFF structure) for a
// picture of width x height taken at the local time when.
std::vector<uint8_t> VeltoBuildExifBlock(const struct tm& when, uint32_t width, uint32_t height);
