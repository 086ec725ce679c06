// AVI (RIFF) files: writing one uncompressed video stream with a 2,048-byte
// header area and an "idx1" index, and reading video frames by number from
// AVI files of any origin (absolute or movi-relative index offsets, or no
// index at all, which is then rebuilt by scanning the data).
//
// Every function that fails sets AVI_errno (one of the AVI_ERR_ codes) and
// returns -1 or null. A handle belongs to one thread at a time; AVI_errno and
// the text of AVI_strerror are process-wide.
#pragma once

#include <stdint.h>

// Error codes kept in AVI_errno.
enum {
    AVI_ERR_NONE = 0,
    AVI_ERR_SIZELIM = 1,      // the file size limit was reached
    AVI_ERR_OPEN = 2,         // the file could not be opened or created
    AVI_ERR_READ = 3,         // reading failed, or the file points outside itself
    AVI_ERR_WRITE = 4,        // writing failed
    AVI_ERR_WRITE_INDEX = 5,  // the index could not be written
    AVI_ERR_CLOSE = 6,        // finishing or closing the file failed
    AVI_ERR_NOT_PERM = 7,     // operation not allowed in this mode
    AVI_ERR_NO_MEM = 8,       // out of memory, or a size that would need too much
    AVI_ERR_NO_AVI = 9,       // not an AVI file, or a header this module refuses
    AVI_ERR_NO_HDRL = 10,     // no header list
    AVI_ERR_NO_MOVI = 11,     // no movi list
    AVI_ERR_NO_VIDS = 12,     // no usable video stream or no video frames
    AVI_ERR_NO_IDX = 13,      // the operation needs the frame index
    AVI_ERR_UNKNOWN = 14,
};

constexpr int AVI_MAX_TRACKS = 8;
constexpr int AVI_HEADERBYTES = 2048;
// Largest file this module writes: 2^32 - 1 - 16 MiB - 2,048 bytes.
constexpr uint32_t AVI_MAX_LEN = 0xFEFFF7FFu;
// Refused when reading: frames larger than this, and frame sizes beyond
// AVI_MAX_DIMENSION pixels a side. The device records 320 x 240 YUY2 and its
// camera tops out at 640 x 480; the board has only tens of MiB, so a file
// off a card must not make a caller size a buffer beyond a few MiB (an RGB32
// frame of 1024 x 1024 is 4 MiB).
constexpr uint32_t AVI_MAX_FRAME_BYTES = 2u << 20;
constexpr int AVI_MAX_DIMENSION = 1024;
constexpr uint32_t AVI_KEYFRAME = 0x10;  // index flag of a key frame

struct video_index_entry {
    uint32_t key;  // index flags
    uint32_t pos;  // file position of the frame data
    uint32_t len;  // frame length in bytes
};

struct audio_index_entry {
    uint32_t pos;
    uint32_t len;
    uint32_t tot;
};

// One audio track as read from the header; the system never writes audio.
struct track_t {
    int32_t a_fmt;
    int32_t a_chans;
    int32_t a_rate;
    int32_t a_bits;
    int32_t mp3rate;
    int32_t audio_strn;
    int64_t audio_bytes;
    int32_t audio_chunks;
    char audio_tag[4];
    int32_t audio_posc;
    int32_t audio_posb;
    int64_t a_codech_off;
    int64_t a_codecf_off;
    audio_index_entry* audio_index;
};

// One open AVI file.
struct avi_t {
    int32_t fdes;  // file descriptor
    int32_t mode;  // 0 writing, 1 reading
    int32_t width;
    int32_t height;
    double fps;
    char compressor[8];   // stream header handler, NUL-terminated
    char compressor2[8];  // bitmap header compression, NUL-terminated
    int32_t video_strn;
    int32_t video_frames;
    char video_tag[4];  // "00db"
    int32_t video_pos;  // next frame to read
    uint32_t max_len;   // largest chunk written, or largest video frame indexed
    track_t track[AVI_MAX_TRACKS];
    uint32_t pos;  // write position
    int32_t n_idx;
    int32_t max_idx;
    int64_t v_codech_off;
    int64_t v_codecf_off;
    unsigned char (*idx)[16];  // "idx1" records in file order
    video_index_entry* video_index;
    uint32_t last_pos;
    uint32_t last_len;
    int32_t must_use_index;
    int64_t movi_start;  // just after the "movi" list type
    int32_t anum;
    int32_t aptr;
    char* bitmap_info_header;
    char* wave_format_ex[AVI_MAX_TRACKS];

    // Reading: what the file claims, kept for checks and reports.
    int32_t idx_type;       // 1 absolute offsets, 2 movi-relative, 0 rebuilt
    int32_t header_frames;  // total frames of the main header
    int32_t stream_length;  // length of the video stream header
    uint32_t bitmap_size;   // bytes in bitmap_info_header
    int64_t file_size;
    int64_t movi_size;  // size field of the movi list

    // Writing: one chunk (header, data, pad) assembled for a single write.
    char* chunk_buf;
    uint32_t chunk_buf_size;
    // Writing: the file's clusters are reserved and on the medium up to
    // here; 0 once the file system cannot reserve.
    uint32_t reserved_end;
};

extern int32_t AVI_errno;

// ---- Writing ----

// Creates (truncates) the file with synchronous writes and reserves the
// header area. Null on failure (AVI_ERR_NO_MEM, AVI_ERR_OPEN, AVI_ERR_WRITE).
avi_t* AVI_open_output_file(const char* filename);
// Sets the video stream and rewrites the provisional header at once, so a
// recording cut off by a power loss is still an AVI file. A compressor
// beginning with "RGB" is stored as four zero bytes. Ignored (0) on a file
// opened for reading; -1 when the header cannot be written or the size is
// unusable.
int AVI_set_video(avi_t* avi, int width, int height, double fps, const char* compressor);
// Appends one video chunk and its index record. 0, or -1 with
// AVI_ERR_SIZELIM (nothing written), AVI_ERR_WRITE (the file is left as it
// was before the call) or AVI_ERR_NOT_PERM.
int AVI_write_frame(avi_t* avi, char* data, long bytes, int keyframe);

// ---- Reading ----

// Opens an AVI file. With getIndex non-zero the frame index is built (from
// "idx1" or by scanning the data) and every indexed frame is checked to lie
// inside the file. Null on failure with the matching code.
avi_t* AVI_open_input_file(const char* filename, int getIndex);
// Positions at frame n (negative: frame 0). -1 without an index or when
// writing.
int AVI_set_video_position(avi_t* avi, long frame);
// Reads the frame at the current position into buffer, which must hold
// AVI_max_video_chunk bytes, and advances. Bytes read, or -1 (past the end,
// read error, no index, writing mode).
long AVI_read_frame(avi_t* avi, char* buffer, int* keyframe);
// The same, but a frame larger than bufferSize is refused (-1,
// AVI_ERR_READ, position unchanged) instead of read.
long AVI_read_frame_sized(avi_t* avi, char* buffer, long bufferSize, int* keyframe);

// ---- Both ----

// Finishes a written file (index, final header, size) and closes and frees
// the handle. 0, or -1 when the index (AVI_ERR_WRITE_INDEX) or the header
// (AVI_ERR_CLOSE) could not be written; the handle is freed in every case.
int AVI_close(avi_t* avi);
// Text of AVI_errno; for the I/O codes followed by the system's error text.
const char* AVI_strerror();
// Maximum file size written.
uint32_t AVI_max_size();

int AVI_video_width(avi_t* avi);
int AVI_video_height(avi_t* avi);
int AVI_video_frames(avi_t* avi);
double AVI_frame_rate(avi_t* avi);
// Compression code of the bitmap header.
char* AVI_video_compressor(avi_t* avi);
long AVI_max_video_chunk(avi_t* avi);
