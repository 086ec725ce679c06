// Where the main window puts its status controls, in screen pixels: on the
// panel (320 x 240) and on the TV (720 x 576). The figures are the layout's
// fractions of the 320 x 240 design worked out once for each size, so that
// tests compare the program's rectangles with fixed numbers.
#pragma once

namespace VeltoTest {

struct SRect {
    int x, y, w, h;
};

struct SStatusLayout {
    SRect rec, sd, power, clock, bright, focus, mark, busy;
};

inline const SStatusLayout& PanelLayout() {
    static const SStatusLayout l{
        {3, 6, 56, 44},      // record mode, top left
        {259, 6, 28, 21},    // SD card
        {294, 6, 21, 17},    // battery
        {73, 217, 173, 19},  // clock, bottom centre
        {127, 180, 66, 30},  // light slider
        {278, 93, 30, 54},   // zoom slider
        {266, 31, 49, 22},   // recording mark
        {152, 109, 15, 21},  // busy image, centre
    };
    return l;
}

inline const SStatusLayout& TvLayout() {
    static const SStatusLayout l{
        {7, 14, 126, 106},    // record mode
        {583, 14, 63, 50},    // SD card
        {661, 14, 47, 40},    // battery
        {187, 520, 346, 38},  // clock: the large font's width and height
        {286, 432, 148, 72},  // light slider
        {626, 223, 67, 129},  // zoom slider
        {599, 74, 110, 52},   // recording mark
        {343, 263, 33, 50},   // busy image
    };
    return l;
}

}  // namespace VeltoTest
