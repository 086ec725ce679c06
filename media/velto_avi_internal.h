// Helpers shared by the AVI writer and reader; not part of the module's
// interface.
#pragma once

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "media/velto_avi.h"

namespace VeltoAvi {

// Sets AVI_errno and keeps the system error of the moment for
// AVI_strerror. Returns -1 for "return Fail(...)".
int Fail(int code);

// Whole-buffer I/O through the board seam, retrying short transfers and
// interrupted calls. Bytes transferred: less than len only at end of file
// (reading) or on an error (errno set).
size_t WriteAll(int fd, const void* buf, size_t len);
size_t ReadAll(int fd, void* buf, size_t len);
// Positions fd at pos and reads len bytes; false unless all arrived.
bool ReadAt(int fd, int64_t pos, void* buf, size_t len);

inline void Put32(unsigned char* p, uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}
inline void Put16(unsigned char* p, uint16_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline uint32_t Get32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
inline uint16_t Get16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
inline bool TagIs(const unsigned char* p, const char* tag) {
    return memcmp(p, tag, 4) == 0;
}

// Writes the index and the final header of a file opened for writing (run
// by AVI_close before the descriptor is closed). 0 or -1.
int CloseOutput(avi_t* avi);

// Chunk sizes on disk are padded to even.
inline uint64_t Padded(uint64_t len) {
    return len + (len & 1);
}

}  // namespace VeltoAvi
