#include "sim/sim_window_layout.h"

#include <algorithm>

namespace {

constexpr int kMargin = 20;
constexpr int kTopStrip = 34;    // LEDs and the camera light above the screen
constexpr int kCaption = 34;     // the line under the screen
constexpr int kKeysGap = 24;     // between the screen and the keys
constexpr int kKeysWidth = 172;  // the arrow cross and the F keys
constexpr int kKeysHeight = 230;
constexpr int kKey = 44;  // an arrow or Enter key, square-ish
constexpr int kKeyH = 38;
constexpr int kFKeyW = 80;
constexpr int kFKeyH = 34;

}  // namespace

void VeltoSimWindowSize(int screenW, int screenH, int scale, int* width, int* height) {
    int faceW = kMargin + screenW * scale + kKeysGap + kKeysWidth + kMargin;
    int faceH = kMargin + kTopStrip + std::max(screenH * scale, kKeysHeight) + kCaption;
    *width = faceW + kVeltoSimPanelWidth;
    *height = std::max(faceH, kVeltoSimPanelHeight);
}

int VeltoSimWindowScale(int screenW, int screenH, int deskW, int deskH) {
    int scale = 1;
    for (int s = 2; s <= 8; ++s) {
        int w, h;
        VeltoSimWindowSize(screenW, screenH, s, &w, &h);
        if (w > deskW || h > deskH) {
            break;
        }
        scale = s;
    }
    return scale;
}

SVeltoSimWindowLayout VeltoSimLayWindow(int screenW, int screenH, int scale) {
    SVeltoSimWindowLayout l;
    l.scale = std::max(scale, 1);
    VeltoSimWindowSize(screenW, screenH, l.scale, &l.width, &l.height);
    const int sw = screenW * l.scale, sh = screenH * l.scale;
    l.face = SVeltoSimRect{0, 0, l.width - kVeltoSimPanelWidth, l.height};
    l.screen = SVeltoSimRect{kMargin, kMargin + kTopStrip, sw, sh};
    l.redLed = SVeltoSimRect{kMargin, kMargin, 18, 18};
    l.greenLed = SVeltoSimRect{kMargin + 110, kMargin, 18, 18};
    l.light = SVeltoSimRect{kMargin + 240, kMargin + 2, 120, 14};
    const int kx = kMargin + sw + kKeysGap;
    const int ky = l.screen.y + std::max(0, (std::max(sh, kKeysHeight) - kKeysHeight) / 2);
    const int mid = kx + (kKeysWidth - kKey) / 2;
    const int step = kKeyH + 6;
    auto key = [&](const char* control, const char* name, int x, int y, int w, int h) {
        l.keys.push_back(SVeltoSimFaceKey{control, name, SVeltoSimRect{x, y, w, h}});
    };
    key("key-up", "UP", mid, ky, kKey, kKeyH);
    key("key-left", "LEFT", mid - kKey - 10, ky + step, kKey, kKeyH);
    key("key-enter", "ENTER", mid, ky + step, kKey, kKeyH);
    key("key-right", "RIGHT", mid + kKey + 10, ky + step, kKey, kKeyH);
    key("key-down", "DOWN", mid, ky + 2 * step, kKey, kKeyH);
    const int fy = ky + 3 * step + 14;
    const int fx = kx + (kKeysWidth - 2 * kFKeyW - 8) / 2;
    key("key-f1", "F1", fx, fy, kFKeyW, kFKeyH);
    key("key-f2", "F2", fx + kFKeyW + 8, fy, kFKeyW, kFKeyH);
    key("key-f3", "F3", fx, fy + kFKeyH + 8, kFKeyW, kFKeyH);
    key("key-f4", "F4", fx + kFKeyW + 8, fy + kFKeyH + 8, kFKeyW, kFKeyH);
    l.panel = SVeltoSimRect{l.face.w, 0, kVeltoSimPanelWidth, l.height};
    return l;
}
