// The slider window class "VeltoScrlBar1": a bar with a range, a position
// and a thumb, horizontal or (SBS_VERT) vertical, set by two messages and
// read with GetVeltoScroll1InfoEx. Used by the brightness and zoom sliders
// and the player's progress bar.
#pragma once

#include "toolkit/winapi.h"

// wParam and lParam are the two ends, in either order; the position is
// clamped into the new range. Repaints at once.
#define VSBM_SETRANGE 0xF0A0
// wParam is the new position, clamped into the range; an unchanged position
// is ignored. Repaints at once.
#define VSBM_SETPOS 0xF0A2

// Registers "VeltoScrlBar1" (once per toolkit session; TRUE when the class
// exists afterwards).
BOOL MwRegisterVeltoScrollbar1Control(HINSTANCE hInstance);
// Fills info by its fMask (SIF_RANGE, SIF_PAGE, SIF_POS) and returns 1; 0
// when hwnd is not a live "VeltoScrlBar1" window or info is null.
int GetVeltoScroll1InfoEx(HWND hwnd, SCROLLINFO* info);
