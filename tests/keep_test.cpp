// Alarms people keep: switched off and on, any weekdays, skipping once,
// removing the rung ones, the next alarm's label, the list's column widths.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/nextalarm.h"
#include "alarms/repeat.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

constexpr Ctl kList = Ctl::超级列表框1;

class Keep : public ProgramTest {
protected:
    void menu(int r, Ctl item) {
        host().selectRow(kList, r);
        host().raise(Ev::RightClick, kList);
        click(item);
    }
    void checkBox(int r) { host().raise(Ev::RowCheckClicked, kList, r); }
    std::vector<std::string> storedStates() {
        SimFiles reader;
        std::vector<std::string> out;
        for (const Alarm& a : AlarmStore(reader, dir()).loadOrCreate("x").alarms) {
            std::vector<std::string> f;
            AlarmToFields(a, f);
            out.push_back(f[1] + "|" + f[2] + "|" + f[5]);
        }
        return out;
    }
    int ringsOf(const std::string& prompt) {
        int n = 0;
        for (const auto& b : host().boxes) n += b.text == prompt && !b.second.empty();
        return n;
    }
};

TEST_F(Keep, AnAlarmSwitchedOffNeverRingsAndIsNeverMissed) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 08:01:00", "关");
    add("2026-12-10 08:01:00", "开");
    checkBox(0);
    EXPECT_EQ(row(0)[3], "停用");
    EXPECT_EQ(storedStates()[0], "|2026-12-10 08:01|停用");
    const RowLook off = app().alarmView->rowLook(0), on = app().alarmView->rowLook(1);
    EXPECT_TRUE(off.checkBox && !off.checked && off.dimmed);
    EXPECT_TRUE(on.checkBox && on.checked && !on.dimmed);
    host().advanceTo(At(2026, 12, 10, 8, 1, 30));
    EXPECT_EQ(ringsOf("关"), 0) << "not even in its exact minute";
    EXPECT_EQ(ringsOf("开"), 1);
    // Neither after a restart as missed.
    add("2026-12-10 08:05:00", "也关");
    menu(2, Ctl::停用);
    host().raise(Ev::RightClick, kList);
    EXPECT_EQ(host().text(Ctl::停用), "启用") << "the same item switches it on again";
    restart(10 * 60 * 1000);
    for (const auto& b : host().boxes) EXPECT_EQ(b.text.find("错过"), std::string::npos) << b.text;
    EXPECT_EQ(row(2)[3], "停用");
}

TEST_F(Keep, SwitchingOnBringsTheAlarmBackAsItsKindAsks) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 09:00:00", "一次，未到");
    add("2026-12-10 08:01:00", "一次，已过");
    add("2026-12-10 08:02:00", "每天");
    menu(2, Ctl::重复_每天);
    for (int r = 0; r < 3; ++r) checkBox(r);
    host().advanceTo(At(2026, 12, 10, 8, 30, 0));
    EXPECT_TRUE(host().boxes.empty()) << "nothing rang while off";

    checkBox(0);
    EXPECT_EQ(row(0)[0], "2026-12-10 09:00");
    EXPECT_EQ(row(0)[3], "未响");
    checkBox(2);
    EXPECT_EQ(row(2)[0], "2026-12-11 08:02  每天") << "its next occurrence after now";
    EXPECT_EQ(row(2)[3], "未响");
    // A one-time alarm whose time has passed: opened for editing, said why.
    checkBox(1);
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find("时间已经过了"), std::string::npos);
    EXPECT_EQ(row(1)[3], "停用") << "still off until saved";
    EXPECT_EQ(host().text(Ctl::添加), "保存");
    EXPECT_EQ(host().text(Ctl::编辑框1), "2026-12-10 08:01:00");
    add("2026-12-10 10:00:00", "一次，改了");
    EXPECT_EQ(row(1), (std::vector<std::string>{"2026-12-10 10:00", path("alarm.mp3"), "一次，改了", "未响"}));
    EXPECT_EQ(rows(), 3);
}

TEST_F(Keep, AnyWeekdaysThroughTheDialog) {
    start(At(2026, 12, 10, 8, 0, 0));  // a Thursday
    add("2026-12-10 09:00:00", "周会");
    host().weekdayAnswers.push_back(uint8_t(0b0010101));  // Monday, Wednesday, Friday
    menu(0, Ctl::重复_自定义);
    ASSERT_EQ(host().weekdaysAsked, std::vector<uint8_t>{0b0001000}) << "its own weekday ticked first";
    EXPECT_EQ(row(0)[0], "2026-12-10 09:00  周一三五");
    EXPECT_EQ(storedStates()[0], "w135|2026-12-10 09:00|未响");
    host().raise(Ev::RightClick, kList);
    EXPECT_TRUE(host().menuChecks[Ctl::重复_自定义]);
    // Opened again: the rule's days; 取消 changes nothing.
    menu(0, Ctl::重复_自定义);
    EXPECT_EQ(host().weekdaysAsked.back(), 0b0010101);
    EXPECT_EQ(storedStates()[0], "w135|2026-12-10 09:00|未响");
    // It rings on Thursday (its own minute), then next on Friday.
    host().advanceTo(At(2026, 12, 10, 9, 0, 30));
    EXPECT_EQ(row(0)[0], "2026-12-11 09:00  周一三五");
    restart();
    EXPECT_EQ(row(0)[0], "2026-12-11 09:00  周一三五") << "read back";
}

TEST(KeepRules, NextOccurrenceOfEveryRuleAcrossAWeekAndAMonthEnd) {
    // 2026-12-28 is a Monday; the month and the year end on Thursday.
    struct Case {
        Repeat rule;
        Weekdays days;
        const char* after;
        const char* next;
    } cases[] = {
        {Repeat::Daily, 0, "2026-12-31 07:30", "2027-01-01 07:30"},
        {Repeat::Weekdays, 0, "2027-01-01 07:30", "2027-01-04 07:30"},
        {Repeat::Weekly, 0, "2026-12-28 07:30", "2027-01-04 07:30"},
        {Repeat::Custom, 0b0010101, "2026-12-28 07:30", "2026-12-30 07:30"},
        {Repeat::Custom, 0b0010101, "2026-12-30 07:30", "2027-01-01 07:30"},
        {Repeat::Custom, 0b0010101, "2027-01-01 07:30", "2027-01-04 07:30"},
        {Repeat::Custom, 0b1000000, "2026-12-28 07:29", "2027-01-03 07:30"},
        {Repeat::Custom, 0b0000001, "2026-12-28 07:30", "2027-01-04 07:30"},
        {Repeat::Custom, 0, "2026-12-28 07:30", nullptr},
    };
    for (const Case& c : cases) {
        const auto next = NextOccurrence("2026-12-28 07:30", c.rule, c.after, c.days);
        if (c.next) EXPECT_EQ(next, std::optional<std::string>(c.next)) << c.after;
        else EXPECT_EQ(next, std::nullopt) << c.after;
    }
}

TEST_F(Keep, ARuleSetOnARungAlarmBringsItBack) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 08:01:00", "起床");
    host().advanceTo(At(2026, 12, 10, 8, 5, 0));
    ASSERT_EQ(row(0)[3], "已响");
    menu(0, Ctl::重复_每天);
    EXPECT_EQ(row(0), (std::vector<std::string>{"2026-12-11 08:01  每天", path("alarm.mp3"), "起床", "未响"}));
}

TEST_F(Keep, SkipOnceMovesToTheOccurrenceAfterTheNext) {
    start(At(2026, 12, 10, 8, 0, 0));  // Thursday
    add("2026-12-10 09:00:00", "上班");
    menu(0, Ctl::重复_工作日);
    host().raise(Ev::RightClick, kList);
    EXPECT_TRUE(host().enabled(Ctl::跳过下一次));
    menu(0, Ctl::跳过下一次);
    EXPECT_EQ(row(0)[0], "2026-12-11 09:00  工作日");
    menu(0, Ctl::跳过下一次);
    EXPECT_EQ(row(0)[0], "2026-12-14 09:00  工作日") << "over the weekend";
    EXPECT_EQ(row(0)[3], "未响");
    add("2026-12-10 10:00:00", "一次");
    host().selectRow(kList, 1);
    host().raise(Ev::RightClick, kList);
    EXPECT_FALSE(host().enabled(Ctl::跳过下一次)) << "a one-time alarm has no next";
}

TEST_F(Keep, DeleteTheRungOnesAfterAQuestionWhoseDefaultIsNo) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 08:01:00", "响过");
    add("2026-12-10 08:01:00", "每天");
    menu(1, Ctl::重复_每天);
    add("2026-12-10 09:00:00", "未到");
    host().advanceTo(At(2026, 12, 10, 8, 3, 0));
    host().boxes.clear();
    host().boxAnswers.push_back({1});  // 否
    menu(0, Ctl::删除已响的闹钟);
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].text, "确定删除 1 个已响的闹钟吗？");
    EXPECT_EQ(host().boxes[0].kind, BoxKind::YesNoDefaultNo);
    EXPECT_EQ(rows(), 3);
    menu(0, Ctl::删除已响的闹钟);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(row(0)[2], "每天");
    EXPECT_EQ(row(1)[2], "未到");
    EXPECT_EQ(storedStates().size(), 2u);
}

TEST(KeepRules, TheNextAlarmLabelSaysHowLongUntilIt) {
    AlarmBook book;
    const LocalTime now = At(2026, 12, 11, 2, 9, 0);
    EXPECT_EQ(NextAlarmText(book, now), "没有待响的闹钟");
    struct Case {
        const char* minute;
        const char* prompt;
        std::string text;
    } cases[] = {
        {"2026-12-11 07:30", "起床", "下一个闹钟：12-11 07:30 起床（还有 5 小时 21 分钟）"},
        {"2026-12-11 02:21", "", "下一个闹钟：12-11 02:21（还有 12 分钟）"},
        {"2026-12-11 03:09", "", "下一个闹钟：12-11 03:09（还有 1 小时）"},
        {"2026-12-11 02:09", "现在", "下一个闹钟：12-11 02:09 现在（不到 1 分钟）"},
        {"2026-12-13 05:09", "", "下一个闹钟：12-13 05:09（还有 2 天 3 小时）"},
        {"2026-12-11 07:30", "一二三四五六七八九十一二三四五六七", "下一个闹钟：12-11 07:30 一二三四五六七八九十一二三四五六…（还有 5 小时 21 分钟）"},
    };
    for (const Case& c : cases) {
        book.takeAll();
        book.append(MakeAlarm(c.minute, c.prompt));
        book.append(MakeAlarm("2026-12-11 01:00", "过去"));
        book.append(MakeAlarm("2026-12-14 00:00", "关", "", RingState::Off));
        EXPECT_EQ(NextAlarmText(book, now), c.text);
    }
    book.takeAll();
    book.append(MakeAlarm("2026-12-11 02:10", ""));
    EXPECT_EQ(NextAlarmText(book, At(2026, 12, 11, 2, 9, 1)), "下一个闹钟：12-11 02:10（不到 1 分钟）");
}

TEST_F(Keep, TheLabelFollowsAddingAndTheClock) {
    start(At(2026, 12, 10, 8, 0, 0));
    EXPECT_EQ(host().text(Ctl::下一个闹钟), "没有待响的闹钟");
    add("2026-12-10 08:03:00", "喝水");
    EXPECT_EQ(host().text(Ctl::下一个闹钟), "下一个闹钟：12-10 08:03 喝水（还有 3 分钟）");
    add("2026-12-10 08:02:30", "早一点");
    EXPECT_EQ(host().text(Ctl::下一个闹钟), "下一个闹钟：12-10 08:02 早一点（还有 2 分钟）");
    host().advanceTo(At(2026, 12, 10, 8, 1, 30));
    EXPECT_EQ(host().text(Ctl::下一个闹钟), "下一个闹钟：12-10 08:02 早一点（不到 1 分钟）");
}

TEST_F(Keep, ATimeTypedAloneIsAddedAsTheNextSuchMinute) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("7:30", "明早");
    add("08:30", "今天");
    EXPECT_EQ(row(0)[0], "2026-12-11 07:30");
    EXPECT_EQ(row(1)[0], "2026-12-10 08:30");
    EXPECT_EQ(host().text(Ctl::编辑框1), "2026-12-10 08:30:00") << "the entry shows it whole";
}

TEST_F(Keep, TheRingBoxSaysTheSnoozeLengthAndTheAlarmsTime) {
    beforeStart = [&] { host().settings["SnoozeMinutes"] = 5; };
    start(At(2026, 12, 10, 7, 29, 30));
    add("2026-12-10 07:30:00", "起床");
    host().boxAnswers.push_back({1, 2000});  // the snooze
    host().advanceTo(At(2026, 12, 10, 7, 30, 30));
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].second, "5 分钟后再响");
    EXPECT_EQ(host().boxes[0].caption, std::optional<std::string>("Ny闹钟 - 07:30"));
    EXPECT_EQ(row(0)[0], "2026-12-10 07:35");
}

TEST_F(Keep, ColumnWidthsAreKeptAcrossRestarts) {
    start(At(2026, 12, 10, 8, 0, 0));
    const std::vector<int> design = host().listColumnWidths(kList);
    ASSERT_EQ(design.size(), 5u);
    host().resizeColumn(kList, 2, 260);
    const auto settings = host().settings;  // the settings key outlives the run
    beforeStart = [&] { host().settings = settings; };
    restart();
    std::vector<int> want = design;
    want[2] = 260;
    EXPECT_EQ(host().listColumnWidths(kList), want);
}

}  // namespace
}  // namespace ny::testing
