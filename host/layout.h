// The design of the three windows: every control with its place, size,
// caption, font and first state.
#pragma once

#include <optional>
#include <span>

#include "host/design.h"

namespace ny {

std::span<const ControlDesign> ControlDesigns();
const ControlDesign* FindDesign(Ctl id);
const WindowDesign& WindowDesignOf(Ctl window);
// The window a control belongs to (itself for a window).
Ctl WindowOf(Ctl id);

// The colours the windows are drawn in. With the system's high-contrast
// theme on, every one is the theme's, so its text stays readable; off, they
// are the designs'.
Paint GroundOf(const WindowDesign& w, bool highContrast);
// A control's text colour; none: the control's (or the theme's) own.
std::optional<Paint> TextOf(const ControlDesign& d, bool highContrast);
struct GridPaints {
    Paint ground, line, text, chosenGround, chosenText;
};
GridPaints GridColours(bool highContrast);
// The year buttons' arrowheads.
struct ArrowPaints {
    Paint ground, ink;
};
ArrowPaints ArrowColours(bool highContrast);

}  // namespace ny
