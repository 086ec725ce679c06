#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "media/velto_avi.h"
#include "media/velto_avi_internal.h"
#include "platform/velto_board.h"

int32_t AVI_errno = AVI_ERR_NONE;

namespace {

// The system error that came with the last failure; errno itself is long
// gone by the time a caller asks for the text.
int s_nSysErrno = 0;
char s_strError[4096];

const char* const kErrorTexts[] = {
    "velto_avi - No Error",
    "velto_avi - AVI file size limit reached",
    "velto_avi - Error opening AVI file",
    "velto_avi - Error reading from AVI file",
    "velto_avi - Error writing to AVI file",
    "velto_avi - Error writing index (file may still be useable)",
    "velto_avi - Error closing AVI file",
    "velto_avi - Operation (read/write) not permitted",
    "velto_avi - Out of memory (malloc failed)",
    "velto_avi - Not an AVI file",
    "velto_avi - AVI file has no header list (corrupted?)",
    "velto_avi - AVI file has no MOVI list (corrupted?)",
    "velto_avi - AVI file has no video data",
    "velto_avi - operation needs an index",
    "velto_avi - Unkown Error",
};

}  // namespace

namespace VeltoAvi {

int Fail(int code) {
    s_nSysErrno = errno;
    AVI_errno = code;
    return -1;
}

size_t WriteAll(int fd, const void* buf, size_t len) {
    const char* p = static_cast<const char*>(buf);
    size_t done = 0;
    while (done < len) {
        ssize_t n = Board().Write(fd, p + done, len - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            if (n == 0) {
                errno = ENOSPC;
            }
            break;
        }
        done += size_t(n);
    }
    return done;
}

size_t ReadAll(int fd, void* buf, size_t len) {
    char* p = static_cast<char*>(buf);
    size_t done = 0;
    while (done < len) {
        ssize_t n = Board().Read(fd, p + done, len - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += size_t(n);
    }
    return done;
}

bool ReadAt(int fd, int64_t pos, void* buf, size_t len) {
    if (pos < 0 || Board().Lseek(fd, off_t(pos), SEEK_SET) != off_t(pos)) {
        return false;
    }
    return ReadAll(fd, buf, len) == len;
}

}  // namespace VeltoAvi

const char* AVI_strerror() {
    int code = AVI_errno;
    if (code < 0 || code > AVI_ERR_UNKNOWN) {
        code = AVI_ERR_UNKNOWN;
    }
    if (code >= AVI_ERR_OPEN && code <= AVI_ERR_CLOSE) {
        snprintf(s_strError, sizeof(s_strError), "%s - %s", kErrorTexts[code],
                 strerror(s_nSysErrno));
        return s_strError;
    }
    return kErrorTexts[code];
}

uint32_t AVI_max_size() {
    return AVI_MAX_LEN;
}

int AVI_video_width(avi_t* avi) {
    return avi ? avi->width : -1;
}
int AVI_video_height(avi_t* avi) {
    return avi ? avi->height : -1;
}
int AVI_video_frames(avi_t* avi) {
    return avi ? avi->video_frames : -1;
}
double AVI_frame_rate(avi_t* avi) {
    return avi ? avi->fps : -1.0;
}
char* AVI_video_compressor(avi_t* avi) {
    return avi ? avi->compressor2 : nullptr;
}
long AVI_max_video_chunk(avi_t* avi) {
    return avi ? long(avi->max_len) : -1;
}

int AVI_close(avi_t* avi) {
    if (!avi) {
        return VeltoAvi::Fail(AVI_ERR_NOT_PERM);
    }
    int ret = 0;
    if (avi->mode == 0) {
        ret = VeltoAvi::CloseOutput(avi);
    }
    if (avi->fdes >= 0) {
        // A written file is only finished once it is on the medium.
        bool synced = avi->mode != 0 || Board().Fsync(avi->fdes) == 0;
        bool closed = Board().Close(avi->fdes) == 0;
        if ((!synced || !closed) && ret == 0) {
            ret = VeltoAvi::Fail(AVI_ERR_CLOSE);
        }
    }
    free(avi->idx);
    free(avi->chunk_buf);
    free(avi->video_index);
    free(avi->bitmap_info_header);
    for (int j = 0; j < AVI_MAX_TRACKS; j++) {
        free(avi->wave_format_ex[j]);
        free(avi->track[j].audio_index);
    }
    free(avi);
    return ret;
}
