// A time typed alone into the alarm entry stands for the next such moment.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "alarms/entrytime.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

TEST(EntryTime, TheNextSuchMomentOrTheWholeMinute) {
    struct Case {
        const char* typed;
        LocalTime now;
        std::optional<std::string> whole;
    } cases[] = {
        // still ahead today, passed: tomorrow
        {"7:30", At(2026, 12, 10, 6, 0, 0), "2026-12-10 07:30:00"},
        {"07:30", At(2026, 12, 10, 8, 0, 0), "2026-12-11 07:30:00"},
        {"17:05:09", At(2026, 12, 10, 17, 5, 8), "2026-12-10 17:05:09"},
        // the very second, and within the minute typed: already gone
        {"17:05:09", At(2026, 12, 10, 17, 5, 9, 0), "2026-12-11 17:05:09"},
        {"17:05", At(2026, 12, 10, 17, 5, 0, 1), "2026-12-11 17:05:00"},
        {"17:06", At(2026, 12, 10, 17, 5, 59, 999), "2026-12-10 17:06:00"},
        // the ends of months and years, a leap day
        {"6:00", At(2026, 12, 31, 23, 0, 0), "2027-01-01 06:00:00"},
        {"6:00", At(2026, 4, 30, 7, 0, 0), "2026-05-01 06:00:00"},
        {"6:00", At(2028, 2, 28, 7, 0, 0), "2028-02-29 06:00:00"},
        {"6:00", At(2027, 2, 28, 7, 0, 0), "2027-03-01 06:00:00"},
        // the day's edges
        {"23:59", At(2026, 12, 10, 23, 58, 59), "2026-12-10 23:59:00"},
        {"23:59", At(2026, 12, 31, 23, 59, 30), "2027-01-01 23:59:00"},
        {"00:00", At(2026, 12, 31, 23, 59, 59), "2027-01-01 00:00:00"},
        {"0:00", At(2026, 12, 10, 0, 0, 0), "2026-12-11 00:00:00"},
        // blanks around, the full-width colon of a Chinese input method
        {"  7:30\t", At(2026, 12, 10, 6, 0, 0), "2026-12-10 07:30:00"},
        {"\xE3\x80\x80" "7：30：15", At(2026, 12, 10, 6, 0, 0), "2026-12-10 07:30:15"},
        // a date and a minute: :00 added, whether past or not (the caller checks)
        {"2026-12-24 18:30", At(2026, 12, 10, 6, 0, 0), "2026-12-24 18:30:00"},
        {" 2026-12-01 18:30 ", At(2026, 12, 10, 6, 0, 0), "2026-12-01 18:30:00"},
        // anything else is left as it stands
        {"2026-12-24 18:30:00", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"2026-02-30 18:30", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"2026-12-24 24:00", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"24:00", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7:60", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7:5", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7:30:60", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7:30:5", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"123:00", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {":30", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7.30", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"7: 30", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"-7:30", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"", At(2026, 12, 10, 6, 0, 0), std::nullopt},
        {"   ", At(2026, 12, 10, 6, 0, 0), std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EntryTimeText(c.typed, c.now), c.whole)
            << "'" << c.typed << "' at " << FormatDateTime(c.now, Padding::TwoDigits, DateTimeParts::DateAndTime);
}

}  // namespace
}  // namespace ny::testing
