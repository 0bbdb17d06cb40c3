// The alarm list's shape and its time texts. A row is one alarm: its minute,
// tone, prompt, state and repeat, in these columns. The clock and the entry hold a
// full time "YYYY-MM-DD HH:MM:SS"; an alarm is set for a minute
// "YYYY-MM-DD HH:MM", the first kMinuteChars characters of a full time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/datetime.h"

namespace ny {

namespace col {
constexpr int kMinute = 0;
constexpr int kTone = 1;
constexpr int kPrompt = 2;
constexpr int kState = 3;
constexpr int kRepeat = 4;  // the rule, after the four of the record's fields
constexpr int kCount = 5;
// Design widths at 96 DPI; together the list's inner width.
constexpr int kDesignWidths[kCount] = {124, 110, 140, 72, 94};
}  // namespace col

// Where the fields of a full time "YYYY-MM-DD HH:MM:SS" start, and its length.
namespace timetext {
constexpr int kMonth = 5;
constexpr int kDay = 8;
constexpr int kHour = 11;
constexpr int kMinute = 14;
constexpr int kSecond = 17;
constexpr int kFullChars = 19;
}  // namespace timetext

constexpr int kMinuteChars = 16;

// The minute a full time text falls in (its first kMinuteChars characters;
// a shorter text whole).
std::string MinuteOf(std::string_view timeText);

// "YYYY-MM-DD HH:MM:SS" of t, the text of 短位时间.
std::string ShortTimeText(const LocalTime& t);

// True for "YYYY-MM-DD HH:MM" with digits where digits belong. Minute texts
// of this one shape order as their times do.
bool IsMinuteText(std::string_view s);

// The start of the minute a minute text names: nullopt unless it is
// "YYYY-MM-DD HH:MM" and a real date and time.
std::optional<LocalTime> MinuteStart(std::string_view minuteText);

// YYYYMMDDhhmmss from the fixed character positions of a full time text.
int64_t TimeNumber(std::string_view timeText);

}  // namespace ny
