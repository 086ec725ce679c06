#include "toolkit/tk_jpeg_head.h"

#include <string.h>

namespace VeltoTk {

namespace {

// A TIFF structure in a byte order of its own; offsets count from its header.
class CTiff {
public:
    CTiff(const uint8_t* p, size_t size, bool little) : m_p(p), m_size(size), m_little(little) {}
    bool Has(uint64_t at, uint64_t n) const { return at <= m_size && n <= m_size - at; }
    uint16_t U16(size_t at) const {
        return m_little ? uint16_t(m_p[at] | m_p[at + 1] << 8)
                        : uint16_t(m_p[at] << 8 | m_p[at + 1]);
    }
    uint32_t U32(size_t at) const {
        uint32_t a = U16(at), b = U16(at + 2);
        return m_little ? (b << 16 | a) : (a << 16 | b);
    }
    size_t Size() const { return m_size; }

private:
    const uint8_t* m_p;
    size_t m_size;
    bool m_little;
};

enum : uint16_t { kShort = 3, kLong = 4 };

// The offset of the directory after the one at ifd (0 for none), or false
// when the directory does not fit in the block.
bool NextIfd(const CTiff& t, uint32_t ifd, uint32_t* next) {
    if (!t.Has(ifd, 2)) {
        return false;
    }
    uint32_t entries = t.U16(ifd);
    uint64_t end = uint64_t(ifd) + 2 + 12ull * entries;
    if (!t.Has(end, 4)) {
        return false;
    }
    *next = t.U32(size_t(end));
    return true;
}

// A SHORT or LONG value of count 1 held in the entry itself.
bool ScalarOf(const CTiff& t, size_t entry, uint32_t* value) {
    uint16_t type = t.U16(entry + 2);
    if (t.U32(entry + 4) != 1) {
        return false;
    }
    if (type == kShort) {
        *value = t.U16(entry + 8);
        return true;
    }
    if (type == kLong) {
        *value = t.U32(entry + 8);
        return true;
    }
    return false;
}

// The preview's span within the TIFF structure at tiff (size bytes).
bool FindThumbnail(const uint8_t* tiff, size_t size, size_t* offset, size_t* length) {
    if (size < 8) {
        return false;
    }
    bool little;
    if (memcmp(tiff, "II", 2) == 0) {
        little = true;
    } else if (memcmp(tiff, "MM", 2) == 0) {
        little = false;
    } else {
        return false;
    }
    CTiff t(tiff, size, little);
    if (t.U16(2) != 42) {
        return false;
    }
    uint32_t ifd0 = t.U32(4), ifd1 = 0;
    // Only one step is taken along the chain, so a chain that loops back
    // costs nothing; a second directory that is the first is no preview.
    if (!NextIfd(t, ifd0, &ifd1) || ifd1 == 0 || ifd1 == ifd0) {
        return false;
    }
    uint32_t dummy;
    if (!NextIfd(t, ifd1, &dummy)) {
        return false;
    }
    uint32_t entries = t.U16(ifd1);
    uint32_t compression = 0, at = 0, len = 0;
    for (uint32_t i = 0; i < entries; ++i) {
        size_t e = size_t(ifd1) + 2 + 12u * i;
        uint32_t v;
        if (!ScalarOf(t, e, &v)) {
            continue;
        }
        switch (t.U16(e)) {
            case 0x0103:
                compression = v;
                break;  // Compression
            case 0x0201:
                at = v;
                break;  // JPEGInterchangeFormat
            case 0x0202:
                len = v;
                break;  // JPEGInterchangeFormatLength
            default:
                break;
        }
    }
    // 6: a JPEG file, which starts with SOI and another marker.
    if (compression != 6 || len < 4 || at < 8 || !t.Has(at, len) || tiff[at] != 0xFF ||
        tiff[at + 1] != 0xD8 || tiff[at + 2] != 0xFF) {
        return false;
    }
    *offset = at;
    *length = len;
    return true;
}

bool IsSof(uint8_t m) {
    // SOF0..SOF15 except DHT (C4), JPG (C8) and DAC (CC).
    return m >= 0xC0 && m <= 0xCF && m != 0xC4 && m != 0xC8 && m != 0xCC;
}

}  // namespace

JpegHead ReadJpegHead(const uint8_t* data, size_t size) {
    JpegHead head;
    if (!data || size < 4 || data[0] != 0xFF || data[1] != 0xD8) {
        return head;
    }
    bool exifSeen = false;
    size_t pos = 2;
    // Each step moves past at least one byte, so the walk ends.
    while (pos + 1 < size) {
        if (data[pos] != 0xFF) {
            break;  // not a marker: damaged, or past what the walk understands
        }
        uint8_t m = data[pos + 1];
        if (m == 0xFF) {
            ++pos;  // fill byte
            continue;
        }
        if (m == 0x01 || (m >= 0xD0 && m <= 0xD7)) {
            pos += 2;  // markers without a segment
            continue;
        }
        if (m == 0xDA || m == 0xD9 || m == 0xD8 || pos + 4 > size) {
            break;  // the scan, the end, or a segment cut off
        }
        size_t len = size_t(data[pos + 2]) << 8 | data[pos + 3];
        if (len < 2 || len > size - pos - 2) {
            break;
        }
        const uint8_t* seg = data + pos + 4;
        size_t segSize = len - 2;
        if (m == 0xE1 && !exifSeen && segSize >= 6 && memcmp(seg, "Exif\0\0", 6) == 0) {
            // Only the first EXIF block counts, as with other readers.
            exifSeen = true;
            size_t off = 0, n = 0;
            if (FindThumbnail(seg + 6, segSize - 6, &off, &n)) {
                head.thumbOffset = size_t(seg + 6 - data) + off;
                head.thumbLength = n;
            }
        } else if (IsSof(m) && segSize >= 5) {
            head.height = seg[1] << 8 | seg[2];
            head.width = seg[3] << 8 | seg[4];
            break;  // the EXIF block comes before the frame
        }
        pos += 2 + len;
    }
    return head;
}

}  // namespace VeltoTk
