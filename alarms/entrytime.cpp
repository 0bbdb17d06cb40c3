#include "alarms/entrytime.h"

namespace ny {

namespace {

constexpr std::string_view kIdeographicSpace = "\xE3\x80\x80";  // U+3000
constexpr std::string_view kFullWidthColon = "\xEF\xBC\x9A";    // U+FF1A
constexpr int64_t kDayMs = 24LL * 60 * 60 * 1000;

std::string_view Trimmed(std::string_view s) {
    for (bool cut = true; cut;) {
        cut = false;
        for (std::string_view blank : {std::string_view(" "), std::string_view("\t"), kIdeographicSpace}) {
            if (s.starts_with(blank)) s.remove_prefix(blank.size()), cut = true;
            if (s.ends_with(blank)) s.remove_suffix(blank.size()), cut = true;
        }
    }
    return s;
}

std::string WithPlainColons(std::string_view s) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        if (s.substr(i).starts_with(kFullWidthColon)) {
            out += ':';
            i += kFullWidthColon.size();
        } else {
            out += s[i++];
        }
    }
    return out;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// `pattern`: 'd' a digit, anything else itself.
bool Matches(std::string_view s, std::string_view pattern) {
    if (s.size() != pattern.size()) return false;
    for (size_t i = 0; i < s.size(); ++i)
        if (pattern[i] == 'd' ? !IsDigit(s[i]) : s[i] != pattern[i]) return false;
    return true;
}

int Number(std::string_view s) {
    int v = 0;
    for (char c : s) v = v * 10 + (c - '0');
    return v;
}

std::string Whole(const LocalTime& t) {
    return FormatDateTime(t, Padding::TwoDigits, DateTimeParts::DateAndTime);
}

// "H:MM", "HH:MM", "H:MM:SS" or "HH:MM:SS" as hour, minute and second.
std::optional<LocalTime> TimeOfDay(std::string_view s) {
    if (s.size() < 4) return std::nullopt;  // "H:MM" at least
    const size_t hourDigits = s.size() > 1 && s[1] == ':' ? 1 : 2;
    const std::string_view rest = s.substr(hourDigits);
    if (!Matches(s.substr(0, hourDigits), hourDigits == 1 ? "d" : "dd") ||
        !(Matches(rest, ":dd") || Matches(rest, ":dd:dd")))
        return std::nullopt;
    LocalTime t;
    t.hour = Number(s.substr(0, hourDigits));
    t.minute = Number(rest.substr(1, 2));
    t.second = rest.size() > 3 ? Number(rest.substr(4, 2)) : 0;
    if (t.hour > 23 || t.minute > 59 || t.second > 59) return std::nullopt;
    return t;
}

}  // namespace

std::optional<std::string> EntryTimeText(std::string_view typed, const LocalTime& now) {
    const std::string s = WithPlainColons(Trimmed(typed));
    if (Matches(s, "dddd-dd-dd dd:dd")) {
        const std::optional<LocalTime> t = ParseDateTime(s);
        if (!t) return std::nullopt;
        return Whole(*t);
    }
    std::optional<LocalTime> t = TimeOfDay(s);
    if (!t) return std::nullopt;
    t->year = now.year, t->month = now.month, t->day = now.day;
    LocalTime nowToTheSecond = now;
    nowToTheSecond.millisecond = 0;
    if (MsFromCivil(*t) <= MsFromCivil(nowToTheSecond)) {
        // Tomorrow: the date of a moment a day later, the time of day kept.
        const LocalTime next = CivilFromMs(MsFromCivil(*t) + kDayMs);
        t->year = next.year, t->month = next.month, t->day = next.day;
    }
    return Whole(*t);
}

}  // namespace ny
