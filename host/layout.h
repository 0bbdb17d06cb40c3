// The design of the three windows: every control with its place, size,
// caption, font and first state.
#pragma once

#include <span>

#include "host/design.h"

namespace ny {

std::span<const ControlDesign> ControlDesigns();
const ControlDesign* FindDesign(Ctl id);
const WindowDesign& WindowDesignOf(Ctl window);
// The window a control belongs to (itself for a window).
Ctl WindowOf(Ctl id);

}  // namespace ny
