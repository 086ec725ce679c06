#include "platform/velto_v4l2_time32.h"

#include <errno.h>
#include <stdint.h>
#include <string.h>
#include <sys/ioctl.h>
#include <time.h>

namespace Velto {

namespace {

// struct v4l2_buffer as a kernel with 32-bit time on a 32-bit board lays it
// out: the timestamp is two 32-bit words.
struct v4l2_buffer_time32 {
    uint32_t index;
    uint32_t type;
    uint32_t bytesused;
    uint32_t flags;
    uint32_t field;
    struct {
        int32_t tv_sec;
        int32_t tv_usec;
    } timestamp;
    struct v4l2_timecode timecode;
    uint32_t sequence;
    uint32_t memory;
    union {
        uint32_t offset;
        unsigned long userptr;
        struct v4l2_plane* planes;
        int32_t fd;
    } m;
    uint32_t length;
    uint32_t reserved2;
    union {
        int32_t request_fd;
        uint32_t reserved;
    };
};

constexpr bool kNeedsTime32 = sizeof(time_t) == 8 && sizeof(long) == 4;
static_assert(!kNeedsTime32 || sizeof(v4l2_buffer_time32) == 68,
              "the 32-bit board's struct v4l2_buffer with 32-bit times has 68 bytes");

#define VELTO_VIDIOC_QUERYBUF_TIME32 _IOWR('V', 9, struct v4l2_buffer_time32)
#define VELTO_VIDIOC_QBUF_TIME32 _IOWR('V', 15, struct v4l2_buffer_time32)
#define VELTO_VIDIOC_DQBUF_TIME32 _IOWR('V', 17, struct v4l2_buffer_time32)

void ToTime32(const v4l2_buffer& b, v4l2_buffer_time32& o) {
    memset(&o, 0, sizeof o);
    o.index = b.index;
    o.type = b.type;
    o.bytesused = b.bytesused;
    o.flags = b.flags;
    o.field = b.field;
    o.timestamp.tv_sec = static_cast<int32_t>(b.timestamp.tv_sec);
    o.timestamp.tv_usec = static_cast<int32_t>(b.timestamp.tv_usec);
    o.timecode = b.timecode;
    o.sequence = b.sequence;
    o.memory = b.memory;
    o.m.userptr = b.m.userptr;  // the widest member: offset, planes and fd with it
    o.length = b.length;
    o.reserved2 = b.reserved2;
    o.request_fd = b.request_fd;
}

void FromTime32(const v4l2_buffer_time32& o, v4l2_buffer& b) {
    b.index = o.index;
    b.type = o.type;
    b.bytesused = o.bytesused;
    b.flags = o.flags;
    b.field = o.field;
    b.timestamp.tv_sec = o.timestamp.tv_sec;
    b.timestamp.tv_usec = o.timestamp.tv_usec;
    b.timecode = o.timecode;
    b.sequence = o.sequence;
    b.memory = o.memory;
    b.m.userptr = o.m.userptr;
    b.length = o.length;
    b.reserved2 = o.reserved2;
    b.request_fd = o.request_fd;
}

}  // namespace

unsigned long V4L2Time32Request(unsigned long request) {
    if (!kNeedsTime32) {
        return 0;
    }
    switch (request) {
        case VIDIOC_QUERYBUF:
            return VELTO_VIDIOC_QUERYBUF_TIME32;
        case VIDIOC_QBUF:
            return VELTO_VIDIOC_QBUF_TIME32;
        case VIDIOC_DQBUF:
            return VELTO_VIDIOC_DQBUF_TIME32;
        default:
            return 0;
    }
}

int V4L2Ioctl(IoctlProc sys, int fd, unsigned long request, void* arg) {
    int rc = sys(fd, request, arg);
    unsigned long old = 0;
    if (rc != -1 || errno != ENOTTY || arg == nullptr || (old = V4L2Time32Request(request)) == 0) {
        return rc;
    }
    v4l2_buffer& b = *static_cast<v4l2_buffer*>(arg);
    v4l2_buffer_time32 o;
    ToTime32(b, o);
    rc = sys(fd, old, &o);
    int err = errno;
    if (rc != -1) {
        FromTime32(o, b);
    }
    errno = err;
    return rc;
}

}  // namespace Velto
