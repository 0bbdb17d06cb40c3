// Repeating alarms: the next occurrence, the list menu's 重复, what ringing
// and the missed-alarm notice do with them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/repeat.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

TEST(NextOccurrence, Table) {
    struct Case {
        const char* minute;
        Repeat rule;
        const char* after;
        std::optional<std::string> next;
    } cases[] = {
        // a ring at its own minute
        {"2026-12-10 07:30", Repeat::Daily, "2026-12-10 07:30", "2026-12-11 07:30"},
        {"2026-01-31 07:00", Repeat::Daily, "2026-01-31 07:00", "2026-02-01 07:00"},
        {"2026-12-31 23:59", Repeat::Daily, "2026-12-31 23:59", "2027-01-01 23:59"},
        {"2028-02-28 06:00", Repeat::Daily, "2028-02-28 06:00", "2028-02-29 06:00"},
        {"2027-02-28 06:00", Repeat::Daily, "2027-02-28 06:00", "2027-03-01 06:00"},
        {"2028-02-29 06:00", Repeat::Weekly, "2028-02-29 06:00", "2028-03-07 06:00"},
        {"2026-12-28 08:00", Repeat::Weekly, "2026-12-28 08:00", "2027-01-04 08:00"},
        {"2026-12-10 07:30", Repeat::Weekdays, "2026-12-10 07:30", "2026-12-11 07:30"},  // Thu → Fri
        {"2026-12-11 07:30", Repeat::Weekdays, "2026-12-11 07:30", "2026-12-14 07:30"},  // Fri → Mon
        {"2026-12-12 07:30", Repeat::Weekdays, "2026-12-12 07:30", "2026-12-14 07:30"},  // set on a Saturday
        {"2027-12-31 07:30", Repeat::Weekdays, "2027-12-31 07:30", "2028-01-03 07:30"},  // Fri, year end
        // a ring caught up later (asleep, a long box): strictly after the current minute
        {"2026-12-10 07:30", Repeat::Daily, "2026-12-10 07:45", "2026-12-11 07:30"},
        // missed for a while: the first one after the start
        {"2026-12-01 07:30", Repeat::Daily, "2026-12-10 06:00", "2026-12-10 07:30"},
        {"2026-12-01 07:30", Repeat::Daily, "2026-12-10 07:30", "2026-12-11 07:30"},
        {"2020-01-01 07:30", Repeat::Daily, "2026-12-10 09:00", "2026-12-11 07:30"},
        {"2026-12-03 07:00", Repeat::Weekly, "2026-12-10 06:59", "2026-12-10 07:00"},
        {"2026-12-03 07:00", Repeat::Weekly, "2026-12-10 07:00", "2026-12-17 07:00"},
        {"2026-12-11 07:30", Repeat::Weekdays, "2026-12-12 10:00", "2026-12-14 07:30"},  // missed over a weekend
        // the clock set back before the alarm: it still moves on one step
        {"2026-12-11 07:30", Repeat::Daily, "2026-12-01 07:30", "2026-12-12 07:30"},
        {"2026-12-11 07:30", Repeat::Weekdays, "2026-11-01 00:00", "2026-12-14 07:30"},
        // nothing next
        {"2026-12-10 07:30", Repeat::Once, "2026-12-10 07:30", std::nullopt},
        {"2026-12-10 7:30", Repeat::Daily, "2026-12-10 07:30", std::nullopt},
        {"2026-02-30 07:30", Repeat::Daily, "2026-12-10 07:30", std::nullopt},
        {"9999-12-31 07:30", Repeat::Daily, "9999-12-31 07:30", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(NextOccurrence(c.minute, c.rule, c.after), c.next) << c.minute << " after " << c.after;
}

TEST(RepeatTexts, CodesAndLabelsOfEveryRule) {
    struct Case {
        Repeat rule;
        Weekdays days;
        std::string code, label;  // label of an alarm on Friday 2026-12-11
    } cases[] = {
        {Repeat::Once, 0, "", ""},
        {Repeat::Daily, 0, "D", "每天"},
        {Repeat::Weekdays, 0, "W", "工作日"},
        {Repeat::Weekly, 0, "7", "每周五"},
        {Repeat::Custom, 0b0010101, "w135", "周一三五"},
        {Repeat::Custom, 0b1000000, "w7", "周日"},
        {Repeat::Custom, kAllWeekdays, "w1234567", "周一二三四五六日"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RepeatCode(c.rule, c.days), c.code);
        Weekdays days = 0xFF;
        EXPECT_EQ(RepeatOfCode(c.code, &days), c.rule) << c.code;
        EXPECT_EQ(days, c.days) << c.code;
        Alarm a = MakeAlarm("2026-12-11 07:30");
        a.setRepeat(c.rule, c.days);
        EXPECT_EQ(RepeatLabel(a), c.label) << c.code;
    }
    // Codes from a later version, or malformed: once.
    for (const char* odd : {"X", "d", "w", "w31", "w11", "w8", "w0", "W1", "w12345678", " D"})
        EXPECT_EQ(RepeatOfCode(odd), Repeat::Once) << odd;
}

class Repeating : public ProgramTest {
protected:
    static constexpr Ctl kList = Ctl::超级列表框1;
    void setRepeat(int r, Ctl item) {
        host().selectRow(kList, r);
        host().raise(Ev::RightClick, kList);
        click(item);
    }
    // Straight into the store, as an earlier run would have left it.
    void storeAlarm(const std::string& minute, const std::string& code,
                    const std::string& state = "未响", const std::string& prompt = "") {
        appendRecord({"", code, minute, path("alarm.mp3"), prompt, state});
    }
};

TEST_F(Repeating, TheMenuWritesTheRuleAndTheListShowsIt) {
    start(At(2026, 12, 10, 6, 0, 0));
    add("2026-12-11 07:30:00", "起床");
    add("2026-12-11 08:00:00", "出门");
    struct Case {
        Ctl item;
        const char* cell;
    } cases[] = {
        {Ctl::重复_每天, "2026-12-11 07:30  每天"},
        {Ctl::重复_工作日, "2026-12-11 07:30  工作日"},
        {Ctl::重复_每周, "2026-12-11 07:30  每周五"},
        {Ctl::重复_不重复, "2026-12-11 07:30"},
        {Ctl::重复_每天, "2026-12-11 07:30  每天"},
    };
    for (const Case& c : cases) {
        setRepeat(0, c.item);
        EXPECT_EQ(row(0)[0], c.cell);
        EXPECT_EQ(row(1)[0], "2026-12-11 08:00");
        // The next time the menu opens on that row, its rule is the one checked.
        host().raise(Ev::RightClick, kList);
        for (Ctl i : {Ctl::重复_不重复, Ctl::重复_每天, Ctl::重复_工作日, Ctl::重复_每周})
            EXPECT_EQ(host().menuChecks[i], i == c.item) << c.cell;
    }
    restart();
    EXPECT_EQ(row(0)[0], "2026-12-11 07:30  每天");
    EXPECT_EQ(row(1)[0], "2026-12-11 08:00");
}

TEST_F(Repeating, AFailedWriteLeavesTheRowAndIsTold) {
    start(At(2026, 12, 10, 6, 0, 0));
    add("2026-12-11 07:30:00", "起床");
    const std::string before = readFile("ny.edb");
    host().files.faults.failWrites = "磁盘已满。";
    setRepeat(0, Ctl::重复_每天);
    EXPECT_EQ(row(0)[0], "2026-12-11 07:30");
    EXPECT_EQ(readFile("ny.edb"), before);
    ASSERT_FALSE(host().boxes.empty());
    EXPECT_NE(host().boxes.back().text.find("磁盘已满"), std::string::npos);
    // Nothing selected: nothing to change.
    host().files.faults.failWrites.reset();
    host().selectRow(kList, -1);
    click(Ctl::重复_每天);
    EXPECT_EQ(readFile("ny.edb"), before);
}

TEST_F(Repeating, RingingMovesItToTheNextOccurrenceStillNotRung) {
    struct Case {
        Ctl item;
        LocalTime at;   // a Friday
        const char* next;
    } cases[] = {
        {Ctl::重复_每天, At(2026, 12, 11, 7, 30, 0), "2026-12-12 07:30"},
        {Ctl::重复_工作日, At(2026, 12, 11, 7, 30, 0), "2026-12-14 07:30"},
        {Ctl::重复_每周, At(2026, 12, 11, 7, 30, 0), "2026-12-18 07:30"},
        {Ctl::重复_不重复, At(2026, 12, 11, 7, 30, 0), nullptr},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path("ny.edb"));
        start(At(2026, 12, 11, 7, 29, 0));
        add("2026-12-11 07:30:00", "起床");
        setRepeat(0, c.item);
        host().advanceTo(At(2026, 12, 11, 7, 30, 30));
        EXPECT_EQ(plays().size(), 1u);
        ASSERT_FALSE(host().boxes.empty());
        EXPECT_EQ(host().boxes.back().text, "起床");
        if (c.next) {
            EXPECT_EQ(MinuteOf(row(0)[0]), c.next);
            EXPECT_EQ(row(0)[3], "未响");
            EXPECT_EQ(host().wakeAt, MinuteStart(c.next));
        } else {
            EXPECT_EQ(row(0)[0], "2026-12-11 07:30");
            EXPECT_EQ(row(0)[3], "已响");
        }
        const auto shown = row(0);
        restart();
        EXPECT_EQ(row(0), shown) << "the store holds what the list shows";
        // It does not ring again before its next occurrence.
        host().advanceTo(At(2026, 12, 11, 9, 0, 0));
        EXPECT_TRUE(plays().empty());
    }
}

TEST_F(Repeating, ARingWhoseWriteFailsStillSoundsAndKeepsTheRow) {
    start(At(2026, 12, 11, 7, 29, 0));
    add("2026-12-11 07:30:00", "起床");
    setRepeat(0, Ctl::重复_每天);
    host().files.faults.failWrites = "磁盘已满。";
    host().boxAnswers.push_back({});  // the ring's box, at once
    // The failure is told once the write has ended, over the ring's box.
    host().boxAnswers.push_back({0, 0, [&] { host().files.faults.failWrites.reset(); }});
    host().advanceTo(At(2026, 12, 11, 7, 30, 20));
    EXPECT_EQ(plays().size(), 1u);
    EXPECT_EQ(row(0)[0], "2026-12-11 07:30  每天");
    EXPECT_EQ(row(0)[3], "未响");
    ASSERT_GE(host().boxes.size(), 2u);
    EXPECT_EQ(host().boxes[0].text, "起床");
    EXPECT_NE(host().boxes[1].text.find("磁盘已满"), std::string::npos);
}

TEST_F(Repeating, MissedOnesAreToldOnceThenMovedToTheirNextOccurrence) {
    // The program was last run on Tuesday; it starts again on Saturday 09:00.
    start(At(2026, 12, 8, 6, 0, 0));
    storeAlarm("2026-12-08 07:30", "D", "未响", "每天起床");
    storeAlarm("2026-12-09 07:00", "W", "未响", "上班");
    storeAlarm("2026-12-09 08:00", "", "未响", "一次");
    storeAlarm("2026-12-10 09:30", "7", "未响", "周会");
    storeAlarm("2026-12-12 10:00", "D", "未响", "还没到");
    start(At(2026, 12, 12, 9, 0, 30));
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].text,
              "程序没有运行时错过了 4 个闹钟：\n2026-12-08 07:30  每天起床\n2026-12-09 07:00  上班\n"
              "2026-12-09 08:00  一次\n2026-12-10 09:30  周会");
    EXPECT_TRUE(plays().empty());
    const std::vector<std::vector<std::string>> expected = {
        {"2026-12-13 07:30  每天", path("alarm.mp3"), "每天起床", "未响"},
        {"2026-12-14 07:00  工作日", path("alarm.mp3"), "上班", "未响"},
        {"2026-12-09 08:00", path("alarm.mp3"), "一次", "已响"},
        {"2026-12-17 09:30  每周四", path("alarm.mp3"), "周会", "未响"},
        {"2026-12-12 10:00  每天", path("alarm.mp3"), "还没到", "未响"},
    };
    for (int r = 0; r < 5; ++r) EXPECT_EQ(row(r), expected[size_t(r)]) << r;
    EXPECT_EQ(host().wakeAt, At(2026, 12, 12, 10, 0, 0));
    restart();
    EXPECT_TRUE(host().boxes.empty()) << "told once";
    for (int r = 0; r < 5; ++r) EXPECT_EQ(row(r), expected[size_t(r)]) << r;
}

TEST_F(Repeating, AMissedOneDueAtTheStartMinuteIsLeftToTheCheck) {
    start(At(2026, 12, 8, 6, 0, 0));
    storeAlarm("2026-12-08 07:30", "D", "未响", "起床");
    start(At(2026, 12, 10, 7, 30, 10));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"程序没有运行时错过了 1 个闹钟：\n2026-12-08 07:30  起床"});
    EXPECT_EQ(row(0)[0], "2026-12-10 07:30  每天");
    host().advanceTo(At(2026, 12, 10, 7, 31, 10));
    EXPECT_EQ(plays().size(), 1u) << "today's 07:30 still rings";
    EXPECT_EQ(row(0)[0], "2026-12-11 07:30  每天");
}

TEST_F(Repeating, AFailedWriteAfterTheNoticeLeavesTheRows) {
    start(At(2026, 12, 8, 6, 0, 0));
    storeAlarm("2026-12-08 07:30", "D", "未响", "起床");
    const std::string before = readFile("ny.edb");
    beforeStart = [&] {
        host().boxAnswers.push_back({0, 0, [&] { host().files.faults.failWrites = "磁盘已满。"; }});
    };
    start(At(2026, 12, 10, 9, 0, 0));
    EXPECT_EQ(row(0)[0], "2026-12-08 07:30  每天");
    EXPECT_EQ(row(0)[3], "未响");
    EXPECT_EQ(readFile("ny.edb"), before);
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_NE(host().boxes[1].text.find("磁盘已满"), std::string::npos);
}

}  // namespace
}  // namespace ny::testing
