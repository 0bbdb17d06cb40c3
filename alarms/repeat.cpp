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

struct RuleText {
    Repeat rule;
    std::string_view code, label;
};
constexpr RuleText kRules[] = {
    {Repeat::Once, "", ""},
    {Repeat::Daily, "D", "每天"},
    {Repeat::Weekdays, "W", "工作日"},
    {Repeat::Weekly, "7", "每周"},
};

const RuleText& TextsOf(Repeat r) {
    for (const RuleText& t : kRules)
        if (t.rule == r) return t;
    return kRules[0];
}

bool IsWeekend(const LocalTime& t) {
    const int d = DayOfWeek(t);
    return d == 0 || d == 6;
}

std::string MinuteText(const LocalTime& t) { return MinuteOf(ShortTimeText(t)); }

}  // namespace

Repeat RepeatOfCode(std::string_view code) {
    for (const RuleText& t : kRules)
        if (!t.code.empty() && t.code == code) return t.rule;
    return Repeat::Once;
}

std::string_view RepeatCode(Repeat r) { return TextsOf(r).code; }
std::string_view RepeatLabel(Repeat r) { return TextsOf(r).label; }

std::string MinuteCellText(std::string_view minute, Repeat r) {
    std::string s(minute);
    if (r != Repeat::Once) s += std::string(kLabelGap) + std::string(RepeatLabel(r));
    return s;
}

Repeat RepeatOfCell(std::string_view cell) {
    const std::string minute = MinuteOf(cell);
    for (const RuleText& t : kRules)
        if (!t.label.empty() && cell == MinuteCellText(minute, t.rule)) return t.rule;
    return Repeat::Once;
}

std::optional<std::string> NextOccurrence(std::string_view minute, Repeat r,
                                          std::string_view after) {
    if (r == Repeat::Once) return std::nullopt;
    const std::optional<LocalTime> start = MinuteStart(minute);
    const std::optional<LocalTime> limit = MinuteStart(after);
    if (!start || !limit) return std::nullopt;
    const int64_t startMs = MsFromCivil(*start);
    const int64_t limitMs = std::max(MsFromCivil(*limit), startMs);
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
        return MinuteText(t);
    }
}

}  // namespace ny
