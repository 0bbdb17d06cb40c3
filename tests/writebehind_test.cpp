// ny.edb is written off the window's thread: the book and the list change at
// once, the file when the write ends. The sim host holds the writes here
// (as a slow disk would) to look at the program in between.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace ny::testing {
namespace {

constexpr Ctl kList = Ctl::超级列表框1;

class WriteBehind : public ProgramTest {
public:
    // What the user does (the actions' table below does it too).
    using ProgramTest::add;
    using ProgramTest::click;
    using ProgramTest::host;

protected:
    // 甲 and 乙 stored, the program started with them.
    void startWithTwo(const LocalTime& t) {
        writeStore({MakeAlarm("2026-12-11 10:00", "甲"), MakeAlarm("2026-12-11 11:00", "乙")});
        start(t);
        ASSERT_EQ(rows(), 2);
    }
    // The prompts as the list shows them, and as ny.edb holds them.
    std::vector<std::string> listed() {
        std::vector<std::string> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r)[2]);
        return out;
    }
    std::vector<std::string> storedPrompts() {
        SimFiles fs;
        std::vector<std::string> out;
        for (const Alarm& a : AlarmStore(fs, dir()).loadOrCreate("x").alarms) out.push_back(a.prompt);
        return out;
    }
    std::string storedState(size_t k) {
        SimFiles fs;
        std::vector<std::string> fields;
        AlarmToFields(AlarmStore(fs, dir()).loadOrCreate("x").alarms.at(k), fields);
        return fields.at(5);
    }
    bool told(const std::string& words) { return boxesSaying(words) > 0; }
};

// What the user does, and what the list shows until the write ends.
struct Action {
    const char* name;
    std::function<void(WriteBehind&)> run;
    std::vector<std::string> meanwhile;
};

class WriteBehindActions : public WriteBehind, public ::testing::WithParamInterface<Action> {};

const std::vector<Action> kActions = {
    {"add", [](WriteBehind& t) { t.add("2026-12-11 12:00:00", "丙"); }, {"甲", "乙", "丙"}},
    {"delete",
     [](WriteBehind& t) {
         t.host().selectRow(kList, 0);
         t.click(Ctl::删除);
     },
     {"乙"}},
    {"clear", [](WriteBehind& t) { t.click(Ctl::清空列表); }, {}},
};

// Shown at once, written when the write ends; the window goes on meanwhile.
TEST_P(WriteBehindActions, TheListChangesAtOnceAndTheFileWhenTheWriteEnds) {
    const Action& a = GetParam();
    startWithTwo(At(2026, 12, 11, 9, 0, 10));
    host().holdJobs = true;
    a.run(*this);
    EXPECT_EQ(listed(), a.meanwhile);
    EXPECT_EQ(storedPrompts(), (std::vector<std::string>{"甲", "乙"})) << "not written yet";
    const std::string clock = host().text(Ctl::现行时间);
    host().advance(3000);  // the clock ticks: they need not wait for it
    EXPECT_NE(host().text(Ctl::现行时间), clock);
    EXPECT_EQ(host().jobsHeld(), 1u);
    host().runJobs();
    EXPECT_EQ(storedPrompts(), a.meanwhile);
    EXPECT_EQ(listed(), a.meanwhile);
    EXPECT_FALSE(told("没有保存"));
}

// A write the file refuses is undone when it ends, and told with the reason:
// the list and the file never part ways for longer than the write.
TEST_P(WriteBehindActions, ARefusedWriteIsUndoneAndToldWhenItEnds) {
    const Action& a = GetParam();
    startWithTwo(At(2026, 12, 11, 9, 0, 10));
    const std::string before = readFile("ny.edb");
    host().holdJobs = true;
    host().files.faults.failWrites = "磁盘已满。";
    a.run(*this);
    EXPECT_EQ(listed(), a.meanwhile);
    EXPECT_FALSE(told("磁盘已满"));
    host().runJobs();
    EXPECT_EQ(listed(), (std::vector<std::string>{"甲", "乙"}));
    EXPECT_EQ(readFile("ny.edb"), before);
    EXPECT_TRUE(told("磁盘已满"));
    EXPECT_TRUE(told("这次的更改没有保存"));
}

INSTANTIATE_TEST_SUITE_P(Changes, WriteBehindActions, ::testing::ValuesIn(kActions),
                         [](const auto& info) { return std::string(info.param.name); });

// The next action waits for the write before it reads the alarms: a change
// the file refused is undone (and told) first, and the action then acts on
// what the file kept. (Built on the refused change, a second 跳过下一次
// would skip two occurrences.)
TEST_F(WriteBehind, TheNextActionWaitsForTheWriteAndActsOnWhatTheFileKept) {
    writeStore({MakeAlarm("2026-12-11 10:00", "甲", "", RingState::NotRung, Repeat::Daily)});
    start(At(2026, 12, 11, 9, 0, 10));
    auto skipNext = [&] {
        host().selectRow(kList, 0);
        host().raise(Ev::RightClick, kList);
        click(Ctl::跳过下一次);
    };
    host().holdJobs = true;
    host().files.faults.failWrites = "磁盘已满。";
    skipNext();
    EXPECT_EQ(row(0)[0], "2026-12-12 10:00  每天");
    host().boxAnswers.push_back({0, 0, [&] { host().files.faults.failWrites.reset(); }});
    skipNext();
    ASSERT_EQ(boxTexts().size(), 1u);
    EXPECT_NE(boxTexts()[0].find("磁盘已满"), std::string::npos);
    EXPECT_EQ(row(0)[0], "2026-12-12 10:00  每天");
    host().runJobs();
    SimFiles fs;
    const auto kept = AlarmStore(fs, dir()).loadOrCreate("x").alarms;
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(MinuteText(kept[0].minute), "2026-12-12 10:00");
}

// Quitting waits for the write: the file holds the change, or the user is
// told it does not before the program ends.
TEST_F(WriteBehind, QuittingWaitsForTheWrite) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "refused" : "written");
        startWithTwo(At(2026, 12, 11, 9, 0, 10));
        host().holdJobs = true;
        if (fails) host().files.faults.failWrites = "磁盘已满。";
        add("2026-12-11 12:00:00", "丙");
        click(Ctl::关闭);
        EXPECT_FALSE(host().exists(Ctl::MainWindow));
        EXPECT_EQ(host().jobsHeld(), 0u);
        const std::vector<std::string> kept = {"甲", "乙"}, added = {"甲", "乙", "丙"};
        EXPECT_EQ(storedPrompts(), fails ? kept : added);
        EXPECT_EQ(told("磁盘已满"), fails);
    }
}

// A ring is marked in the book at once: it does not ring again while its
// mark is being written, nor after the write was refused (it is marked once
// the file can be written).
TEST_F(WriteBehind, ARingWhoseMarkIsStillBeingWrittenRingsOnce) {
    for (const bool fails : {false, true}) {
        SCOPED_TRACE(fails ? "refused" : "written");
        writeStore({MakeAlarm("2026-12-11 09:01", "甲", path("alarm.mp3"))});
        start(At(2026, 12, 11, 9, 0, 30));
        host().holdJobs = true;
        if (fails) host().files.faults.failWrites = "磁盘已满。";
        host().advanceTo(At(2026, 12, 11, 9, 1, 30));
        ASSERT_EQ(plays().size(), 1u);
        EXPECT_EQ(row(0)[3], "已响");
        EXPECT_EQ(storedState(0), "未响") << "not written yet";
        host().runJobs();
        EXPECT_EQ(told("磁盘已满"), fails);
        host().advanceTo(At(2026, 12, 11, 9, 3, 30));
        host().files.faults.failWrites.reset();
        host().advanceTo(At(2026, 12, 11, 9, 5, 30));
        host().runJobs();
        EXPECT_EQ(plays().size(), 1u);
        EXPECT_EQ(row(0)[3], "已响");
        EXPECT_EQ(storedState(0), "已响");
    }
}

}  // namespace
}  // namespace ny::testing
