// Date-time values and their text forms.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "host/datetime.h"

namespace ny {
namespace {

LocalTime T(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return LocalTime{y, mo, d, h, mi, s, ms};
}

std::string Show(const LocalTime& t) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d-%d-%d %d:%d:%d.%d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.millisecond);
    return buf;
}

TEST(DateTime, FormatDateTimePadsAndPicksParts) {
    const LocalTime march = T(2026, 3, 7, 9, 5, 3);
    constexpr Padding pad = Padding::TwoDigits, bare = Padding::None;
    constexpr DateTimeParts both = DateTimeParts::DateAndTime, date = DateTimeParts::DateOnly,
                            time = DateTimeParts::TimeOnly;
    struct Case {
        LocalTime t;
        Padding padding;
        DateTimeParts parts;
        const char* expected;
    } cases[] = {
        {march, pad, both, "2026-03-07 09:05:03"},
        {march, pad, date, "2026-03-07"},
        {march, pad, time, "09:05:03"},
        {march, bare, both, "2026-3-7 9:5:3"},
        {march, bare, date, "2026-3-7"},
        {march, bare, time, "9:5:3"},
        // Two-digit parts are left alone either way.
        {T(2026, 12, 31, 23, 59, 58), bare, both, "2026-12-31 23:59:58"},
        {T(2026, 12, 31, 23, 59, 58), pad, both, "2026-12-31 23:59:58"},
        // Midnight: zeros are padded like any other single digit.
        {T(2027, 1, 1, 0, 0, 0), pad, both, "2027-01-01 00:00:00"},
        {T(2027, 1, 1, 0, 0, 0), bare, time, "0:0:0"},
        // The year is never padded; milliseconds never show.
        {T(999, 1, 2, 3, 4, 5, 678), pad, both, "999-01-02 03:04:05"},
        {T(10000, 10, 10, 10, 10, 10), pad, date, "10000-10-10"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatDateTime(c.t, c.padding, c.parts), c.expected)
            << Show(c.t) << " padding " << int(c.padding) << " parts " << int(c.parts);
}

TEST(DateTime, StandardTextNamesTheWeekday) {
    struct Case {
        LocalTime t;
        const char* expected;
    } cases[] = {
        {T(2026, 12, 10, 14, 5, 3), "2026年12月10日 星期四 14:05:03"},
        {T(2026, 3, 7, 9, 5, 3, 999), "2026年3月7日 星期六 09:05:03"},
        {T(2026, 3, 8, 0, 0, 0), "2026年3月8日 星期日 00:00:00"},
        {T(2026, 3, 9, 23, 59, 59), "2026年3月9日 星期一 23:59:59"},
        {T(2000, 2, 29, 12, 0, 0), "2000年2月29日 星期二 12:00:00"},
        {T(2027, 1, 1, 0, 0, 0), "2027年1月1日 星期五 00:00:00"},
        {T(1970, 1, 1, 0, 0, 0), "1970年1月1日 星期四 00:00:00"},
        {T(1969, 12, 31, 8, 0, 0), "1969年12月31日 星期三 08:00:00"},
    };
    for (const Case& c : cases) EXPECT_EQ(StandardDateTimeText(c.t), c.expected) << Show(c.t);
}

TEST(DateTime, AddYearsKeepsTheDateOrFallsBackFrom29February) {
    struct Case {
        LocalTime t;
        int years;
        LocalTime expected;
    } cases[] = {
        {T(2024, 2, 29, 7, 30, 15, 250), 1, T(2025, 2, 28, 7, 30, 15, 250)},
        {T(2024, 2, 29), 4, T(2028, 2, 29)},
        {T(2024, 2, 29), -1, T(2023, 2, 28)},
        {T(2024, 2, 29), -4, T(2020, 2, 29)},
        {T(2096, 2, 29), 4, T(2100, 2, 28)},  // a century that is not a leap year
        {T(1996, 2, 29), 4, T(2000, 2, 29)},  // one that is
        {T(2024, 2, 28), 1, T(2025, 2, 28)},
        {T(2026, 3, 7, 9, 5, 3), 1, T(2027, 3, 7, 9, 5, 3)},
        {T(2026, 12, 31, 23, 59, 59, 999), 1, T(2027, 12, 31, 23, 59, 59, 999)},
        {T(2026, 1, 31), 0, T(2026, 1, 31)},
    };
    for (const Case& c : cases) {
        const LocalTime got = AddYears(c.t, c.years);
        EXPECT_EQ(got, c.expected) << Show(c.t) << " + " << c.years << " = " << Show(got);
    }
}

TEST(DateTime, ParseDateTimeReadsTheThreeForms) {
    struct Case {
        const char* text;
        LocalTime expected;
    } cases[] = {
        {"2026-3-7", T(2026, 3, 7)},
        {"2026-03-07", T(2026, 3, 7)},
        {"2026-03-07 09:05", T(2026, 3, 7, 9, 5, 0)},
        {"2026-03-07 09:05:03", T(2026, 3, 7, 9, 5, 3)},
        {"2026-3-7 9:5:3", T(2026, 3, 7, 9, 5, 3)},
        {"2026/3/7 9:5:3", T(2026, 3, 7, 9, 5, 3)},
        {"2026/12/31 23:59:59", T(2026, 12, 31, 23, 59, 59)},
        {"2024-02-29 00:00:00", T(2024, 2, 29)},
        {"2000-02-29", T(2000, 2, 29)},
        {"2026-04-30 12:00", T(2026, 4, 30, 12, 0, 0)},
    };
    for (const Case& c : cases) {
        const std::optional<LocalTime> got = ParseDateTime(c.text);
        ASSERT_TRUE(got.has_value()) << c.text;
        EXPECT_EQ(*got, c.expected) << c.text << " -> " << Show(*got);
    }
}

TEST(DateTime, ParseDateTimeRefusesWhatIsNotADateTime) {
    const char* bad[] = {
        "",
        "2026",
        "2026-03",
        "2026-03-",
        "2026-13-01",
        "2026-00-10",
        "2026-03-00",
        "2026-04-31",
        "2023-02-29",
        "2100-02-29",
        "2026-03-07 24:00",
        "2026-03-07 23:60",
        "2026-03-07 23:59:60",
        "2026-03-07 09",
        "2026-03-07 09:",
        "2026-03/07",
        "2026/03-07",
        "2026.03.07",
        "2026-03-07T09:05",
        "2026-03-07x",
        "2026-03-07 09:05:03x",
        "2026-03-07 09:05:03:01",
        "abcd-ef-gh ij:kl:mn",
        "短位时间",
        "2026-003-07",
        "2026-03-007",
    };
    for (const char* text : bad) {
        const std::optional<LocalTime> got = ParseDateTime(text);
        EXPECT_FALSE(got.has_value()) << '"' << text << "\" read as " << Show(*got);
    }
}

// Every second of a few years survives text and back, and the day count and
// weekday stay in step from one day to the next.
TEST(DateTime, PaddedTextRoundTripsOverYears) {
    const int64_t from = DaysFromCivil(2023, 12, 25);
    const int64_t to = DaysFromCivil(2029, 1, 10);
    int previousWeekday = -1;
    for (int64_t day = from; day <= to; ++day) {
        // A different time of day for each day, covering every hour, minute and second.
        const int64_t secondOfDay = (day * 7919) % 86400;
        const LocalTime t = CivilFromMs(day * 86400000 + secondOfDay * 1000);
        ASSERT_EQ(DaysFromCivil(t.year, t.month, t.day), day) << Show(t);
        ASSERT_EQ(MsFromCivil(t), day * 86400000 + secondOfDay * 1000) << Show(t);
        const std::optional<LocalTime> back = ParseDateTime(FormatDateTime(t, Padding::TwoDigits, DateTimeParts::DateAndTime));
        ASSERT_TRUE(back.has_value()) << FormatDateTime(t, Padding::TwoDigits, DateTimeParts::DateAndTime);
        ASSERT_EQ(*back, t) << FormatDateTime(t, Padding::TwoDigits, DateTimeParts::DateAndTime);
        const std::optional<LocalTime> unpadded = ParseDateTime(FormatDateTime(t, Padding::None, DateTimeParts::DateAndTime));
        ASSERT_TRUE(unpadded.has_value()) << FormatDateTime(t, Padding::None, DateTimeParts::DateAndTime);
        ASSERT_EQ(*unpadded, t) << FormatDateTime(t, Padding::None, DateTimeParts::DateAndTime);
        const int weekday = DayOfWeek(t);
        if (previousWeekday >= 0) {
            ASSERT_EQ(weekday, (previousWeekday + 1) % 7) << Show(t);
        }
        previousWeekday = weekday;
    }
}

TEST(DateTime, CivilConversionsAroundTheEpoch) {
    EXPECT_EQ(DaysFromCivil(1970, 1, 1), 0);
    EXPECT_EQ(DaysFromCivil(2000, 3, 1), 11017);
    EXPECT_EQ(DaysFromCivil(1969, 12, 31), -1);
    EXPECT_EQ(CivilFromMs(-1), T(1969, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(CivilFromMs(0), T(1970, 1, 1));
    EXPECT_EQ(CivilFromMs(951782400000 + 3723004), T(2000, 2, 29, 1, 2, 3, 4));
    EXPECT_EQ(MsFromCivil(T(1899, 12, 30)), -2209161600000);
}

}  // namespace
}  // namespace ny
