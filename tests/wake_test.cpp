// The wake timer: always at the start of the earliest future minute of an
// alarm not yet rung, or cancelled when there is none.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "alarms/wake.h"
#include "host/alarmlist.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

class Wake : public ProgramTest {
protected:
    // An alarm straight into the book, as the store would read its record.
    void putRow(const std::string& minute, const std::string& state) {
        app().book.append(AlarmOfFields({"", "", minute, path("alarm.mp3"), "", state}));
    }
    void deleteRow(int r) {
        host().selectRow(Ctl::超级列表框1, r);
        click(Ctl::删除);
    }
    std::optional<LocalTime> armed() { return host().wakeAt; }
};

// The rule over the rows as they stand, now being 2026-03-07 09:00:20.
TEST_F(Wake, TheEarliestFutureMinuteOfAnAlarmNotYetRung) {
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, std::string>> rows;
        std::optional<LocalTime> expected;
    };
    const Case cases[] = {
        {"no rows", {}, std::nullopt},
        {"one future row", {{"2026-03-07 09:30", "未响"}}, At(2026, 3, 7, 9, 30, 0)},
        {"the earliest, wherever it stands",
         {{"2026-03-08 07:00", "未响"}, {"2026-03-07 09:01", "未响"}, {"2026-03-07 12:00", "未响"}},
         At(2026, 3, 7, 9, 1, 0)},
        {"rung rows do not count", {{"2026-03-07 09:05", "已响"}, {"2026-03-07 10:00", "未响"}},
         At(2026, 3, 7, 10, 0, 0)},
        {"the current minute is the check's, past ones are gone",
         {{"2026-03-07 09:00", "未响"}, {"2026-03-07 08:59", "未响"}}, std::nullopt},
        {"malformed or impossible minutes never come",
         {{"2026-3-7 09:10", "未响"},
          {"2026-03-07 9:10", "未响"},
          {"", "未响"},
          {"2026-02-30 09:10", "未响"},
          {"2026-03-07 24:00", "未响"},
          {"2026-03-07 11:11", "未响"}},
         At(2026, 3, 7, 11, 11, 0)},
        {"a year away", {{"2027-01-01 00:00", "未响"}}, At(2027, 1, 1, 0, 0, 0)},
    };
    start(At(2026, 3, 7, 9, 0, 20));
    for (const Case& c : cases) {
        app().book.takeAll();
        for (const auto& [minute, state] : c.rows) putRow(minute, state);
        EXPECT_EQ(NextWakeMinute(app()), c.expected) << c.what;
    }
}

// The host is asked again after everything that can change the answer.
TEST_F(Wake, ReArmedAfterEveryChange) {
    start(At(2026, 3, 7, 9, 0, 20));
    EXPECT_GE(host().wakeArmCalls, 1) << "start-up arms (or cancels) it";
    EXPECT_EQ(armed(), std::nullopt);

    add("2026-03-07 09:30:00");
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 30, 0)) << "after adding";
    add("2026-03-07 09:10:45");
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 10, 0)) << "an earlier one, at its minute's start";
    add("2026-03-07 10:00:00");
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 10, 0)) << "a later one changes nothing";

    deleteRow(1);  // 09:10
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 30, 0)) << "after deleting";

    host().advanceTo(At(2026, 3, 7, 9, 30, 30));  // the check rings 09:30
    ASSERT_EQ(row(0)[3], "已响");
    EXPECT_EQ(armed(), At(2026, 3, 7, 10, 0, 0)) << "after the check rang";

    // The clock is set: forward past 10:00 the catch-up rings it; none is left.
    host().setWallClock(At(2026, 3, 7, 11, 0, 5));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    EXPECT_EQ(armed(), std::nullopt) << "10:00 is past now";
    host().advance(60000);
    ASSERT_EQ(row(1)[3], "已响");
    EXPECT_EQ(armed(), std::nullopt) << "after the catch-up";
    // Back: 10:00 lies ahead again but has rung; a new one is what counts.
    add("2026-03-07 11:30:00");
    host().setWallClock(At(2026, 3, 7, 8, 0, 0));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    EXPECT_EQ(armed(), At(2026, 3, 7, 11, 30, 0)) << "after setting the clock back";

    click(Ctl::清空列表);
    EXPECT_EQ(armed(), std::nullopt) << "after clearing";
}

TEST_F(Wake, ArmedAtStartUpFromTheStoredAlarmsAndAfterAResume) {
    start(At(2026, 3, 7, 9, 0, 20));
    add("2026-03-07 09:05:00");
    add("2026-03-07 09:20:00");
    restart();
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 5, 0)) << "after a restart";
    // Asleep through 09:05: on waking the catch-up rings it and the timer moves on.
    host().sleep(10 * 60 * 1000);
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    EXPECT_EQ(row(0)[3], "已响");
    EXPECT_EQ(armed(), At(2026, 3, 7, 9, 20, 0)) << "after a resume";
}

}  // namespace
}  // namespace ny::testing
