// Screen size for the settings store. The store must answer before the
// windowing layer exists (and without linking it), so the toolkit installs
// its metrics function here at start-up; until then the design size of
// 320 x 240 is reported.
#pragma once

namespace Velto {

// Same shape as the toolkit's GetSystemMetrics: index 0 gives the screen
// width, 1 the height, in pixels.
typedef int (*ScreenMetricsProc)(int nIndex);

// Installs the function that reports the screen size; null restores the
// built-in 320 x 240. Safe to call from any thread.
void SetScreenMetricsProc(ScreenMetricsProc proc);

// Width (nIndex 0) or height (nIndex 1) of the screen. An installed function
// that answers 0 or less (no display yet) yields the design size instead.
unsigned GetScreenMetric(int nIndex);

}  // namespace Velto
