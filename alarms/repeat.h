// Repeating alarms: the rule kept in the record's field 周数, how the list
// shows it after the minute, and when such an alarm comes next.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ny {

enum class Repeat { Once, Daily, Weekdays, Weekly };

// The field's code: "" once, "D" every day, "W" Monday to Friday, "7" every
// week on the same weekday. A code this version does not know reads as once.
Repeat RepeatOfCode(std::string_view code);
std::string_view RepeatCode(Repeat r);

// What the list shows after the minute: "" for once, "每天", "工作日", "每周".
std::string_view RepeatLabel(Repeat r);

// The list's minute cell: "2026-12-11 07:30", or "2026-12-11 07:30  每天".
// The minute stays the first characters, so MinuteOf still finds it.
std::string MinuteCellText(std::string_view minute, Repeat r);
// The rule a minute cell shows.
Repeat RepeatOfCell(std::string_view cell);

// The first minute of the series minute, minute + one step, ... that lies
// strictly after `after` and is not `minute` itself (an alarm that rang
// always moves on, even when the clock has been set back before it).
// nullopt for Once, a malformed minute or `after`, or past the year 9999.
std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after);

}  // namespace ny
