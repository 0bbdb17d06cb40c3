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
// Monday first, as the custom rule's digits count.
constexpr std::string_view kDayNames[kDaysPerWeek] = {"一", "二", "三", "四", "五", "六", "日"};
constexpr std::string_view kWeek = "周";
constexpr std::string_view kEveryWeek = "每周";

struct RuleLabel {
    Repeat rule;
    std::string_view label;
};
constexpr RuleLabel kLabels[] = {
    {Repeat::Once, ""},
    {Repeat::Daily, "每天"},
    {Repeat::Weekdays, "工作日"},
};

int DayIndex(Weekdays bit) {
    for (int d = 0; d < kDaysPerWeek; ++d)
        if (bit == (1u << d)) return d;
    return 0;
}

bool IsWeekend(const LocalTime& t) {
    const int d = DayOfWeek(t);
    return d == 0 || d == 6;
}

}  // namespace

std::string RepeatLabel(const Alarm& a) {
    if (a.repeat == Repeat::Weekly) {
        if (a.minute == kNoMinute) return std::string(kEveryWeek);
        return std::string(kEveryWeek) + std::string(kDayNames[DayIndex(WeekdayBit(StartOfMinute(a.minute)))]);
    }
    if (a.repeat == Repeat::Custom) {
        std::string s(kWeek);
        for (int d = 0; d < kDaysPerWeek; ++d)
            if (a.days & (1u << d)) s += std::string(kDayNames[d]);
        return s;
    }
    for (const RuleLabel& t : kLabels)
        if (t.rule == a.repeat) return std::string(t.label);
    return {};
}

std::optional<Minute> NextOccurrence(const Alarm& a, Minute after) {
    return NextOccurrence(a.minute, a.repeat, after, a.days);
}

std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after, Weekdays days) {
    const std::optional<Minute> m = MinuteOfText(minute), a = MinuteOfText(after);
    if (!m || !a) return std::nullopt;
    const std::optional<Minute> next = NextOccurrence(*m, r, *a, days);
    if (!next) return std::nullopt;
    return MinuteText(*next);
}

std::optional<Minute> NextOccurrence(Minute minute, Repeat r, Minute after, Weekdays days) {
    if (r == Repeat::Once || minute == kNoMinute) return std::nullopt;
    if (r == Repeat::Custom && (days & kAllWeekdays) == 0) return std::nullopt;
    const int64_t startMs = MsFromCivil(StartOfMinute(minute));
    const int64_t limitMs = std::max(MsFromCivil(StartOfMinute(after)), startMs);
    // Whole days from the start to the limit, so that an alarm missed for
    // years costs no more than one missed yesterday.
    const int64_t wholeDays = (limitMs - startMs) / kDayMs;
    int64_t step = 1;
    int64_t k = wholeDays;
    if (r == Repeat::Weekly) {
        step = kDaysPerWeek;
        k = wholeDays - wholeDays % kDaysPerWeek;
    } else if (r == Repeat::Weekdays || r == Repeat::Custom) {
        k = std::max<int64_t>(0, wholeDays - kDaysPerWeek);  // each chosen day lies within a week
    }
    for (;; k += step) {
        if (k == 0) continue;
        const LocalTime t = CivilFromMs(startMs + k * kDayMs);
        if (t.year > kLastYear) return std::nullopt;
        if (MsFromCivil(t) <= limitMs) continue;
        if (r == Repeat::Weekdays && IsWeekend(t)) continue;
        if (r == Repeat::Custom && !(days & WeekdayBit(t))) continue;
        return MinuteAt(t);
    }
}

}  // namespace ny
