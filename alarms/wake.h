// Waking the computer for the next alarm: one wake timer, kept at the start
// of the earliest future minute that an alarm not yet rung is set for.
#pragma once

#include <optional>

#include "app/app.h"

namespace ny {

// The start of the earliest minute later than the current one of an alarm
// still to ring; nullopt when there is none.
std::optional<LocalTime> NextWakeMinute(App& app);
// Arms the host's wake timer for NextWakeMinute, or cancels it.
void RearmWakeTimer(App& app);

}  // namespace ny
