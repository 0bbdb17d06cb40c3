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
};

// Field positions in the record.
enum Field { kMonth, kRepeat, kTime, kTone, kPrompt, kState, kFieldCount };

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

Repeat RepeatOfCode(std::string_view code) {
    for (const auto& row : kRepeatCodes)
        if (row.code == code) return row.rule;
    return Repeat::Once;
}

std::string_view RepeatCode(Repeat r) {
    for (const auto& row : kRepeatCodes)
        if (row.rule == r) return row.code;
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
    if (m == kNoMinute) return {};
    const LocalTime t = CivilFromMs(m * kMsPerMinute);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d", t.year, t.month, t.day, t.hour,
                  t.minute);
    return buf;
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

void Alarm::setRepeat(Repeat r) {
    repeat = r;
    verbatim = Without(verbatim, &Verbatim::repeat);
}

void Alarm::setState(RingState s) {
    state = s;
    verbatim = Without(verbatim, &Verbatim::state);
}

void AlarmToFields(const Alarm& a, std::vector<std::string>& f) {
    f.resize(kFieldCount);
    const Alarm::Verbatim* v = a.verbatim.get();
    f[kMonth] = v && v->month ? *v->month : std::string();
    f[kRepeat] = v && v->repeat ? *v->repeat : std::string(RepeatCode(a.repeat));
    f[kTime] = AlarmTimeText(a);
    f[kTone] = a.tone;
    f[kPrompt] = a.prompt;
    f[kState] = v && v->state ? *v->state : std::string(RingStateCode(a.state));
}

Alarm AlarmOfFields(std::vector<std::string>&& f) {
    f.resize(kFieldCount);
    Alarm a;
    Alarm::Verbatim v;
    bool odd = false;
    if (!f[kMonth].empty()) v.month = f[kMonth], odd = true;
    a.repeat = RepeatOfCode(f[kRepeat]);
    if (RepeatCode(a.repeat) != f[kRepeat]) v.repeat = f[kRepeat], odd = true;
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
