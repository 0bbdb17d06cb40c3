// Alarms never missed, doubled, lost or altered when boxes stay open, the
// file is held, replaced or deleted by another program, or the clock jumps:
// each case a small reproduction of a way the program once went wrong.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "store/alarmstore.h"

namespace ny::testing {
namespace {

namespace fs = std::filesystem;

class BookFaults : public ProgramTest {
protected:
    // Another program replaces ny.edb with these alarms (prompt, minute).
    void writeForeign(const std::vector<std::pair<std::string, std::string>>& alarms) {
        std::vector<Alarm> out;
        for (const auto& [prompt, minute] : alarms) out.push_back(MakeAlarm(minute, prompt, path("alarm.mp3")));
        fs::remove(path("ny.edb"));
        writeStore(out);
    }
    // The same of the list as it shows them.
    std::vector<std::string> listed() {
        std::vector<std::string> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r)[2] + "@" + row(r)[0].substr(0, 16) + ":" + row(r)[3]);
        return out;
    }
    void hold() { host().files.faults.heldElsewhere = {path("ny.edb")}; }
    void release() { host().files.faults.heldElsewhere.clear(); }
    void setRepeat(int r, Ctl item) {
        host().selectRow(Ctl::超级列表框1, r);
        host().raise(Ev::RightClick, Ctl::超级列表框1);
        click(item);
    }
};

// The box saying ny.edb was made again stays open for minutes: the book
// already holds the change, so the checks meanwhile ring what is due.
TEST_F(BookFaults, AnAlarmAddedUnderTheRecreatedBoxRings) {
    start(At(2026, 12, 10, 9, 0, 0));
    fs::remove(path("ny.edb"));
    host().boxAnswers.push_back({0, 3 * 60 * 1000});
    add("2026-12-10 09:02:00", "乙");
    ASSERT_EQ(boxesSaying("已按列表中的闹钟重新建立"), 1);
    host().advanceTo(At(2026, 12, 10, 9, 5, 30));
    EXPECT_EQ(ringsOf("乙"), 1);
    EXPECT_EQ(stored(), listed());
}

// A delete whose box stays open across the minute of the deleted alarm and
// of another: the deleted one never rings, the other rings once, and no
// record takes another's change.
TEST_F(BookFaults, ADeletedAlarmUnderAnOpenBoxNeitherRingsNorOverwritesAnother) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 09:30:00", "甲");
    add("2026-12-10 09:02:00", "乙");
    setRepeat(1, Ctl::重复_每天);
    add("2026-12-10 09:02:00", "丙");
    fs::remove(path("ny.edb"));
    host().boxAnswers.push_back({0, 3 * 60 * 1000});
    host().selectRow(Ctl::超级列表框1, 1);
    click(Ctl::删除);
    host().advanceTo(At(2026, 12, 10, 9, 5, 30));
    EXPECT_EQ(ringsOf("乙"), 0);
    EXPECT_EQ(ringsOf("丙"), 1);
    EXPECT_EQ(listed(), (std::vector<std::string>{"甲@2026-12-10 09:30:未响", "丙@2026-12-10 09:02:已响"}));
    EXPECT_EQ(stored(), listed());
}

// After the clock was set back, an alarm still ahead is not missed, even
// when the store is read only then.
TEST_F(BookFaults, AnAlarmStillAheadAfterTheClockWentBackIsNotMissed) {
    start(At(2026, 12, 10, 10, 0, 0));
    host().setWallClock(At(2026, 12, 10, 9, 0, 0));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    add("2026-12-10 09:30:00", "甲");
    app().missedStillToTell = true;  // as after a store read late
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    EXPECT_EQ(boxesSaying("程序没有运行时错过"), 0);
    host().advanceTo(At(2026, 12, 10, 9, 30, 30));
    EXPECT_EQ(ringsOf("甲"), 1);
}

// Start-up could not read the store; 添加 reads it first: the alarms missed
// while the program was not running are still told, once, and a repeating
// one moves on and rings again.
TEST_F(BookFaults, MissedAlarmsAreToldAlsoWhenAnotherActionReadsTheStoreFirst) {
    start(At(2026, 12, 9, 20, 0, 0));
    add("2026-12-10 08:30:00", "甲");
    add("2026-12-10 08:40:00", "乙");
    setRepeat(1, Ctl::重复_每天);
    beforeStart = [this] { hold(); };
    start(At(2026, 12, 10, 9, 0, 0));
    beforeStart = nullptr;
    release();
    add("2026-12-10 10:00:00", "丙");
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    ASSERT_EQ(boxesSaying("错过了 2 个闹钟"), 1);
    host().advanceTo(At(2026, 12, 10, 9, 5, 0));
    EXPECT_EQ(boxesSaying("错过了"), 1) << "once";
    EXPECT_EQ(stored(), (std::vector<std::string>{"甲@2026-12-10 08:30:已响", "乙@2026-12-11 08:40:未响",
                                                  "丙@2026-12-10 10:00:未响"}));
    EXPECT_EQ(stored(), listed());
    host().advanceTo(At(2026, 12, 11, 8, 40, 30));
    EXPECT_EQ(ringsOf("乙"), 1);
}

// A ring whose write meets another program's change, and the read of that
// file fails once: the alarm is marked later and never rings twice.
TEST_F(BookFaults, ARingMeetingAReplacedFileThatCannotBeReadOnceRingsOnce) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 09:02:00", "甲");
    host().advanceTo(At(2026, 12, 10, 9, 1, 50));
    writeForeign({{"甲", "2026-12-10 09:02"}, {"外", "2026-12-10 11:00"}});
    // The ring's write: its look at the file's size and time, then the read.
    host().files.faults.failAt = host().files.ops + 2;
    host().advanceTo(At(2026, 12, 10, 9, 6, 30));
    EXPECT_EQ(ringsOf("甲"), 1);
    EXPECT_EQ(stored(), (std::vector<std::string>{"甲@2026-12-10 09:02:已响", "外@2026-12-10 11:00:未响"}));
    EXPECT_EQ(stored(), listed());
}

// Two identical alarms that ring while ny.edb is held are two rings, and
// both are marked once it can be written.
TEST_F(BookFaults, TwoIdenticalAlarmsRungWhileTheFileIsHeldAreTwo) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 09:02:00", "起床");
    add("2026-12-10 09:02:00", "起床");
    host().advanceTo(At(2026, 12, 10, 9, 1, 0, 500));
    hold();
    host().advanceTo(At(2026, 12, 10, 9, 3, 30));
    release();
    host().advanceTo(At(2026, 12, 10, 9, 5, 30));
    EXPECT_EQ(ringsOf("起床"), 2);
    EXPECT_EQ(stored(), (std::vector<std::string>{"起床@2026-12-10 09:02:已响", "起床@2026-12-10 09:02:已响"}));
}

// Asleep over two alarms while another program removed a third: both ring
// on waking, the second too although the first one's write refilled the list.
TEST_F(BookFaults, RowsMovingUpDuringACatchUpSkipNoAlarm) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 11:00:00", "甲");
    add("2026-12-10 09:10:00", "乙");
    add("2026-12-10 09:20:00", "丙");
    writeForeign({{"乙", "2026-12-10 09:10"}, {"丙", "2026-12-10 09:20"}});
    host().sleep(30 * 60 * 1000);
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    host().advanceTo(At(2026, 12, 10, 9, 32, 30));
    EXPECT_EQ(ringsOf("乙"), 1);
    EXPECT_EQ(ringsOf("丙"), 1);
    EXPECT_EQ(stored(), (std::vector<std::string>{"乙@2026-12-10 09:10:已响", "丙@2026-12-10 09:20:已响"}));
    EXPECT_EQ(stored(), listed());
}

// Rung while the file was held, then made daily by the user: it moves on to
// tomorrow and rings there.
TEST_F(BookFaults, ARingNotYetWrittenFollowsARepeatSetMeanwhile) {
    start(At(2026, 12, 10, 9, 0, 0));
    add("2026-12-10 09:02:00", "甲");
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    hold();
    host().advanceTo(At(2026, 12, 10, 9, 5, 30));
    release();
    setRepeat(0, Ctl::重复_每天);
    host().advanceTo(At(2026, 12, 10, 9, 6, 30));
    EXPECT_EQ(stored(), (std::vector<std::string>{"甲@2026-12-11 09:02:未响"}));
    host().advanceTo(At(2026, 12, 11, 9, 2, 30));
    EXPECT_EQ(ringsOf("甲"), 2);
}

// The start-up box about an unreadable store stays open for ten minutes:
// the minutes are counted from the start, so the alarm due meanwhile rings
// and is not told as missed.
TEST_F(BookFaults, TheStartMinuteIsTakenBeforeTheStartUpBox) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 09:05:00", "甲");
    beforeStart = [this] {
        hold();
        host().boxAnswers.push_back({0, 10 * 60 * 1000, [this] { release(); }});
    };
    start(At(2026, 12, 10, 9, 0, 0));
    beforeStart = nullptr;
    host().advanceTo(At(2026, 12, 10, 9, 12, 0));
    EXPECT_EQ(ringsOf("甲"), 1);
    EXPECT_EQ(boxesSaying("程序没有运行时错过"), 0);
    EXPECT_EQ(stored(), (std::vector<std::string>{"甲@2026-12-10 09:05:已响"}));
}

// A damaged store is told before it is set aside: while the box is open
// (the program may be stopped there) the file is still where it was, so the
// next start finds it and tells it again; nothing lies aside untold.
TEST_F(BookFaults, ADamagedStoreIsToldBeforeItIsSetAside) {
    writeFile("ny.edb", "garbage");
    bool untouchedWhileTold = false;
    beforeStart = [&] {
        host().boxAnswers.push_back({0, 0, [&] {
            untouchedWhileTold = readFile("ny.edb") == "garbage" &&
                                 !fs::exists(path("ny.edb.damaged-20261210-090000"));
        }});
    };
    start(At(2026, 12, 10, 9, 0, 0));
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find("ny.edb.damaged-20261210-090000"), std::string::npos)
        << host().boxes[0].text;
    EXPECT_TRUE(untouchedWhileTold);
    EXPECT_EQ(readFile("ny.edb.damaged-20261210-090000"), "garbage");
    EXPECT_TRUE(stored().empty());
}

}  // namespace
}  // namespace ny::testing
