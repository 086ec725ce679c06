#include "keeper/keeper_framebuffer.h"

#include <fcntl.h>
#include <linux/fb.h>
#include <stdio.h>

#include "platform/velto_board.h"

int set_new_fb_info(unsigned xres, unsigned yres, unsigned bpp) {
    int fd = Board().Open("/dev/fb0", O_RDWR);
    if (fd < 0) {
        return -1;
    }
    fb_var_screeninfo var = {};
    if (Board().Ioctl(fd, FBIOGET_VSCREENINFO, &var) != 0) {
        // Writing back a mode never read would send zeros for everything else.
        Board().Close(fd);
        return -1;
    }
    var.xres = xres;
    var.yres = yres;
    var.bits_per_pixel = bpp;
    var.activate = FB_ACTIVATE_FORCE;
    int rc = Board().Ioctl(fd, FBIOPUT_VSCREENINFO, &var);
    Board().Close(fd);
    printf("Set fb to %dx%d bpp:%d\n", xres, yres, bpp);
    return rc;
}
