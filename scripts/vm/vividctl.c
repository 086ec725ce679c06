/* vividctl DEVICE disconnect: presses vivid's "Disconnect" button control,
 * which makes the driver behave as an unplugged USB camera until every open
 * handle of the node is closed.
 * Usage: vividctl /dev/videoN disconnect */
#include <fcntl.h>
#include <linux/videodev2.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 3 || strcmp(argv[2], "disconnect") != 0) {
        fprintf(stderr, "usage: vividctl /dev/videoN disconnect\n");
        return 2;
    }
    int fd = open(argv[1], O_RDWR);
    if (fd < 0) {
        perror(argv[1]);
        return 1;
    }
    struct v4l2_queryctrl q;
    memset(&q, 0, sizeof q);
    q.id = V4L2_CTRL_FLAG_NEXT_CTRL;
    while (ioctl(fd, VIDIOC_QUERYCTRL, &q) == 0) {
        if (strcmp((const char*)q.name, "Disconnect") == 0) {
            struct v4l2_control c = {q.id, 1};
            if (ioctl(fd, VIDIOC_S_CTRL, &c) != 0) {
                perror("vividctl: Disconnect");
                return 1;
            }
            return 0;
        }
        q.id |= V4L2_CTRL_FLAG_NEXT_CTRL;
    }
    fprintf(stderr, "vividctl: %s has no Disconnect control\n", argv[1]);
    return 1;
}
