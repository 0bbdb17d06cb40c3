// Date-time values and their text forms. Pure functions: no clock is read
// here; the current time comes from Host::now().
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ny {

struct LocalTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0, millisecond = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// Days since 1970-01-01 (proleptic Gregorian) and back.
int64_t DaysFromCivil(int year, int month, int day);
LocalTime CivilFromMs(int64_t msSinceEpoch);
int64_t MsFromCivil(const LocalTime& t);
int DayOfWeek(const LocalTime& t);  // 0 = Sunday

// The standard long date-time text:
// "2026年12月10日 星期四 14:05:03".
std::string StandardDateTimeText(const LocalTime& t);

// Adds whole years; 29 February becomes 28 February in a common year.
LocalTime AddYears(const LocalTime& t, int years);

// Reads "YYYY-M-D", "YYYY-M-D H:M" or "YYYY-M-D H:M:S" (also with "/" in the
// date). nullopt when the text is not a valid date-time.
std::optional<LocalTime> ParseDateTime(std::string_view text);

// Whether month, day, hour, minute and second get a leading zero (the year
// never does).
enum class Padding { None, TwoDigits };
enum class DateTimeParts { DateAndTime, DateOnly, TimeOnly };

// "2026-03-07 09:05:03", or only its date or time part.
std::string FormatDateTime(const LocalTime& t, Padding padding, DateTimeParts parts);

}  // namespace ny
