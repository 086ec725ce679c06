// What the live view's two slider panels (brightness, zoom) share: an icon
// and a "VeltoScrlBar1" bar on the overlay black, stepped by the arrow keys.
#pragma once

#include "toolkit/winapi.h"

namespace Velto {

// Range and position of bar (mask SIF_RANGE | SIF_POS); false without one.
bool SliderPanelInfo(HWND bar, SCROLLINFO& info);
// Moves bar by delta, clamped to its range.
void SliderPanelStep(HWND bar, int delta);
// Destroys bar and icon and frees the icon's image; each may be null.
void SliderPanelRelease(HWND& bar, HWND& icon, PSD& image);
// The panel's window procedure: nothing of its own to paint, the background
// in colour, its statics transparent on the overlay black.
LRESULT SliderPanelProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, COLORREF colour);

}  // namespace Velto
