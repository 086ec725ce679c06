// Runs one pixel kernel a number of times on a 640 x 480 frame, for counting
// instructions under callgrind (see callgrind_pixels.sh). "none" does the
// same set-up without a kernel, so the difference is the kernel alone.
//   media_pixel_count KERNEL ROUNDS
#include <libyuv.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "camera/color.h"
#include "camera/utils.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s none|rgb24|bgra32|zoom|libyuv-c-bgra32 ROUNDS\n", argv[0]);
        return 2;
    }
    const char* kernel = argv[1];
    int rounds = atoi(argv[2]);
    const int w = 640, h = 480;
    std::vector<unsigned char> in(w * h * 2), out(w * h * 4);
    for (size_t i = 0; i < in.size(); i++) {
        in[i] = static_cast<unsigned char>(i * 2654435761u >> 13);
    }
    initLut();
    libyuv::MaskCpuFlags(1);  // C path only, as on the board
    for (int r = 0; r < rounds; r++) {
        if (!strcmp(kernel, "rgb24")) {
            Velto::ConvertYUYVToRGB24(in.data(), out.data(), w * h);
        } else if (!strcmp(kernel, "bgra32")) {
            Velto::ConvertYUYVToBGRA32(in.data(), out.data(), w * h);
        } else if (!strcmp(kernel, "zoom")) {
            // The display path at full size: 320 x 240 twice is one 640 x 480.
            for (int half = 0; half < 4; half++) {
                YUYVtoYUV422PZoomoutCen(reinterpret_cast<char*>(in.data()) + half * 320 * 240 * 2,
                                        reinterpret_cast<char*>(out.data()), 320, 240, 320, 240);
            }
        } else if (!strcmp(kernel, "libyuv-c-bgra32")) {
            libyuv::YUY2ToARGB(in.data(), w * 2, out.data(), w * 4, w, h);
        } else if (strcmp(kernel, "none") != 0) {
            fprintf(stderr, "unknown kernel %s\n", kernel);
            return 2;
        }
    }
    return out[rounds % 64] == 7 ? 1 : 0;
}
