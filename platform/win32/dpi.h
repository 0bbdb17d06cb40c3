// Dots per inch: the designs are in pixels at 96 DPI; on a denser screen
// every rectangle, font and picture grows by DPI / 96.
#pragma once

#include <windows.h>

namespace ny {

constexpr int kDesignDpi = 96;

// A design length at `dpi`, rounded as Windows rounds (MulDiv).
inline int Scale(int designPx, int dpi) { return MulDiv(designPx, dpi, kDesignDpi); }

// The DPI of the monitor a window is on (per-monitor aware), or the
// system's where the system cannot tell monitors apart.
int DpiOfWindow(HWND hwnd);
// The DPI the system started with (that of its fonts and metrics).
int SystemDpi();

}  // namespace ny
