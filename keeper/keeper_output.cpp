#include "keeper/keeper_output.h"

#include <string.h>

namespace {

const CVeltoOutputMode kPal = {OUT_TVENC_PAL, 720, 576,
                               "echo 0 > /sys/class/leds/LCD_backlight/brightness"};
const CVeltoOutputMode kNtsc = {OUT_TVENC_NTSC, 720, 480,
                                "echo 0 > /sys/class/leds/LCD_backlight/brightness"};
const CVeltoOutputMode kLcd = {OUT_RGB, 320, 240,
                               "echo 255 > /sys/class/leds/LCD_backlight/brightness"};

}  // namespace

const CVeltoOutputMode& OutputModeFor(const char* panel) {
    if (panel != nullptr && strstr(panel, "tvenc_pal") != nullptr) {
        return kPal;
    }
    if (panel != nullptr && strstr(panel, "tvenc_ntsc") != nullptr) {
        return kNtsc;
    }
    return kLcd;
}
