// Faults the soak (bench/soak.cpp) found, each as the smallest run on the
// sim host that shows it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "program_fixture.h"
#include "store/alarmstore.h"

namespace ny::testing {
namespace {

class SoakFaults : public ProgramTest {};

// A one-time alarm whose ring could not be written (one file operation
// failed) and which the user then snoozed (that write went through) is set
// anew: the next minute's check must not write it as 已响 at its snoozed
// minute, or the list and ny.edb say it has rung before it has, and when the
// program is not running at that minute it is never told as missed.
TEST_F(SoakFaults, ASnoozedAlarmWhoseRingWasNotWrittenIsNotMarkedRungBeforeItRings) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 09:02:00", "甲");
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    // The ring's write fails (its third file operation: after the look at
    // the tone and at the store's stamp), the snooze's goes through.
    host().files.faults.failAt = host().files.ops + 3;
    host().boxAnswers.push_back({1});  // the ring box: snooze
    host().boxAnswers.push_back({0});  // the outage notice, as the ring's write ends
    host().advanceTo(At(2026, 12, 10, 9, 2, 30));
    ASSERT_EQ(boxesSaying("现在无法读写"), 1) << "the ring was not written";
    ASSERT_EQ(ringsOf("甲"), 1);
    ASSERT_EQ(boxesSaying("没有保存"), 0) << "the snooze was saved";
    host().advanceTo(At(2026, 12, 10, 9, 3, 30));
    EXPECT_EQ(row(0)[3], "未响");
    EXPECT_EQ(stored(), (std::vector<std::string>{"甲@2026-12-10 09:12:未响"}));
    // Not running at 09:12: the snoozed alarm is missed and must be told.
    restart(16 * 60 * 1000);
    EXPECT_EQ(boxesSaying("错过了 1 个闹钟"), 1);
}

// A one-time alarm snoozed while the check still rings others comes again
// at its snoozed minute, even when that minute passes while a later box of
// the same check is open: it is the same alarm at another minute.
TEST_F(SoakFaults, ASnoozeThatFallsDueWhileTheSameCheckRingsStillRings) {
    writeStore({MakeAlarm("2026-12-10 09:00", "甲"), MakeAlarm("2026-12-10 09:00", "乙")});
    start(At(2026, 12, 10, 8, 59, 30));
    host().boxAnswers.push_back({1});                      // 甲: snooze (10 minutes)
    host().boxAnswers.push_back({0, 12 * 60 * 1000});      // 乙: open until 09:12
    host().advanceTo(At(2026, 12, 10, 9, 13, 30));
    EXPECT_EQ(ringsOf("甲"), 2);
    EXPECT_EQ(ringsOf("乙"), 1);
}

}  // namespace
}  // namespace ny::testing
