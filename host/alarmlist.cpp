#include "host/alarmlist.h"

#include <cstdio>

#include "host/textops.h"

namespace ny {

std::string MinuteOf(std::string_view timeText) { return LeftChars(timeText, kMinuteChars); }

std::string ShortTimeText(const LocalTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return buf;
}

bool IsMinuteText(std::string_view s) { return MatchesPattern(s, "dddd-dd-dd dd:dd"); }

std::optional<LocalTime> MinuteStart(std::string_view minuteText) {
    if (!IsMinuteText(minuteText)) return std::nullopt;
    return ParseDateTime(std::string(minuteText) + ":00");  // 2026-02-30 never comes
}

int64_t TimeNumber(std::string_view t) {
    const std::string digits = MidChars(t, 1, 4) + MidChars(t, 6, 2) + MidChars(t, 9, 2) +
                               MidChars(t, 12, 2) + MidChars(t, 15, 2) + MidChars(t, 18, 2);
    return static_cast<int64_t>(TextToNumber(digits));
}

}  // namespace ny
