// V4L2 buffer requests for a kernel older than 5.6 on a 32-bit board built
// with a 64-bit time_t. struct v4l2_buffer holds a struct timeval, so its
// size, and with it the request numbers VIDIOC_QUERYBUF, VIDIOC_QBUF and
// VIDIOC_DQBUF, differ from those of a 32-bit time_t. Such a kernel knows
// only the 32-bit ones and answers the others with ENOTTY; the request is
// then made again in the layout it knows.
#pragma once

#include <linux/videodev2.h>

namespace Velto {

// The ioctl call that a request is made through.
typedef int (*IoctlProc)(int fd, unsigned long request, void* arg);

// The 32-bit time_t request for request, or 0 when request needs none (any
// request but the three, or a build whose time_t already is 32 bits).
unsigned long V4L2Time32Request(unsigned long request);

// Makes request through sys; when the kernel does not know it (ENOTTY) and
// it has a 32-bit time_t form, makes that one instead, with arg converted
// there and back. Returns what the request returned, with errno.
int V4L2Ioctl(IoctlProc sys, int fd, unsigned long request, void* arg);

}  // namespace Velto
