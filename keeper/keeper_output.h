// The video outputs keeper can select and what each needs.
#pragma once

#include <stdint.h>

enum OutputType : int32_t {
    OUT_RGB = 0,  // the LCD panel
    OUT_TVENC_NTSC = 1,
    OUT_TVENC_PAL = 2,
};

struct CVeltoOutputMode {
    OutputType eType;
    unsigned nWidth;
    unsigned nHeight;
    const char* strBacklight;  // shell command for the LCD backlight
};

// The mode for the panel text of "/etc/lcdparams" (from "lcd_panel=" on):
// PAL or NTSC when it names one of the TV encoders, else the LCD.
const CVeltoOutputMode& OutputModeFor(const char* panel);
