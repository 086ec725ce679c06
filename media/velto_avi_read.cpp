#include <ctype.h>
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "media/velto_avi.h"
#include "media/velto_avi_internal.h"
#include "platform/velto_board.h"

using namespace VeltoAvi;

namespace {

// Bounds on what a header may make us allocate. Real header lists are a few
// KiB; a largest recording holds under 28,000 frames of 320 x 240, so 128 Ki
// index records (2 MiB) leave room without letting a crafted file take the
// board's memory.
constexpr uint32_t kMaxHeaderList = 1u << 20;
constexpr int32_t kMaxIndexRecords = 128 << 10;
constexpr int kIndexStep = 4096;

// Chunk ids are four printable characters; anything else is damage, and
// walking on through it by its sizes could take forever on a large file.
bool IsChunkId(const unsigned char* p) {
    for (int i = 0; i < 4; i++) {
        if (p[i] < 0x20 || p[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

// Reads chunk headers while walking a file a page at a time: a file of many
// small chunks costs one read per page instead of one per chunk, and large
// chunks cost no more than the page the medium delivers anyway.
class CHeaderReader {
public:
    explicit CHeaderReader(int fd) : m_nFd(fd), m_nStart(0), m_nLen(0), m_block(4096) {}
    bool ReadAt(int64_t pos, unsigned char* buf, size_t len) {
        if (pos < m_nStart || pos + int64_t(len) > m_nStart + int64_t(m_nLen)) {
            if (!Fill(pos) || pos + int64_t(len) > m_nStart + int64_t(m_nLen)) {
                return false;
            }
        }
        memcpy(buf, m_block.data() + (pos - m_nStart), len);
        return true;
    }

private:
    bool Fill(int64_t pos) {
        m_nStart = pos;
        m_nLen = 0;
        if (Board().Lseek(m_nFd, off_t(pos), SEEK_SET) != off_t(pos)) {
            return false;
        }
        m_nLen = VeltoAvi::ReadAll(m_nFd, m_block.data(), m_block.size());
        return true;
    }

    int m_nFd;
    int64_t m_nStart;
    size_t m_nLen;
    std::vector<unsigned char> m_block;
};

bool SameTagNoCase(const unsigned char* p, const char* tag) {
    for (int i = 0; i < 4; i++) {
        if (toupper(p[i]) != toupper(static_cast<unsigned char>(tag[i]))) {
            return false;
        }
    }
    return true;
}

// Data chunk ids are "NNxy" with xy one of db, dc (video) or wb (audio).
bool IsDataChunk(const unsigned char* id) {
    int c = tolower(id[2]), d = tolower(id[3]);
    return (c == 'd' && (d == 'b' || d == 'c')) || (c == 'w' && d == 'b');
}

bool IsVideoRecord(const avi_t* avi, const unsigned char* rec) {
    return memcmp(rec, avi->video_tag, 3) == 0;
}

int64_t FileSize(int fd) {
    off_t end = Board().Lseek(fd, 0, SEEK_END);
    return end < 0 ? -1 : int64_t(end);
}

// "NNxy": two-digit stream number and the chunk kind.
void StreamTag(char* tag, int stream, const char* kind) {
    tag[0] = char('0' + (stream / 10) % 10);
    tag[1] = char('0' + stream % 10);
    tag[2] = kind[0];
    tag[3] = kind[1];
}

// Copies a header chunk's payload into a fresh allocation.
char* CopyOf(const unsigned char* p, uint32_t len) {
    char* c = static_cast<char*>(malloc(len ? len : 1));
    if (c) {
        memcpy(c, p, len);
    }
    return c;
}

// Reads the stream headers out of the header list (its payload after the
// list type, found at file offset base). 0 or -1 with the code set.
int ParseHeaderList(avi_t* avi, const unsigned char* h, uint32_t len, int64_t base) {
    int streams = 0;
    char lastType = 0;  // 'v' or 'a' for the strh just seen
    bool haveVideo = false;
    uint32_t i = 0;
    while (i + 8 <= len) {
        const unsigned char* id = h + i;
        uint32_t size = Get32(h + i + 4);
        if (TagIs(id, "LIST")) {
            i += 12;  // step into strl, odml, ...
            continue;
        }
        if (size > len - i - 8) {
            break;  // a sub-chunk cut short ends the header list
        }
        const unsigned char* d = h + i + 8;
        if (TagIs(id, "strh") && size >= 36) {
            lastType = 0;
            if (TagIs(d, "vids") && !haveVideo) {
                haveVideo = true;
                lastType = 'v';
                memcpy(avi->compressor, d + 4, 4);
                avi->compressor[4] = 0;
                uint32_t scale = Get32(d + 20), rate = Get32(d + 24);
                if (scale != 0) {
                    avi->fps = double(rate) / double(scale);
                }
                avi->stream_length = int32_t(Get32(d + 32));
                avi->video_frames = avi->stream_length;
                avi->video_strn = streams;
                avi->v_codech_off = base + i + 8 + 4;
            } else if (TagIs(d, "auds")) {
                if (avi->anum >= AVI_MAX_TRACKS) {
                    printf("error - only %d audio tracks supported\n", AVI_MAX_TRACKS);
                    errno = EINVAL;
                    return Fail(AVI_ERR_NO_AVI);
                }
                lastType = 'a';
                avi->track[avi->anum].audio_strn = streams;
                avi->track[avi->anum].a_codech_off = base + i + 8 + 4;
                avi->anum++;
            }
            streams++;
        } else if (TagIs(id, "strh")) {
            streams++;
            lastType = 0;
        } else if (TagIs(id, "strf") && lastType == 'v' && size >= 20) {
            avi->width = int32_t(Get32(d + 4));
            avi->height = int32_t(Get32(d + 8));
            memcpy(avi->compressor2, d + 16, 4);
            avi->compressor2[4] = 0;
            avi->v_codecf_off = base + i + 8 + 16;
            free(avi->bitmap_info_header);
            avi->bitmap_info_header = CopyOf(d, size);
            avi->bitmap_size = size;
            if (!avi->bitmap_info_header) {
                return Fail(AVI_ERR_NO_MEM);
            }
            lastType = 0;
        } else if (TagIs(id, "strf") && lastType == 'a' && size >= 16) {
            track_t& t = avi->track[avi->anum - 1];
            t.a_fmt = Get16(d);
            t.a_chans = Get16(d + 2);
            t.a_rate = int32_t(Get32(d + 4));
            t.mp3rate = int32_t(8 * Get32(d + 8) / 1000);
            t.a_bits = Get16(d + 14);
            t.a_codecf_off = base + i + 8;
            free(avi->wave_format_ex[avi->anum - 1]);
            avi->wave_format_ex[avi->anum - 1] = CopyOf(d, size);
            if (!avi->wave_format_ex[avi->anum - 1]) {
                return Fail(AVI_ERR_NO_MEM);
            }
            lastType = 0;
        }
        i += 8 + uint32_t(Padded(size) > len - i - 8 ? len - i - 8 : Padded(size));
    }
    if (!haveVideo) {
        errno = 0;
        return Fail(AVI_ERR_NO_VIDS);
    }
    // A frame size the system could never allocate or draw is refused here,
    // before any caller sizes a buffer from it.
    if (avi->width <= 0 || avi->height <= 0 || avi->width > AVI_MAX_DIMENSION ||
        avi->height > AVI_MAX_DIMENSION) {
        printf("Error: AVI video size %dx%d refused\n", avi->width, avi->height);
        return Fail(AVI_ERR_NO_VIDS);
    }
    StreamTag(avi->video_tag, avi->video_strn, "db");
    for (int j = 0; j < avi->anum; j++) {
        StreamTag(avi->track[j].audio_tag, avi->track[j].audio_strn, "wb");
    }
    return 0;
}

// Walks the top-level chunks: the header list, the movi list and idx1.
int ParseTopLevel(avi_t* avi, unsigned char** hdrl, uint32_t* hdrlLen, int64_t* hdrlAt) {
    unsigned char head[12];
    if (!ReadAt(avi->fdes, 0, head, 12)) {
        return Fail(avi->file_size >= 12 ? AVI_ERR_READ : AVI_ERR_NO_AVI);
    }
    if (!SameTagNoCase(head, "RIFF") || !SameTagNoCase(head + 8, "AVI ")) {
        errno = 0;
        return Fail(AVI_ERR_NO_AVI);
    }
    CHeaderReader reader(avi->fdes);
    int64_t at = 12;
    while (at + 8 <= avi->file_size) {
        unsigned char ch[12];
        if (!reader.ReadAt(at, ch, 8)) {
            return Fail(AVI_ERR_READ);
        }
        if (!IsChunkId(ch)) {
            break;
        }
        uint32_t size = Get32(ch + 4);
        int64_t payload = at + 8;
        bool fits = payload + int64_t(size) <= avi->file_size;
        if (SameTagNoCase(ch, "LIST") && size >= 4) {
            if (!reader.ReadAt(payload, ch + 8, 4)) {
                return Fail(AVI_ERR_READ);
            }
            if (SameTagNoCase(ch + 8, "hdrl") && !*hdrl) {
                if (!fits) {
                    errno = EINVAL;
                    return Fail(AVI_ERR_READ);
                }
                if (size - 4 > kMaxHeaderList) {
                    return Fail(AVI_ERR_NO_MEM);
                }
                *hdrlLen = size - 4;
                *hdrlAt = payload + 4;
                *hdrl = static_cast<unsigned char*>(malloc(*hdrlLen ? *hdrlLen : 1));
                if (!*hdrl) {
                    return Fail(AVI_ERR_NO_MEM);
                }
                if (!ReadAt(avi->fdes, payload + 4, *hdrl, *hdrlLen)) {
                    return Fail(AVI_ERR_READ);
                }
            } else if (SameTagNoCase(ch + 8, "movi") && avi->movi_start == 0) {
                avi->movi_start = payload + 4;
                avi->movi_size = size;
            }
        } else if (SameTagNoCase(ch, "idx1") && !avi->idx && fits) {
            // An idx1 cut short (a close that did not finish) is left out;
            // the index is then rebuilt from the data.
            if (size / 16 > uint32_t(kMaxIndexRecords)) {
                return Fail(AVI_ERR_NO_MEM);
            }
            avi->n_idx = avi->max_idx = int32_t(size / 16);
            avi->idx = static_cast<unsigned char(*)[16]>(malloc(size_t(avi->n_idx) * 16 + 1));
            if (!avi->idx) {
                return Fail(AVI_ERR_NO_MEM);
            }
            if (!ReadAt(avi->fdes, payload, avi->idx, size_t(avi->n_idx) * 16)) {
                return Fail(AVI_ERR_READ);
            }
        }
        at = payload + int64_t(Padded(size));
    }
    if (!*hdrl) {
        errno = 0;
        return Fail(AVI_ERR_NO_HDRL);
    }
    if (avi->movi_start == 0) {
        errno = 0;
        return Fail(AVI_ERR_NO_MOVI);
    }
    return 0;
}

// Whether the chunk header at pos names id with the given length.
bool ChunkAt(avi_t* avi, int64_t pos, const unsigned char* rec) {
    unsigned char ch[8];
    return ReadAt(avi->fdes, pos, ch, 8) && memcmp(ch, rec, 4) == 0 &&
           Get32(ch + 4) == Get32(rec + 12);
}

// Rebuilds idx from the movi data: every complete data chunk, with its
// absolute header position. A chunk cut off by the end of the file is left
// out.
int RebuildIndex(avi_t* avi) {
    free(avi->idx);
    avi->idx = nullptr;
    avi->n_idx = avi->max_idx = 0;
    printf("%s:%d Tick:%ld\n", "avi_parse_input_file", __LINE__, long(Board().Time(nullptr)));
    int64_t end = avi->movi_start - 4 + avi->movi_size;
    if (end > avi->file_size) {
        end = avi->file_size;
    }
    CHeaderReader reader(avi->fdes);
    int64_t at = avi->movi_start;
    while (at + 8 <= end) {
        unsigned char ch[8];
        if (!reader.ReadAt(at, ch, 8)) {
            return Fail(AVI_ERR_READ);
        }
        if (!IsChunkId(ch)) {
            break;  // damaged data: what follows cannot be trusted
        }
        uint32_t size = Get32(ch + 4);
        if (SameTagNoCase(ch, "LIST")) {
            at += 12;
            continue;
        }
        if (IsDataChunk(ch) && at + 8 + int64_t(size) <= avi->file_size) {
            if (avi->n_idx >= avi->max_idx) {
                if (avi->max_idx >= kMaxIndexRecords) {
                    return Fail(AVI_ERR_NO_MEM);
                }
                void* grown = realloc(avi->idx, size_t(avi->max_idx + kIndexStep) * 16);
                if (!grown) {
                    return Fail(AVI_ERR_NO_MEM);
                }
                avi->idx = static_cast<unsigned char(*)[16]>(grown);
                avi->max_idx += kIndexStep;
            }
            unsigned char* rec = avi->idx[avi->n_idx++];
            memcpy(rec, ch, 4);
            // Chunks found by scanning carry no flags; uncompressed video is
            // all key frames.
            Put32(rec + 4, AVI_KEYFRAME);
            Put32(rec + 8, uint32_t(at));
            Put32(rec + 12, size);
        }
        at += 8 + int64_t(Padded(size));
    }
    printf("%s:%d Tick:%ld\n", "avi_parse_input_file", __LINE__, long(Board().Time(nullptr)));
    return 0;
}

// Chooses how idx1 offsets count (absolute, movi-relative, or rebuild) and
// builds the per-frame video index. 0 or -1 with the code set.
int BuildVideoIndex(avi_t* avi) {
    avi->idx_type = 0;
    if (avi->n_idx > 0) {
        const unsigned char* first = nullptr;
        for (int32_t k = 0; k < avi->n_idx && !first; k++) {
            if (IsVideoRecord(avi, avi->idx[k])) {
                first = avi->idx[k];
            }
        }
        if (!first) {
            errno = 0;
            return Fail(AVI_ERR_NO_VIDS);
        }
        uint32_t off = Get32(first + 8);
        if (ChunkAt(avi, off, first)) {
            avi->idx_type = 1;
        } else if (ChunkAt(avi, avi->movi_start + int64_t(off) - 4, first)) {
            avi->idx_type = 2;
        }
    }
    if (avi->idx_type == 0 && RebuildIndex(avi) != 0) {
        return -1;
    }
    printf("idx_type = %ld \n", long(avi->idx_type));

    int32_t frames = 0;
    for (int32_t k = 0; k < avi->n_idx; k++) {
        frames += IsVideoRecord(avi, avi->idx[k]) ? 1 : 0;
    }
    if (frames == 0) {
        errno = 0;
        return Fail(AVI_ERR_NO_VIDS);
    }
    avi->video_index =
        static_cast<video_index_entry*>(malloc(size_t(frames) * sizeof(video_index_entry)));
    if (!avi->video_index) {
        return Fail(AVI_ERR_NO_MEM);
    }
    avi->max_len = 0;
    int32_t n = 0;
    for (int32_t k = 0; k < avi->n_idx; k++) {
        const unsigned char* rec = avi->idx[k];
        if (!IsVideoRecord(avi, rec)) {
            continue;
        }
        int64_t off = Get32(rec + 8);
        int64_t pos = avi->idx_type == 2 ? avi->movi_start + 4 + off : off + 8;
        uint32_t len = Get32(rec + 12);
        // Every frame must lie inside the file and be of a size a caller can
        // sensibly allocate.
        if (pos + int64_t(len) > avi->file_size || pos > int64_t(UINT32_MAX)) {
            printf("Error: AVI frame %d at %lld+%u lies outside the file\n", int(n), (long long)pos,
                   len);
            errno = EINVAL;
            return Fail(AVI_ERR_READ);
        }
        if (len > AVI_MAX_FRAME_BYTES) {
            printf("Error: AVI frame %d of %u bytes refused\n", int(n), len);
            return Fail(AVI_ERR_NO_MEM);
        }
        avi->video_index[n].key = Get32(rec + 4);
        avi->video_index[n].pos = uint32_t(pos);
        avi->video_index[n].len = len;
        if (len > avi->max_len) {
            avi->max_len = len;
        }
        n++;
    }
    avi->video_frames = frames;
    return 0;
}

}  // namespace

avi_t* AVI_open_input_file(const char* filename, int getIndex) {
    avi_t* avi = static_cast<avi_t*>(calloc(1, sizeof(avi_t)));
    if (!avi) {
        Fail(AVI_ERR_NO_MEM);
        return nullptr;
    }
    avi->mode = 1;
    avi->fdes = filename ? Board().Open(filename, O_RDONLY) : -1;
    if (avi->fdes < 0) {
        Fail(AVI_ERR_OPEN);
        free(avi);
        return nullptr;
    }
    avi->file_size = FileSize(avi->fdes);
    unsigned char* hdrl = nullptr;
    uint32_t hdrlLen = 0;
    int64_t hdrlAt = 0;
    bool ok = false;
    if (avi->file_size < 0) {
        Fail(AVI_ERR_READ);
    } else if (ParseTopLevel(avi, &hdrl, &hdrlLen, &hdrlAt) == 0 &&
               ParseHeaderList(avi, hdrl, hdrlLen, hdrlAt) == 0) {
        ok = true;
        if (hdrlLen >= 28 && TagIs(hdrl, "avih")) {
            avi->header_frames = int32_t(Get32(hdrl + 24));
        }
    }
    free(hdrl);
    if (ok && getIndex) {
        ok = BuildVideoIndex(avi) == 0;
    }
    if (ok && Board().Lseek(avi->fdes, off_t(avi->movi_start), SEEK_SET) < 0) {
        ok = false;
        Fail(AVI_ERR_READ);
    }
    if (!ok) {
        int code = AVI_errno;
        AVI_close(avi);
        AVI_errno = code;
        return nullptr;
    }
    return avi;
}

int AVI_set_video_position(avi_t* avi, long frame) {
    if (!avi || avi->mode == 0) {
        return Fail(AVI_ERR_NOT_PERM);
    }
    if (!avi->video_index) {
        return Fail(AVI_ERR_NO_IDX);
    }
    avi->video_pos = frame < 0 ? 0 : (frame > INT32_MAX ? INT32_MAX : int32_t(frame));
    return 0;
}

long AVI_read_frame_sized(avi_t* avi, char* buffer, long bufferSize, int* keyframe) {
    if (!avi || avi->mode == 0) {
        return Fail(AVI_ERR_NOT_PERM);
    }
    if (!avi->video_index) {
        return Fail(AVI_ERR_NO_IDX);
    }
    if (avi->video_pos < 0 || avi->video_pos >= avi->video_frames) {
        return -1;
    }
    const video_index_entry& e = avi->video_index[avi->video_pos];
    if (!buffer || (bufferSize >= 0 && int64_t(e.len) > bufferSize)) {
        printf("Error: AVI frame %d of %u bytes does not fit a buffer of %ld bytes\n",
               int(avi->video_pos), e.len, bufferSize);
        errno = EOVERFLOW;
        return Fail(AVI_ERR_READ);
    }
    if (keyframe) {
        *keyframe = (e.key & AVI_KEYFRAME) ? 1 : 0;
    }
    if (!ReadAt(avi->fdes, e.pos, buffer, e.len)) {
        if (errno == 0) {
            errno = EIO;
        }
        return Fail(AVI_ERR_READ);
    }
    avi->video_pos++;
    return long(e.len);
}

long AVI_read_frame(avi_t* avi, char* buffer, int* keyframe) {
    return AVI_read_frame_sized(avi, buffer, -1, keyframe);
}
