#include <errno.h>
#include <fcntl.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "media/velto_avi.h"
#include "media/velto_avi_internal.h"
#include "platform/velto_board.h"

using namespace VeltoAvi;

namespace {

constexpr uint32_t kScale = 333333;
constexpr int kIndexStep = 4096;  // records per growth of the index
// Chunks up to this size are copied together with their header for a
// single write; a camera frame is 153,600 bytes.
constexpr uint32_t kMaxChunkCopy = 4u << 20;
constexpr uint32_t kProvisionalSize = AVI_MAX_LEN - AVI_HEADERBYTES + 4;
// Synchronous data writes; 010000 octal on the board's ABI.
constexpr int kSyncFlag = O_DSYNC;
// Clusters reserved ahead of the data at a time: about 27 camera frames.
constexpr uint32_t kReserveStep = 4u << 20;

// The header area as a sequence of little-endian fields.
class CHeaderWriter {
public:
    explicit CHeaderWriter(unsigned char* buf) : m_p(buf) {}
    void Tag(const char* t) {
        memcpy(m_p, t, 4);
        m_p += 4;
    }
    void U32(uint32_t v) {
        Put32(m_p, v);
        m_p += 4;
    }
    void U16(uint16_t v) {
        Put16(m_p, v);
        m_p += 2;
    }
    void Zero(size_t n) {
        memset(m_p, 0, n);
        m_p += n;
    }
    void Code(const char* c) {
        // The four-character code as stored; "RGB" was stored as zeros.
        memcpy(m_p, c, 4);
        m_p += 4;
    }

private:
    unsigned char* m_p;
};

// Builds the 2,048-byte header. final selects the values of a properly
// closed file; a provisional header (written while recording) carries the
// largest sizes so a file cut off by a power loss still parses.
void BuildHeader(const avi_t* avi, unsigned char* hdr, bool final, bool indexWritten,
                 uint32_t moviEnd) {
    uint32_t usPerFrame = 0, rate = 0;
    if (avi->fps >= 0.001) {
        usPerFrame = uint32_t(lround(1000000.0 / avi->fps));
        rate = uint32_t(llround(avi->fps * kScale));
    }
    uint32_t frameBytes4 = uint32_t(avi->width) * uint32_t(avi->height) * 4;
    uint32_t flags =
        (final ? 0x0800 : 0x0100) | (indexWritten ? 0x10 : 0) | (avi->must_use_index ? 0x20 : 0);

    CHeaderWriter w(hdr);
    w.Tag("RIFF");
    w.U32(final ? avi->pos - 8 : kProvisionalSize);
    w.Tag("AVI ");
    w.Tag("LIST");
    w.U32(192);
    w.Tag("hdrl");
    w.Tag("avih");
    w.U32(56);
    w.U32(usPerFrame);
    w.U32(final ? 10000000 : 0);  // max bytes per second
    w.U32(final ? 512 : 0);       // padding granularity
    w.U32(flags);
    w.U32(final ? uint32_t(avi->video_frames) : 0);
    w.U32(0);  // initial frames
    w.U32(uint32_t(avi->anum + 1));
    w.U32(final ? frameBytes4 : 0);  // suggested buffer size
    w.U32(uint32_t(avi->width));
    w.U32(uint32_t(avi->height));
    w.Zero(16);

    w.Tag("LIST");
    w.U32(116);
    w.Tag("strl");
    w.Tag("strh");
    w.U32(56);
    w.Tag("vids");
    w.Code(avi->compressor);
    w.U32(0);  // flags
    w.U32(0);  // priority and language
    w.U32(0);  // initial frames
    w.U32(kScale);
    w.U32(rate);
    w.U32(0);  // start
    w.U32(final ? uint32_t(avi->video_frames) : 0);
    w.U32(final ? frameBytes4 : 0);
    w.U32(final ? 0 : 0xFFFFFFFFu);  // quality
    w.U32(0);                        // sample size
    w.Zero(8);                       // frame rectangle

    w.Tag("strf");
    w.U32(40);
    w.U32(40);
    w.U32(uint32_t(avi->width));
    w.U32(uint32_t(avi->height));
    w.U16(1);
    w.U16(final ? 16 : 24);
    w.Code(avi->compressor);
    w.U32(uint32_t(avi->width) * uint32_t(avi->height) * 3);
    w.Zero(16);

    // Filler up to the movi list, which ends the header area.
    w.Tag("JUNK");
    w.U32(AVI_HEADERBYTES - 212 - 8 - 12);
    w.Zero(AVI_HEADERBYTES - 212 - 8 - 12);
    w.Tag("LIST");
    w.U32(final ? moviEnd - AVI_HEADERBYTES + 4 : kProvisionalSize);
    w.Tag("movi");
}

bool WriteHeaderAt0(avi_t* avi, const unsigned char* hdr) {
    return Board().Lseek(avi->fdes, 0, SEEK_SET) == 0 &&
           WriteAll(avi->fdes, hdr, AVI_HEADERBYTES) == size_t(AVI_HEADERBYTES);
}

// Writes one chunk (id, length, data, pad byte) at the current position. On a
// synchronous file every write waits for the medium, so the chunk goes out
// in one write; without memory for that, in three.
bool WriteChunk(avi_t* avi, const char* id, const char* data, uint32_t length) {
    uint32_t total = 8 + uint32_t(Padded(length));
    if (total > avi->chunk_buf_size && total <= kMaxChunkCopy) {
        void* grown = realloc(avi->chunk_buf, total);
        if (grown) {
            avi->chunk_buf = static_cast<char*>(grown);
            avi->chunk_buf_size = total;
        }
    }
    unsigned char head[8];
    memcpy(head, id, 4);
    Put32(head + 4, length);
    if (total <= avi->chunk_buf_size) {
        memcpy(avi->chunk_buf, head, 8);
        if (length) {
            memcpy(avi->chunk_buf + 8, data, length);
        }
        if (length & 1) {
            avi->chunk_buf[total - 1] = 0;
        }
        return WriteAll(avi->fdes, avi->chunk_buf, total) == total;
    }
    static const char kPad = 0;
    return WriteAll(avi->fdes, head, 8) == 8 &&
           (length == 0 || WriteAll(avi->fdes, data, length) == length) &&
           ((length & 1) == 0 || WriteAll(avi->fdes, &kPad, 1) == 1);
}

// FAT writes a grown file's new size into its directory entry before the
// table that chains the new clusters: a power cut between the two leaves a
// size beyond the chain, and the kernel turns the medium read-only the first
// time something (the browser) reads past it. Clusters reserved ahead of the
// data, and on the medium before a size can reach them, keep every size
// inside the chain. Where nothing can be reserved (an older kernel, a full
// medium) the file grows as before.
void Reserve(avi_t* avi, uint32_t end) {
    if (avi->reserved_end == 0 || end <= avi->reserved_end) {
        return;
    }
    uint64_t want = uint64_t(end) + kReserveStep;
    uint32_t to = want > AVI_MAX_LEN ? uint32_t(AVI_MAX_LEN) : uint32_t(want);
    int err = errno;
    if (Board().Fallocate(avi->fdes, FALLOC_FL_KEEP_SIZE, off_t(avi->reserved_end),
                          off_t(to - avi->reserved_end)) != 0 ||
        Board().Fsync(avi->fdes) != 0) {
        avi->reserved_end = 0;
    } else {
        avi->reserved_end = to;
    }
    errno = err;
}

// Appends one chunk and its index record. On a
// write error the file position and the index are as before the call, so
// the next chunk overwrites the partial one and the index never names it.
int avi_write_data(avi_t* avi, const char* data, uint32_t length, const char* id, int keyframe) {
    if (uint64_t(avi->pos) + 16ull * uint64_t(avi->n_idx) + length + 32 > AVI_MAX_LEN) {
        return Fail(AVI_ERR_SIZELIM);
    }
    if (avi->n_idx >= avi->max_idx) {
        void* grown = realloc(avi->idx, size_t(avi->max_idx + kIndexStep) * 16);
        if (!grown) {
            return Fail(AVI_ERR_NO_MEM);
        }
        avi->idx = static_cast<unsigned char(*)[16]>(grown);
        avi->max_idx += kIndexStep;
    }

    Reserve(avi, avi->pos + 8 + uint32_t(Padded(length)));
    if (!WriteChunk(avi, id, data, length)) {
        int err = errno;
        Board().Lseek(avi->fdes, off_t(avi->pos), SEEK_SET);
        errno = err;
        return Fail(AVI_ERR_WRITE);
    }

    unsigned char* rec = avi->idx[avi->n_idx++];
    memcpy(rec, id, 4);
    Put32(rec + 4, keyframe ? AVI_KEYFRAME : 0);
    Put32(rec + 8, avi->pos);
    Put32(rec + 12, length);
    if (length > avi->max_len) {
        avi->max_len = length;
    }
    avi->pos += 8 + uint32_t(Padded(length));
    return 0;
}

}  // namespace

avi_t* AVI_open_output_file(const char* filename) {
    avi_t* avi = static_cast<avi_t*>(calloc(1, sizeof(avi_t)));
    if (!avi) {
        Fail(AVI_ERR_NO_MEM);
        return nullptr;
    }
    avi->fdes = Board().Open(filename, O_RDWR | O_CREAT | O_TRUNC | kSyncFlag, 0644);
    if (avi->fdes < 0) {
        Fail(AVI_ERR_OPEN);
        free(avi);
        return nullptr;
    }
    static const unsigned char kZeros[AVI_HEADERBYTES] = {};
    if (WriteAll(avi->fdes, kZeros, AVI_HEADERBYTES) != size_t(AVI_HEADERBYTES)) {
        Fail(AVI_ERR_WRITE);
        Board().Close(avi->fdes);
        free(avi);
        return nullptr;
    }
    avi->pos = AVI_HEADERBYTES;
    avi->reserved_end = AVI_HEADERBYTES;
    avi->mode = 0;
    avi->anum = 0;
    avi->aptr = 0;
    return avi;
}

int AVI_set_video(avi_t* avi, int width, int height, double fps, const char* compressor) {
    if (!avi) {
        return Fail(AVI_ERR_NOT_PERM);
    }
    if (avi->mode == 1) {
        return 0;
    }
    // The header stores width x height x 4 and fps x 333,333 in 32 bits.
    if (width < 0 || height < 0 || uint64_t(width) * uint64_t(height) * 4 > 0xFFFFFFFFull ||
        !(fps >= 0 && fps < 10000)) {
        errno = EINVAL;
        return Fail(AVI_ERR_WRITE);
    }
    avi->width = width;
    avi->height = height;
    avi->fps = fps;
    memset(avi->compressor, 0, sizeof(avi->compressor));
    if (compressor && strncmp(compressor, "RGB", 3) != 0) {
        strncpy(avi->compressor, compressor, 4);
    }
    memcpy(avi->compressor2, avi->compressor, sizeof(avi->compressor2));

    unsigned char hdr[AVI_HEADERBYTES];
    BuildHeader(avi, hdr, false, true, 0);
    bool written = WriteHeaderAt0(avi, hdr);
    int err = errno;
    bool back = Board().Lseek(avi->fdes, off_t(avi->pos), SEEK_SET) == off_t(avi->pos);
    if (!written || !back) {
        if (!written) {
            errno = err;
        }
        return Fail(AVI_ERR_WRITE);
    }
    return 0;
}

int AVI_write_frame(avi_t* avi, char* data, long bytes, int keyframe) {
    if (!avi || avi->mode == 1) {
        return Fail(AVI_ERR_NOT_PERM);
    }
    if (bytes < 0 || (bytes > 0 && !data) || uint64_t(bytes) > AVI_MAX_LEN) {
        errno = EINVAL;
        return Fail(AVI_ERR_WRITE);
    }
    uint32_t pos = avi->pos;
    if (avi_write_data(avi, data, uint32_t(bytes), "00db", keyframe) != 0) {
        return -1;
    }
    avi->last_pos = pos;
    avi->last_len = uint32_t(bytes);
    avi->video_frames++;
    return 0;
}

int VeltoAvi::CloseOutput(avi_t* avi) {
    uint32_t moviEnd = avi->pos;
    bool indexWritten = true;
    {
        unsigned char head[8];
        memcpy(head, "idx1", 4);
        uint32_t len = uint32_t(avi->n_idx) * 16;
        Put32(head + 4, len);
        if (WriteAll(avi->fdes, head, 8) != 8 ||
            (len && WriteAll(avi->fdes, avi->idx, len) != len)) {
            Fail(AVI_ERR_WRITE_INDEX);
            indexWritten = false;
        } else {
            avi->pos += 8 + len;
        }
    }

    unsigned char hdr[AVI_HEADERBYTES];
    BuildHeader(avi, hdr, true, indexWritten, moviEnd);
    if (!WriteHeaderAt0(avi, hdr) || Board().Ftruncate(avi->fdes, off_t(avi->pos)) != 0) {
        return Fail(AVI_ERR_CLOSE);
    }
    return indexWritten ? 0 : -1;
}
