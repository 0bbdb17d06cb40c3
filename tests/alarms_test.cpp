// Clock display, adding alarms and the alarm check, on the whole program.
#include <gtest/gtest.h>

#include "alarms/add.h"
#include "alarms/check.h"
#include "alarms/clock.h"
#include "host/alarmlist.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

class Alarms : public ProgramTest {};

// ---- clock display -----------------------------------------------------------

TEST_F(Alarms, ShortTimeFollowsTheClockEverySecond) {
    struct Case {
        LocalTime start;
        int64_t after;
        const char* expected;
    } cases[] = {
        {At(2026, 1, 5, 8, 3, 8, 500), 1000, "2026-01-05 08:03:09"},
        {At(2026, 12, 31, 23, 59, 58, 700), 1000, "2026-12-31 23:59:59"},
        {At(2026, 12, 31, 23, 59, 58, 700), 2000, "2027-01-01 00:00:00"},
        {At(2026, 3, 7, 23, 59, 59, 900), 1000, "2026-03-08 00:00:00"},
        {At(2026, 3, 7, 9, 59, 59, 100), 1000, "2026-03-07 10:00:00"},
    };
    for (const Case& c : cases) {
        start(c.start);
        host().advance(c.after);
        EXPECT_EQ(host().text(Ctl::短位时间), c.expected) << c.expected;
        EXPECT_FALSE(host().visible(Ctl::短位时间));
    }
}

TEST_F(Alarms, ClockTicksJustAfterEachSecondBegins) {
    start(At(2026, 5, 20, 7, 0, 0, 300));
    EXPECT_EQ(host().text(Ctl::短位时间), "2026-05-20 07:00:00");  // written at creation
    for (int i = 1; i <= 5; ++i) {
        host().advanceTo(At(2026, 5, 20, 7, 0, i, 0));
        EXPECT_EQ(host().text(Ctl::短位时间), ShortTimeText(At(2026, 5, 20, 7, 0, i - 1)));
        host().advance(60);
        EXPECT_EQ(host().text(Ctl::短位时间), ShortTimeText(At(2026, 5, 20, 7, 0, i)));
    }
    EXPECT_EQ(host().text(Ctl::现行时间), "2026年5月20日 星期三 07:00:05");
}

// ---- adding -------------------------------------------------------------------

TEST(TimeText, NumberReadsFixedPositions) {
    const struct {
        const char* text;
        int64_t number;
    } cases[] = {
        {"2026-12-08 20:40:30", 20261208204030},
        {"2027/01/01 08:00:00", 20270101080000},
        {"", 0},
        {"短位时间", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(TimeNumber(c.text), c.number) << c.text;
}

TEST_F(Alarms, AddValidatesAndStoresTheMinute) {
    const char* kPast = "你设置的闹钟时间小于当前时间，请重新设置！";
    struct Case {
        LocalTime now;
        const char* entry;
        const char* tone;  // "" = empty path
        const char* box;   // nullptr = accepted
        BoxKind kind;
    } cases[] = {
        {At(2026, 12, 8, 20, 0, 0), "2026-12-08 20:40:30", "", "请选择铃声！", BoxKind::Ok},
        {At(2026, 12, 8, 20, 40, 30), "2026-12-08 20:40:30", "t.mp3", kPast, BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 40, 29), "2026-12-08 20:40:30", "t.mp3", nullptr, BoxKind::Ok},
        {At(2026, 12, 31, 23, 0, 0), "2027-01-01 08:00:00", "t.mp3", nullptr, BoxKind::Ok},
        {At(2026, 12, 8, 20, 0, 0), "2026-12-08 19:59:59", "t.mp3", kPast, BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 0, 0), "", "t.mp3", "malformed", BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 0, 0), "2026-12-8 21:00:00", "t.mp3", "malformed", BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 0, 0), "2026-13-08 21:00:00", "t.mp3", "malformed", BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 0, 0), "2026-12-08 21:00:00x", "t.mp3", "malformed", BoxKind::Exclamation},
        {At(2026, 12, 8, 20, 0, 0), "abcd-ef-gh ij:kl:mn", "t.mp3", "malformed", BoxKind::Exclamation},
    };
    for (const Case& c : cases) {
        start(c.now);
        host().boxes.clear();
        host().setText(Ctl::铃声路径, c.tone);
        add(c.entry, "起床");
        if (!c.box) {
            ASSERT_TRUE(host().boxes.empty()) << c.entry << ": " << host().boxes[0].text;
            ASSERT_EQ(rows(), 1);
            EXPECT_EQ(row(0), (std::vector<std::string>{std::string(c.entry).substr(0, 16),
                                                          c.tone, "起床", "未响"}));
            restart();
            ASSERT_GE(rows(), 1) << "stored";
            EXPECT_EQ(row(rows() - 1)[0], std::string(c.entry).substr(0, 16));
        } else {
            ASSERT_EQ(host().boxes.size(), 1u) << c.entry;
            EXPECT_EQ(host().boxes[0].kind, c.kind) << c.entry;
            if (std::string(c.box) != "malformed") {
                EXPECT_EQ(host().boxes[0].text, c.box);
            }
            EXPECT_EQ(rows(), 0) << c.entry;
        }
        // Each case starts from an empty store.
        std::filesystem::remove(path("ny.edb"));
    }
}

TEST_F(Alarms, RefusedEntryIsKeptAsTheLastEnteredTime) {
    start(At(2026, 12, 8, 20, 0, 0));
    EXPECT_EQ(host().text(Ctl::已设置闹钟时间), "暂未设定闹钟时间");
    add("2026-12-08 19:00:00");
    EXPECT_EQ(host().text(Ctl::已设置闹钟时间), "2026-12-08 19:00:00");
    EXPECT_FALSE(host().visible(Ctl::已设置闹钟时间));
}

TEST_F(Alarms, AddAppendsAfterExistingRows) {
    start(At(2026, 12, 8, 20, 0, 0));
    add("2026-12-09 07:00:00", "一");
    add("2026-12-09 07:00:00", "一");  // duplicates are allowed
    add("2026-12-10 07:00:00", "");
    ASSERT_EQ(rows(), 3);
    restart();
    ASSERT_EQ(rows(), 3);
    EXPECT_EQ(row(2), (std::vector<std::string>{"2026-12-10 07:00", dir() + "/alarm.mp3", "", "未响"}));
}

// ---- the check -------------------------------------------------------------------

TEST(TimeText, MinuteTextShape) {
    const struct {
        const char* text;
        bool minute;
    } cases[] = {
        {"2026-12-08 07:30", true},
        {"2026-12-08 07:3", false},
        {"2026-12-08T07:30", false},
        {"2026-1x-08 07:30", false},
        {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(IsMinuteText(c.text), c.minute) << c.text;
}

TEST_F(Alarms, AlarmRingsWithinASecondOfItsMinute) {
    start(At(2026, 12, 8, 7, 29, 20));
    writeFile("wake.mp3", "ID3 wake");
    add("2026-12-08 07:30:00", "起床了", path("wake.mp3"));
    host().setVisible(Ctl::MainWindow, false);
    host().setTrayIcon("闹钟 - Verunda");
    host().advanceTo(At(2026, 12, 8, 7, 29, 59, 990));
    EXPECT_TRUE(plays().empty());
    host().advanceTo(At(2026, 12, 8, 7, 30, 1));
    ASSERT_EQ(plays(), std::vector<std::string>{path("wake.mp3")});
    const auto& rung = host().audio[0].at;
    EXPECT_EQ(rung.second, 0);
    EXPECT_LT(rung.millisecond, 200);
    EXPECT_EQ(row(0)[3], "已响");
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].text, "起床了");
    EXPECT_EQ(host().boxes[0].kind, BoxKind::Ok);
    EXPECT_TRUE(host().boxes[0].urgent);
    EXPECT_TRUE(host().enabled(Ctl::停止));
    EXPECT_TRUE(host().visible(Ctl::MainWindow));
    EXPECT_EQ(host().windowState(Ctl::MainWindow), WindowState::Normal);
    EXPECT_FALSE(host().trayTip.has_value());
    EXPECT_GE(host().frontCount, 1);
    restart();
    EXPECT_EQ(row(0)[3], "已响");
}

TEST_F(Alarms, EveryAlarmRingsOnceInListOrderOverDays) {
    start(At(2026, 12, 8, 6, 0, 0));
    struct A {
        const char* time;
        const char* prompt;
    } alarms[] = {
        {"2026-12-09 07:30:00", "第二天"}, {"2026-12-08 07:30:00", "第一天"},
        {"2026-12-08 07:30:40", ""},        {"2026-12-10 23:59:00", "第三天"},
        {"2026-12-08 12:00:00", "午饭"},
    };
    for (const A& a : alarms) add(a.time, a.prompt);
    ASSERT_EQ(rows(), 5);
    host().advanceTo(At(2026, 12, 11, 1, 0, 0));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"第一天", "时间到！时间到！", "午饭", "第二天",
                                                    "第三天"}));
    EXPECT_EQ(plays().size(), 5u);
    for (int r = 0; r < 5; ++r) EXPECT_EQ(row(r)[3], "已响");
    // The second alarm of 07:30 rang one box and one second after the first.
    EXPECT_EQ(host().boxes[1].at.minute, 30);
    EXPECT_GE(host().boxes[1].at.second, 1);
}

TEST_F(Alarms, AlarmAddedAfterItsMinutesCheckStillRings) {
    start(At(2026, 12, 8, 11, 59, 30));
    host().advanceTo(At(2026, 12, 8, 12, 0, 30));  // the 12:00 check has run
    add("2026-12-08 12:00:50", "迟到");
    host().advanceTo(At(2026, 12, 8, 12, 1, 1));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"迟到"});
    host().advanceTo(At(2026, 12, 8, 12, 5, 0));
    EXPECT_EQ(plays().size(), 1u);
}

TEST_F(Alarms, SecondAlarmOfAMinuteRingsAfterALongFirstBox) {
    start(At(2026, 12, 8, 11, 59, 0));
    add("2026-12-08 12:00:00", "一");
    add("2026-12-08 12:00:00", "二");
    add("2026-12-08 12:02:00", "三");
    host().boxAnswers.push_back({0, 3 * 60 * 1000, {}});  // first box open 3 minutes
    host().advanceTo(At(2026, 12, 8, 12, 10, 0));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"一", "二", "三"}));
    EXPECT_EQ(host().boxes[1].at.minute, 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(row(r)[3], "已响");
}

TEST_F(Alarms, TicksDuringACheckDoNothing) {
    start(At(2026, 12, 8, 11, 59, 0));
    add("2026-12-08 12:00:00", "一");
    add("2026-12-08 12:01:00", "二");
    host().boxAnswers.push_back({0, 150 * 1000, {}});  // open 12:00:00 to 12:02:30
    host().advanceTo(At(2026, 12, 8, 12, 5, 0));
    // "二" rang once, after the first box closed, not from a check nested in it.
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"一", "二"}));
    EXPECT_EQ(host().boxes[1].at.minute, 2);
    EXPECT_GE(host().boxes[1].at.second, 31);
    EXPECT_EQ(plays().size(), 2u);
}

TEST_F(Alarms, AlarmsMissedWhileAsleepRingOnWaking) {
    start(At(2026, 12, 8, 6, 59, 30));
    add("2026-12-08 07:10:00", "睡过了");
    add("2026-12-08 07:20:00", "");
    add("2026-12-08 09:00:00", "以后");
    host().advanceTo(At(2026, 12, 8, 7, 0, 5));
    host().sleep(60 * 60 * 1000);  // wakes at 08:00:05
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    host().advance(2000);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"睡过了", "时间到！时间到！"}));
    EXPECT_EQ(row(2)[3], "未响");
    host().advanceTo(At(2026, 12, 8, 9, 0, 30));
    EXPECT_EQ(boxTexts().size(), 3u);
}

TEST_F(Alarms, ClockJumpBackRearmsTheTimers) {
    start(At(2026, 12, 8, 7, 59, 0));
    add("2026-12-08 08:00:00", "八点");
    host().advanceTo(At(2026, 12, 8, 8, 0, 30));
    ASSERT_EQ(boxTexts().size(), 1u);
    host().setWallClock(At(2026, 12, 8, 7, 30, 10));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    EXPECT_EQ(host().text(Ctl::短位时间), "2026-12-08 07:30:10");
    host().advance(1100);
    EXPECT_EQ(host().text(Ctl::短位时间), "2026-12-08 07:30:11");
    // The next check comes at the next minute of the new clock, not 59 s late.
    host().advanceTo(At(2026, 12, 8, 7, 31, 0, 100));
    EXPECT_EQ(app().lastCheckedMinute, MinuteOfText("2026-12-08 07:31"));
    add("2026-12-08 07:45:00", "七点四十五");
    host().advanceTo(At(2026, 12, 8, 7, 59, 30));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"八点", "七点四十五"}));
}

TEST_F(Alarms, RowDeletedDuringTheCheckIsNotRung) {
    start(At(2026, 12, 8, 11, 59, 0));
    add("2026-12-08 12:00:00", "一");
    add("2026-12-08 12:00:00", "二");
    host().boxAnswers.push_back({0, 0, [&] {
                                     host().selectRow(Ctl::超级列表框1, 1);
                                     click(Ctl::删除);
                                 }});
    host().advanceTo(At(2026, 12, 8, 12, 1, 30));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"一"});
    EXPECT_EQ(rows(), 1);
    restart();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "一");
    EXPECT_EQ(row(0)[3], "已响");
}

TEST_F(Alarms, RowDeletedDuringAFailedMarkBoxKeepsTheRingingPrompt) {
    start(At(2026, 12, 8, 11, 59, 0));
    add("2026-12-08 12:30:00", "甲");
    add("2026-12-08 12:00:00", "乙");
    host().files.faults.failWrites = "磁盘已满";
    // 乙's box is open when its failed mark is told and 甲 is deleted above it.
    host().boxAnswers.push_back({0, 0, [&] {
                                     host().files.faults.failWrites.reset();
                                     host().selectRow(Ctl::超级列表框1, 0);
                                     click(Ctl::删除);
                                 }});
    host().advanceTo(At(2026, 12, 8, 12, 0, 30));
    ASSERT_EQ(boxTexts().size(), 2u);
    EXPECT_EQ(boxTexts()[0], "乙");
    EXPECT_NE(boxTexts()[1].find("磁盘已满"), std::string::npos);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "乙");
}

TEST_F(Alarms, UnplayableToneFallsBackToTheDefault) {
    start(At(2026, 12, 8, 7, 59, 0));
    add("2026-12-08 08:00:00", "", path("moved-away.mp3"));
    host().advanceTo(At(2026, 12, 8, 8, 0, 5));
    EXPECT_EQ(plays(), (std::vector<std::string>{path("moved-away.mp3"), dir() + "/alarm.mp3"}));
    EXPECT_TRUE(host().audio.back().ok);
}

// The wall clock drifts behind the timers: the next check's tick comes in the
// last moments of the minute already checked. It must not ring that minute's
// alarm again, and the next minute's alarm still rings at its minute.
TEST_F(Alarms, TickJustBeforeTheMinuteWaitsForIt) {
    start(At(2026, 12, 8, 7, 58, 30));
    add("2026-12-08 07:59:00", "这一分钟");
    add("2026-12-08 08:00:00", "下一分钟");
    host().advanceTo(At(2026, 12, 8, 7, 59, 10));
    ASSERT_EQ(boxTexts(), std::vector<std::string>{"这一分钟"});
    // 80 ms of drift, without a clock-change event.
    host().setWallClock(CivilFromMs(MsFromCivil(host().now()) - 80));
    host().advance(51 * 1000);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"这一分钟", "下一分钟"}));
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_EQ(host().boxes[1].at.minute, 0);
    EXPECT_LT(host().boxes[1].at.second, 1);
}

TEST_F(Alarms, RungAlarmRingsAgainWhenACheckFallsInItsMinute) {
    start(At(2026, 12, 8, 7, 59, 0));
    add("2026-12-08 08:00:00", "再响");
    host().advanceTo(At(2026, 12, 8, 8, 0, 5));
    ASSERT_EQ(plays().size(), 1u);
    // The clock is set back into the minute: the check rings it as it matches.
    host().setWallClock(At(2026, 12, 8, 7, 59, 58));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    host().advance(3000);
    EXPECT_EQ(plays().size(), 2u);
}

TEST_F(Alarms, TenThousandRowsAreCheckedWithoutWaiting) {
    std::vector<Alarm> alarms;
    for (int i = 0; i < 10000; ++i)
        alarms.push_back(MakeAlarm(i == 9999 ? "2026-12-08 07:01" : "2027-01-01 00:00", "",
                                   dir() + "/alarm.mp3"));
    writeStore(alarms);
    start(At(2026, 12, 8, 7, 0, 0));
    host().advanceTo(At(2026, 12, 8, 7, 1, 1));
    ASSERT_EQ(plays().size(), 1u);
    // Only the row that rang waits: the last row is reached within the minute.
    EXPECT_EQ(host().audio[0].at.minute, 1);
    EXPECT_EQ(host().audio[0].at.second, 0);
}

}  // namespace
}  // namespace ny::testing

namespace ny::testing {
namespace {

// The tone of an alarm due next minute is opened ahead in the minute's last
// second, and only then; the ring itself still plays it.
TEST_F(ProgramTest, ToneOfTheNextMinutesAlarmIsOpenedAhead) {
    start(At(2026, 12, 8, 7, 28, 30));
    writeFile("wake.mp3", "ID3 wake");
    add("2026-12-08 07:31:00", "", dir() + "/alarm.mp3");
    add("2026-12-08 07:30:00", "", path("wake.mp3"));
    auto prepared = [&] {
        std::vector<std::string> out;
        for (const auto& a : host().prepared) out.push_back(a.path + "@" + ShortTimeText(a.at));
        return out;
    };
    host().advanceTo(At(2026, 12, 8, 7, 29, 58, 500));
    EXPECT_TRUE(prepared().empty());
    host().advanceTo(At(2026, 12, 8, 7, 30, 1));
    EXPECT_EQ(prepared(), std::vector<std::string>{path("wake.mp3") + "@2026-12-08 07:29:59"});
    EXPECT_EQ(plays(), std::vector<std::string>{path("wake.mp3")});
    host().advanceTo(At(2026, 12, 8, 7, 31, 1));
    EXPECT_EQ(prepared().size(), 2u);
    EXPECT_EQ(prepared()[1], dir() + "/alarm.mp3@2026-12-08 07:30:59");
}

}  // namespace
}  // namespace ny::testing
