#include "store/alarm.h"

#include <cstdio>

#include "host/datetime.h"
#include "host/uitexts.h"

namespace ny {

namespace {

constexpr int64_t kMsPerMinute = 60 * 1000;

struct RepeatCodeRow {
    Repeat rule;
    std::string_view code;
};
constexpr RepeatCodeRow kRepeatCodes[] = {
    {Repeat::Once, ""},
    {Repeat::Daily, "D"},
    {Repeat::Weekdays, "W"},
    {Repeat::Weekly, "7"},
};

struct StateCodeRow {
    RingState state;
    std::string_view code;
};
constexpr StateCodeRow kStateCodes[] = {
    {RingState::NotRung, txt::kNotRung},
    {RingState::Rung, txt::kRung},
    {RingState::Off, txt::kOff},
};
// The custom rule's code: this letter, then the weekdays' digits.
constexpr char kCustomCode = 'w';
constexpr int kDaysPerWeek = 7;

// Field positions in the record.
enum Field { kMonth, kRepeat, kTime, kTone, kPrompt, kState, kFieldCount };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Weekdays WeekdayBit(const LocalTime& t) {
    const int sundayFirst = DayOfWeek(t);  // 0 Sunday
    return static_cast<Weekdays>(1u << ((sundayFirst + kDaysPerWeek - 1) % kDaysPerWeek));
}

Repeat RepeatOfCode(std::string_view code, Weekdays* days) {
    if (days) *days = 0;
    for (const auto& row : kRepeatCodes)
        if (row.code == code) return row.rule;
    // "w" and at least one digit 1-7, ascending, none twice.
    if (code.size() < 2 || code.size() > 1 + kDaysPerWeek || code[0] != kCustomCode)
        return Repeat::Once;
    Weekdays mask = 0;
    char last = '0';
    for (char c : code.substr(1)) {
        if (c <= last || c > '0' + kDaysPerWeek) return Repeat::Once;
        mask |= static_cast<Weekdays>(1u << (c - '1'));
        last = c;
    }
    if (days) *days = mask;
    return Repeat::Custom;
}

std::string RepeatCode(Repeat r, Weekdays days) {
    if (r == Repeat::Custom) {
        std::string code(1, kCustomCode);
        for (int d = 0; d < kDaysPerWeek; ++d)
            if (days & (1u << d)) code += char('1' + d);
        return days ? code : std::string();
    }
    for (const auto& row : kRepeatCodes)
        if (row.rule == r) return std::string(row.code);
    return {};
}

RingState RingStateOfCode(std::string_view code) {
    for (const auto& row : kStateCodes)
        if (row.code == code) return row.state;
    return RingState::Rung;
}

std::string_view RingStateCode(RingState s) {
    for (const auto& row : kStateCodes)
        if (row.state == s) return row.code;
    return {};
}

Minute MinuteAt(const LocalTime& t) {
    const int64_t ms = MsFromCivil(t);
    // Whole minutes down, also before 1970.
    return ms >= 0 ? ms / kMsPerMinute : -((-ms + kMsPerMinute - 1) / kMsPerMinute);
}

LocalTime StartOfMinute(Minute m) { return CivilFromMs(m * kMsPerMinute); }

std::string MinuteText(Minute m) {
    std::string s;
    PutMinuteText(m, s);
    return s;
}

void PutMinuteText(Minute m, std::string& out) {
    if (m == kNoMinute) {
        out.clear();
        return;
    }
    const LocalTime t = CivilFromMs(m * kMsPerMinute);
    // Digits by hand: a store of 100,000 alarms formats as many.
    if (t.year < 0 || t.year > 9999) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                      t.minute);
        out = buf;
        return;
    }
    char s[] = "0000-00-00 00:00";
    auto two = [&](int at, int v) {
        s[at] = char('0' + v / 10);
        s[at + 1] = char('0' + v % 10);
    };
    two(0, t.year / 100);
    two(2, t.year % 100);
    two(5, t.month);
    two(8, t.day);
    two(11, t.hour);
    two(14, t.minute);
    out.assign(s, sizeof s - 1);
}

std::optional<Minute> MinuteOfText(std::string_view s) {
    constexpr std::string_view kShape = "dddd-dd-dd dd:dd";
    if (s.size() != kShape.size()) return std::nullopt;
    for (size_t i = 0; i < s.size(); ++i)
        if (kShape[i] == 'd' ? !IsDigit(s[i]) : s[i] != kShape[i]) return std::nullopt;
    auto num = [&](size_t at, size_t len) {
        int v = 0;
        for (size_t i = at; i < at + len; ++i) v = v * 10 + (s[i] - '0');
        return v;
    };
    LocalTime t{num(0, 4), num(5, 2), num(8, 2), num(11, 2), num(14, 2), 0, 0};
    if (t.month < 1 || t.month > 12 || t.day < 1 || t.hour > 23 || t.minute > 59)
        return std::nullopt;
    // 2026-02-30 is not a day: it would come back as another one.
    const int64_t ms = MsFromCivil(t);
    const LocalTime back = CivilFromMs(ms);
    if (back.year != t.year || back.month != t.month || back.day != t.day) return std::nullopt;
    return ms / kMsPerMinute;
}

std::string AlarmTimeText(const Alarm& a) {
    if (a.verbatim && a.verbatim->time) return *a.verbatim->time;
    return MinuteText(a.minute);
}

namespace {

// A copy of the verbatim texts with one of them dropped; null when none is left.
std::shared_ptr<const Alarm::Verbatim> Without(const std::shared_ptr<const Alarm::Verbatim>& v,
                                               std::optional<std::string> Alarm::Verbatim::*field) {
    if (!v || !((*v).*field)) return v;
    auto next = std::make_shared<Alarm::Verbatim>(*v);
    (*next).*field = std::nullopt;
    if (!next->month && !next->repeat && !next->time && !next->state) return nullptr;
    return next;
}

}  // namespace

void Alarm::setMinute(Minute m) {
    minute = m;
    verbatim = Without(verbatim, &Verbatim::time);
}

void Alarm::setRepeat(Repeat r, Weekdays d) {
    // A custom rule without a day is no rule.
    repeat = r == Repeat::Custom && (d & kAllWeekdays) == 0 ? Repeat::Once : r;
    days = repeat == Repeat::Custom ? Weekdays(d & kAllWeekdays) : Weekdays(0);
    verbatim = Without(verbatim, &Verbatim::repeat);
}

void Alarm::setState(RingState s) {
    state = s;
    verbatim = Without(verbatim, &Verbatim::state);
}

std::span<const std::string_view> AlarmFieldTexts::of(const Alarm& a) {
    static_assert(std::tuple_size_v<decltype(values_)> == kFieldCount);
    const Alarm::Verbatim* v = a.verbatim.get();
    values_[kMonth] = v && v->month ? std::string_view(*v->month) : std::string_view();
    if (v && v->repeat) {
        values_[kRepeat] = *v->repeat;
    } else {
        repeat_ = RepeatCode(a.repeat, a.days);
        values_[kRepeat] = repeat_;
    }
    if (v && v->time) {
        values_[kTime] = *v->time;
    } else {
        PutMinuteText(a.minute, time_);
        values_[kTime] = time_;
    }
    values_[kTone] = a.tone;
    values_[kPrompt] = a.prompt;
    values_[kState] = v && v->state ? std::string_view(*v->state) : RingStateCode(a.state);
    return values_;
}

void AlarmToFields(const Alarm& a, std::vector<std::string>& f) {
    AlarmFieldTexts texts;
    const auto values = texts.of(a);
    f.assign(values.begin(), values.end());
}

Alarm AlarmOfFields(std::vector<std::string>&& f) {
    f.resize(kFieldCount);
    Alarm a;
    Alarm::Verbatim v;
    bool odd = false;
    if (!f[kMonth].empty()) v.month = f[kMonth], odd = true;
    a.repeat = RepeatOfCode(f[kRepeat], &a.days);
    if (RepeatCode(a.repeat, a.days) != f[kRepeat]) v.repeat = f[kRepeat], odd = true;
    if (auto m = MinuteOfText(f[kTime])) a.minute = *m;
    else v.time = f[kTime], odd = true;
    a.state = RingStateOfCode(f[kState]);
    if (RingStateCode(a.state) != f[kState]) v.state = f[kState], odd = true;
    a.tone = std::move(f[kTone]);
    a.prompt = std::move(f[kPrompt]);
    if (odd) a.verbatim = std::make_shared<const Alarm::Verbatim>(std::move(v));
    return a;
}

}  // namespace ny
