#include "media/velto_exif.h"

#include <stdio.h>
#include <string.h>

namespace {

enum : uint16_t { kAscii = 2, kShort = 3, kLong = 4, kRational = 5, kUndefined = 7 };

// Little-endian TIFF structure; offsets count from its header.
class CTiffWriter {
public:
    void U16(uint16_t v) {
        m_bytes.push_back(uint8_t(v));
        m_bytes.push_back(uint8_t(v >> 8));
    }
    void U32(uint32_t v) {
        U16(uint16_t(v));
        U16(uint16_t(v >> 16));
    }
    // One 12-byte directory entry whose value (or value offset) is value.
    void Entry(uint16_t tag, uint16_t type, uint32_t count, uint32_t value) {
        U16(tag);
        U16(type);
        U32(count);
        if (type == kShort && count == 1) {
            U16(uint16_t(value));
            U16(0);
        } else {
            U32(value);
        }
    }
    void Bytes(const void* p, size_t n) {
        const uint8_t* b = static_cast<const uint8_t*>(p);
        m_bytes.insert(m_bytes.end(), b, b + n);
    }
    uint32_t Size() const { return uint32_t(m_bytes.size()); }
    std::vector<uint8_t>& Data() { return m_bytes; }

private:
    std::vector<uint8_t> m_bytes;
};

const uint32_t kDateBytes = 20;  // "YYYY:MM:DD hh:mm:ss" and its terminator
const uint16_t kIfd0Entries = 2;
const uint16_t kExifEntries = 6;
const uint16_t kThumbEntries = 6;
const uint32_t kThumbRationals = 16;  // XResolution and YResolution, 72/1 each

uint32_t IfdSize(uint16_t entries) {
    return 2 + 12u * entries + 4;
}

}  // namespace

std::vector<uint8_t> VeltoBuildExifBlock(const struct tm& when, uint32_t width, uint32_t height,
                                         const uint8_t* thumb, size_t thumbLength) {
    char date[80];
    snprintf(date, sizeof date, "%04d:%02d:%02d %02d:%02d:%02d", when.tm_year + 1900,
             when.tm_mon + 1, when.tm_mday, when.tm_hour, when.tm_min, when.tm_sec);
    date[kDateBytes - 1] = '\0';

    static const uint8_t kHeader[6] = {'E', 'x', 'i', 'f', 0, 0};
    const uint32_t ifd0 = 8;
    const uint32_t exifIfd = ifd0 + IfdSize(kIfd0Entries);
    const uint32_t dates = exifIfd + IfdSize(kExifEntries);
    const uint32_t ifd1 = dates + 3 * kDateBytes;
    const uint32_t rationals = ifd1 + IfdSize(kThumbEntries);
    const uint32_t thumbAt = rationals + kThumbRationals;
    // A thumbnail that does not fit is better left out than the block cut.
    bool withThumb =
        thumb && thumbLength > 0 && sizeof kHeader + thumbAt + thumbLength <= kVeltoMaxExifBlock;

    CTiffWriter w;
    w.Bytes("II", 2);
    w.U16(42);
    w.U32(ifd0);

    w.U16(kIfd0Entries);
    w.Entry(0x0132, kAscii, kDateBytes, dates);  // DateTime
    w.Entry(0x8769, kLong, 1, exifIfd);          // the Exif directory
    w.U32(withThumb ? ifd1 : 0);                 // the thumbnail's directory

    w.U16(kExifEntries);
    w.Entry(0x9000, kUndefined, 4, 0);  // ExifVersion, value written below
    memcpy(&w.Data()[w.Size() - 4], "0230", 4);
    w.Entry(0x9003, kAscii, kDateBytes, dates + kDateBytes);      // DateTimeOriginal
    w.Entry(0x9004, kAscii, kDateBytes, dates + 2 * kDateBytes);  // DateTimeDigitized
    w.Entry(0xA001, kShort, 1, 1);                                // ColorSpace: sRGB
    w.Entry(0xA002, kLong, 1, width);                             // PixelXDimension
    w.Entry(0xA003, kLong, 1, height);                            // PixelYDimension
    w.U32(0);

    for (int i = 0; i < 3; ++i) {
        w.Bytes(date, kDateBytes);
    }

    if (withThumb) {
        w.U16(kThumbEntries);
        w.Entry(0x0103, kShort, 1, 6);                     // Compression: JPEG
        w.Entry(0x011A, kRational, 1, rationals);          // XResolution
        w.Entry(0x011B, kRational, 1, rationals + 8);      // YResolution
        w.Entry(0x0128, kShort, 1, 2);                     // ResolutionUnit: inch
        w.Entry(0x0201, kLong, 1, thumbAt);                // JPEGInterchangeFormat
        w.Entry(0x0202, kLong, 1, uint32_t(thumbLength));  // JPEGInterchangeFormatLength
        w.U32(0);
        for (int i = 0; i < 2; ++i) {
            w.U32(72);
            w.U32(1);
        }
        w.Bytes(thumb, thumbLength);
    }

    std::vector<uint8_t> block(sizeof kHeader + w.Size());
    memcpy(block.data(), kHeader, sizeof kHeader);
    memcpy(block.data() + sizeof kHeader, w.Data().data(), w.Size());
    return block;
}
