// Where things go in velto-sim's window: the device's face (the screen, its
// charger LEDs and camera light above it, the nine keys beside it) and the
// board panel to the right. Sizes are window pixels; only the screen scales.
#pragma once

#include <string>
#include <vector>

struct SVeltoSimRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool Contains(int px, int py) const { return px >= x && py >= y && px < x + w && py < y + h; }
};

// One key of the face: its control name (key-up ... key-f4) and the key name
// the control channel takes (UP ... F4).
struct SVeltoSimFaceKey {
    std::string control;
    std::string key;
    SVeltoSimRect rect;
};

struct SVeltoSimWindowLayout {
    int scale = 1;
    int width = 0;  // the whole window
    int height = 0;
    SVeltoSimRect screen;  // the device's screen, scale x its size
    SVeltoSimRect face;    // the device around it
    SVeltoSimRect redLed, greenLed, light;
    std::vector<SVeltoSimFaceKey> keys;
    SVeltoSimRect panel;
};

// The panel's width and the height its controls need.
constexpr int kVeltoSimPanelWidth = 330;
constexpr int kVeltoSimPanelHeight = 520;

// Whole-window size at a scale; the largest whole scale (at least 1) at
// which face and panel fit a desktop of deskW x deskH; the layout at it.
void VeltoSimWindowSize(int screenW, int screenH, int scale, int* width, int* height);
int VeltoSimWindowScale(int screenW, int screenH, int deskW, int deskH);
SVeltoSimWindowLayout VeltoSimLayWindow(int screenW, int screenH, int scale);
