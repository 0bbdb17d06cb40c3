// Repeating alarms: how the list shows the rule after the minute, and when
// such an alarm comes next. The rule itself and its stored code are the
// alarm's (store/alarm.h).
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "store/alarm.h"

namespace ny {

// What the list shows of an alarm's rule, whole: "" for once, "每天",
// "工作日", "每周五" (the alarm's own weekday), "周一三五".
std::string RepeatLabel(const Alarm& a);

// The first minute of the series minute, minute + one step, ... that lies
// strictly after `after` and is not `minute` itself (an alarm that rang
// always moves on, even when the clock has been set back before it).
// nullopt for Once, or past the year 9999. `days`: those of a Custom rule.
std::optional<Minute> NextOccurrence(Minute minute, Repeat r, Minute after, Weekdays days = 0);
// The alarm's next occurrence after `after`, by its own rule.
std::optional<Minute> NextOccurrence(const Alarm& a, Minute after);
// The same on minute texts; nullopt also for a malformed minute or `after`.
std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after, Weekdays days = 0);

}  // namespace ny
