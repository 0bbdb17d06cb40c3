#include "host/datetime.h"

#include <cstdio>

namespace ny {

int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

static void CivilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(yoe + era * 400 + (m <= 2));
}

LocalTime CivilFromMs(int64_t ms) {
    int64_t days = ms >= 0 ? ms / 86400000 : (ms - 86399999) / 86400000;
    int64_t rest = ms - days * 86400000;
    LocalTime t;
    CivilFromDays(days, t.year, t.month, t.day);
    t.hour = static_cast<int>(rest / 3600000);
    t.minute = static_cast<int>(rest / 60000 % 60);
    t.second = static_cast<int>(rest / 1000 % 60);
    t.millisecond = static_cast<int>(rest % 1000);
    return t;
}

int64_t MsFromCivil(const LocalTime& t) {
    return DaysFromCivil(t.year, t.month, t.day) * 86400000 + t.hour * 3600000LL +
           t.minute * 60000LL + t.second * 1000LL + t.millisecond;
}

int DayOfWeek(const LocalTime& t) {
    int64_t d = DaysFromCivil(t.year, t.month, t.day);  // 1970-01-01 was a Thursday
    return static_cast<int>(((d % 7) + 7 + 4) % 7);
}

std::string StandardDateTimeText(const LocalTime& t) {
    static const char* const kWeek[] = {"日", "一", "二", "三", "四", "五", "六"};
    char buf[96];
    std::snprintf(buf, sizeof buf, "%d年%d月%d日 星期%s %02d:%02d:%02d", t.year, t.month,
                  t.day, kWeek[DayOfWeek(t)], t.hour, t.minute, t.second);
    return buf;
}

static bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

static int DaysInMonth(int y, int m) {
    static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

LocalTime AddYears(const LocalTime& t, int years) {
    LocalTime r = t;
    r.year += years;
    if (r.day > DaysInMonth(r.year, r.month)) r.day = DaysInMonth(r.year, r.month);
    return r;
}

std::optional<LocalTime> ParseDateTime(std::string_view s) {
    size_t i = 0;
    auto skipBlanks = [&] {
        while (i < s.size() && s[i] == ' ') ++i;
    };
    auto number = [&](int maxDigits, int& out) {
        size_t start = i;
        int v = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9' && i - start < size_t(maxDigits))
            v = v * 10 + (s[i++] - '0');
        out = v;
        return i > start;
    };
    LocalTime t;
    t.hour = t.minute = t.second = t.millisecond = 0;
    skipBlanks();
    if (!number(4, t.year)) return std::nullopt;
    char sep = i < s.size() ? s[i] : 0;
    if (sep != '-' && sep != '/') return std::nullopt;
    ++i;
    if (!number(2, t.month) || i >= s.size() || s[i] != sep) return std::nullopt;
    ++i;
    if (!number(2, t.day)) return std::nullopt;
    skipBlanks();
    if (i < s.size()) {
        if (!number(2, t.hour) || i >= s.size() || s[i] != ':') return std::nullopt;
        ++i;
        if (!number(2, t.minute)) return std::nullopt;
        if (i < s.size() && s[i] == ':') {
            ++i;
            if (!number(2, t.second)) return std::nullopt;
        }
        skipBlanks();
        if (i != s.size()) return std::nullopt;
    }
    if (t.year < 100 || t.month < 1 || t.month > 12 || t.day < 1 ||
        t.day > DaysInMonth(t.year, t.month) || t.hour > 23 || t.minute > 59 || t.second > 59)
        return std::nullopt;
    return t;
}

std::string FormatDateTime(const LocalTime& t, Padding padding, DateTimeParts parts) {
    auto part = [&](int v) {
        std::string s = std::to_string(v);
        if (padding == Padding::TwoDigits && s.size() == 1) s = "0" + s;
        return s;
    };
    const std::string date = std::to_string(t.year) + "-" + part(t.month) + "-" + part(t.day);
    const std::string time = part(t.hour) + ":" + part(t.minute) + ":" + part(t.second);
    switch (parts) {
        case DateTimeParts::DateOnly: return date;
        case DateTimeParts::TimeOnly: return time;
        case DateTimeParts::DateAndTime: break;
    }
    return date + " " + time;
}

}  // namespace ny
