// Drawing velto-sim's window: the device's face around its screen and the
// board panel beside it, from the layout and the panel's states.
#pragma once

#include <set>
#include <string>

#include "sim/sim_window_canvas.h"
#include "sim/sim_window_layout.h"
#include "sim/sim_window_panel.h"

// What the face shows of the board.
struct SVeltoSimFaceState {
    long redLed = 0;  // brightness 0..255
    long greenLed = 0;
    long light = 0;                 // the camera light's level, 0..255
    std::set<std::string> pressed;  // key controls held down
    std::string caption;            // the line under the keys
};

void VeltoSimDrawFace(CVeltoSimCanvas& canvas, CVeltoSimFont& font,
                      const SVeltoSimWindowLayout& layout, const SVeltoSimFaceState& state);
void VeltoSimDrawPanel(CVeltoSimCanvas& canvas, CVeltoSimFont& font, CVeltoSimFont& small,
                       const SVeltoSimWindowLayout& layout, const CVeltoSimPanel& panel);
