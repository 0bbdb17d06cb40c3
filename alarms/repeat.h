// Repeating alarms: how the list shows the rule after the minute, and when
// such an alarm comes next. The rule itself and its stored code are the
// alarm's (store/alarm.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/alarm.h"

namespace ny {

// What the list shows after the minute: "" for once, "每天", "工作日", "每周".
std::string_view RepeatLabel(Repeat r);

// The list's minute cell: "2026-12-11 07:30", or "2026-12-11 07:30  每天".
std::string MinuteCellText(std::string_view minute, Repeat r);

// The first minute of the series minute, minute + one step, ... that lies
// strictly after `after` and is not `minute` itself (an alarm that rang
// always moves on, even when the clock has been set back before it).
// nullopt for Once, or past the year 9999.
std::optional<Minute> NextOccurrence(Minute minute, Repeat r, Minute after);
// The same on minute texts; nullopt also for a malformed minute or `after`.
std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after);

}  // namespace ny
