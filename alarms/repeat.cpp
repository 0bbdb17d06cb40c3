#include "alarms/repeat.h"

#include <algorithm>
#include <cstdio>

#include "host/alarmlist.h"
#include "host/datetime.h"

namespace ny {

namespace {

constexpr int64_t kDayMs = 24LL * 60 * 60 * 1000;
constexpr int kDaysPerWeek = 7;
constexpr int kLastYear = 9999;
// Between a minute and its rule in the list's cell.
constexpr std::string_view kLabelGap = "  ";

struct RuleLabel {
    Repeat rule;
    std::string_view label;
};
constexpr RuleLabel kLabels[] = {
    {Repeat::Once, ""},
    {Repeat::Daily, "每天"},
    {Repeat::Weekdays, "工作日"},
    {Repeat::Weekly, "每周"},
};

bool IsWeekend(const LocalTime& t) {
    const int d = DayOfWeek(t);
    return d == 0 || d == 6;
}

}  // namespace

std::string_view RepeatLabel(Repeat r) {
    for (const RuleLabel& t : kLabels)
        if (t.rule == r) return t.label;
    return {};
}

std::string MinuteCellText(std::string_view minute, Repeat r) {
    std::string s(minute);
    if (r != Repeat::Once) s += std::string(kLabelGap) + std::string(RepeatLabel(r));
    return s;
}

std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after) {
    const std::optional<Minute> m = MinuteOfText(minute), a = MinuteOfText(after);
    if (!m || !a) return std::nullopt;
    const std::optional<Minute> next = NextOccurrence(*m, r, *a);
    if (!next) return std::nullopt;
    return MinuteText(*next);
}

std::optional<Minute> NextOccurrence(Minute minute, Repeat r, Minute after) {
    if (r == Repeat::Once || minute == kNoMinute) return std::nullopt;
    const int64_t startMs = MsFromCivil(StartOfMinute(minute));
    const int64_t limitMs = std::max(MsFromCivil(StartOfMinute(after)), startMs);
    // Whole days from the start to the limit, so that an alarm missed for
    // years costs no more than one missed yesterday.
    const int64_t days = (limitMs - startMs) / kDayMs;
    int64_t step = 1;
    int64_t k = days;
    if (r == Repeat::Weekly) {
        step = kDaysPerWeek;
        k = days - days % kDaysPerWeek;
    } else if (r == Repeat::Weekdays) {
        k = std::max<int64_t>(0, days - kDaysPerWeek);  // a weekend lies within a week
    }
    for (;; k += step) {
        if (k == 0) continue;
        const LocalTime t = CivilFromMs(startMs + k * kDayMs);
        if (t.year > kLastYear) return std::nullopt;
        if (MsFromCivil(t) <= limitMs) continue;
        if (r == Repeat::Weekdays && IsWeekend(t)) continue;
        return MinuteAt(t);
    }
}

}  // namespace ny
