// The designs' colours on Windows: the theme's colours by their system
// numbers, and whether a high-contrast theme is on.
#pragma once

#include <windows.h>

#include "host/design.h"

namespace ny {

bool HighContrastOn();
COLORREF ColourOf(const Paint& p);
// The system's own brush for a theme colour (DeleteObject leaves it alone),
// a new one for a design colour.
HBRUSH BrushOf(const Paint& p);

}  // namespace ny
