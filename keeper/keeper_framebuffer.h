// The frame-buffer mode switch of the video output.
#pragma once

// Sets /dev/fb0 to xres x yres at bpp bits per pixel, keeping the virtual
// resolution and offsets the driver reports. The result of the mode request
// (0 on success), -1 when the device cannot be opened or read.
int set_new_fb_info(unsigned xres, unsigned yres, unsigned bpp);
