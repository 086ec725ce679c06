/* The i.MX board's OTG node /dev/fsl_otg, in user space through CUSE.
 * ioctl 0x80044201 (_IOR('B', 1, int)) answers the port's role in its return
 * value: 0 when a PC holds the cable (device role), 1 otherwise (host role).
 * The role is read from the file named on the command line at each call, so
 * the fixture changes it by writing "0" or "1" there.
 *
 * Usage: otgnode ROLE_FILE
 * Written against the FUSE kernel protocol directly; no library needed. */
#include <errno.h>
#include <fcntl.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#define CUSE_INIT 4096
#define FUSE_OPEN 14
#define FUSE_READ 15
#define FUSE_WRITE 16
#define FUSE_RELEASE 18
#define FUSE_FLUSH 25
#define FUSE_INTERRUPT 36
#define FUSE_IOCTL 39
#define FUSE_POLL 40

#define OTG_GET_ROLE 0x80044201u

struct in_header {
    uint32_t len, opcode;
    uint64_t unique, nodeid;
    uint32_t uid, gid, pid, padding;
};
struct out_header {
    uint32_t len;
    int32_t error;
    uint64_t unique;
};
struct cuse_init_in {
    uint32_t major, minor, unused, flags;
};
struct cuse_init_out {
    uint32_t major, minor, unused, flags, max_read, max_write, dev_major, dev_minor;
    uint32_t spare[10];
};
struct open_out {
    uint64_t fh;
    uint32_t open_flags, padding;
};
struct ioctl_in {
    uint64_t fh;
    uint32_t flags, cmd;
    uint64_t arg;
    uint32_t in_size, out_size;
};
struct ioctl_out {
    int32_t result;
    uint32_t flags, in_iovs, out_iovs;
};

static int reply(int fd, uint64_t unique, int error, const void* body, size_t size) {
    char buf[512];
    struct out_header h = {(uint32_t)(sizeof h + size), error, unique};
    if (size > sizeof buf - sizeof h)
        return -1;
    memcpy(buf, &h, sizeof h);
    if (size)
        memcpy(buf + sizeof h, body, size);
    return write(fd, buf, h.len) == (ssize_t)h.len ? 0 : -1;
}

static int role(const char* path) {
    char c = '1';
    int fd = open(path, O_RDONLY);
    if (fd >= 0) {
        if (read(fd, &c, 1) != 1)
            c = '1';
        close(fd);
    }
    return c == '0' ? 0 : 1;
}

int main(int argc, char** argv) {
    static char buf[65536 + 4096];
    if (argc != 2) {
        fprintf(stderr, "usage: otgnode ROLE_FILE\n");
        return 2;
    }
    int fd = open("/dev/cuse", O_RDWR);
    if (fd < 0) {
        perror("otgnode: /dev/cuse");
        return 1;
    }
    for (;;) {
        ssize_t n = read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR || errno == ENOENT)
                continue; /* interrupted request */
            perror("otgnode: read");
            return 1;
        }
        if ((size_t)n < sizeof(struct in_header))
            continue;
        struct in_header* in = (struct in_header*)buf;
        void* arg = buf + sizeof *in;
        switch (in->opcode) {
            case CUSE_INIT: {
                struct {
                    struct cuse_init_out o;
                    char info[32];
                } r;
                memset(&r, 0, sizeof r);
                r.o.major = 7;
                r.o.minor = 31;
                r.o.max_read = 4096;
                r.o.max_write = 4096;
                size_t len = (size_t)snprintf(r.info, sizeof r.info, "DEVNAME=fsl_otg") + 1;
                reply(fd, in->unique, 0, &r, sizeof r.o + len);
                break;
            }
            case FUSE_OPEN: {
                struct open_out o = {0, 0, 0};
                reply(fd, in->unique, 0, &o, sizeof o);
                break;
            }
            case FUSE_RELEASE:
            case FUSE_FLUSH:
                reply(fd, in->unique, 0, NULL, 0);
                break;
            case FUSE_INTERRUPT:
                break; /* no reply: every request is answered at once anyway */
            case FUSE_IOCTL: {
                struct ioctl_in* io = (struct ioctl_in*)arg;
                if (io->cmd != OTG_GET_ROLE) {
                    reply(fd, in->unique, -ENOTTY, NULL, 0);
                    break;
                }
                struct {
                    struct ioctl_out o;
                    int32_t value;
                } r;
                memset(&r, 0, sizeof r);
                r.o.result = role(argv[1]);
                r.value = r.o.result;
                /* The kernel copies out_size bytes back to the caller. */
                reply(fd, in->unique, 0, &r, sizeof r.o + (io->out_size >= 4 ? 4 : 0));
                break;
            }
            default:
                reply(fd, in->unique, -ENOSYS, NULL, 0);
                break;
        }
    }
}
