// ny.edb in the hands of other programs while Ny闹钟 runs: held open
// without sharing across minutes, replaced by another file, deleted.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "store/alarmstore.h"

namespace ny::testing {
namespace {

namespace fs = std::filesystem;

// An alarm as another program might write it: minute and prompt.
struct Written {
    std::string minute;
    std::string prompt;
    std::string state = "未响";
};

class Outside : public ProgramTest {
protected:
    // Another program replaces ny.edb with a valid store of these alarms.
    void writeForeign(const std::vector<Written>& alarms) {
        SimFiles other;
        std::vector<std::vector<std::string>> records;
        for (const Written& w : alarms)
            records.push_back({"", "", w.minute, path("alarm.mp3"), w.prompt, w.state});
        fs::remove(path("ny.edb"));
        RecordFile f(other);
        ASSERT_TRUE(f.create(dir() + "\\ny.edb", AlarmFields(), records).ok);
    }
    // prompt:state of each record of the file.
    std::vector<std::string> stored() {
        SimFiles reader;
        RecordFile f(reader);
        EXPECT_TRUE(f.open(dir() + "\\ny.edb").ok());
        std::vector<std::string> out;
        for (int k = 1; k <= f.count(); ++k, f.skip())
            out.push_back(*f.read("闹钟提示信息") + ":" + *f.read("是否已响铃"));
        return out;
    }
    std::vector<std::string> listed() {
        std::vector<std::string> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r)[2] + ":" + row(r)[3]);
        return out;
    }
    int boxesSaying(const std::string& words) {
        int n = 0;
        for (const auto& b : host().boxes)
            if (b.text.find(words) != std::string::npos) ++n;
        return n;
    }
    int ringsOf(const std::string& prompt) {
        int n = 0;
        for (const auto& b : host().boxes) n += b.text == prompt;
        return n;
    }
    // One field of each record of the file.
    std::vector<std::string> storedField(const std::string& name) {
        SimFiles reader;
        RecordFile f(reader);
        EXPECT_TRUE(f.open(dir() + "\\ny.edb").ok());
        std::vector<std::string> out;
        for (int k = 1; k <= f.count(); ++k, f.skip()) out.push_back(*f.read(name));
        return out;
    }
    void setRepeat(int r, Ctl item) {
        host().selectRow(Ctl::超级列表框1, r);
        host().raise(Ev::RightClick, Ctl::超级列表框1);
        click(item);
    }
    void hold() { host().files.faults.heldElsewhere = {path("ny.edb")}; }
    void release() { host().files.faults.heldElsewhere.clear(); }
};

// Held from before the start until after an alarm's minute: the start tells
// it once, the checks meanwhile stay quiet, and once the file can be read
// the alarm due meanwhile rings; one from before the start is told as missed.
TEST_F(Outside, AnAlarmDueWhileTheStoreIsHeldFromTheStartRingsOnceItCanBeRead) {
    start(At(2026, 12, 10, 17, 0, 0));
    add("2026-12-10 17:10:00", "早");
    add("2026-12-10 17:28:00", "中");
    add("2026-12-10 17:45:00", "晚");
    beforeStart = [this] { hold(); };
    start(At(2026, 12, 10, 17, 26, 58));
    beforeStart = nullptr;
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find("可能会错过闹钟"), std::string::npos) << host().boxes[0].text;
    host().advanceTo(At(2026, 12, 10, 17, 29, 41));
    EXPECT_EQ(host().boxes.size(), 1u) << "told once, not every minute";
    EXPECT_TRUE(plays().empty());

    release();
    host().advanceTo(At(2026, 12, 10, 17, 30, 30));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{
                              host().boxes[0].text, "中",
                              "程序没有运行时错过了 1 个闹钟：\n2026-12-10 17:10  早"}));
    EXPECT_EQ(plays().size(), 1u);
    EXPECT_EQ(host().boxes[1].at.minute, 30) << "rung at the first check that could read it";
    EXPECT_EQ(listed(), (std::vector<std::string>{"早:已响", "中:已响", "晚:未响"}));
    EXPECT_EQ(stored(), listed());
}

// Held while the list is shown: alarms ring from the list, each once; the
// user is told once for the whole outage; once the file can be written the
// rung ones are marked. A later outage is told again.
TEST_F(Outside, WhileTheListIsShownAHeldStoreStillRingsEachAlarmOnceAndIsToldOnce) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:02:00", "一");
    add("2026-12-10 09:03:00", "二");
    add("2026-12-10 09:05:00", "三");
    add("2026-12-10 09:08:00", "四");
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    hold();
    host().advanceTo(At(2026, 12, 10, 9, 4, 30));
    EXPECT_EQ(ringsOf("一"), 1);
    EXPECT_EQ(ringsOf("二"), 1);
    EXPECT_EQ(plays().size(), 2u) << "not rung again in the minutes after";
    EXPECT_EQ(boxesSaying("可能会错过闹钟"), 1);
    EXPECT_EQ(listed(), (std::vector<std::string>{"一:未响", "二:未响", "三:未响", "四:未响"}))
        << "the list shows the file";

    release();
    host().advanceTo(At(2026, 12, 10, 9, 5, 30));
    EXPECT_EQ(ringsOf("三"), 1);
    EXPECT_EQ(listed(), (std::vector<std::string>{"一:已响", "二:已响", "三:已响", "四:未响"}));
    EXPECT_EQ(stored(), listed());
    EXPECT_EQ(boxesSaying("可能会错过闹钟"), 1);

    hold();
    host().advanceTo(At(2026, 12, 10, 9, 8, 30));
    EXPECT_EQ(ringsOf("四"), 1);
    EXPECT_EQ(boxesSaying("可能会错过闹钟"), 2) << "a new outage is told again";
    EXPECT_EQ(plays().size(), 4u);
}

// Add A, B; another program writes X, Y; add C. An append names no row, so
// C goes into the file as it now is and the list shows that file: X, Y, C.
// Changes by row are refused on a file the list does not show.
TEST_F(Outside, AFileReplacedByAnotherProgramIsShownAndNeverEditedByRow) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 09:00:00", "A");
    add("2026-12-10 09:10:00", "B");
    writeForeign({{"2026-12-10 10:00", "X"}, {"2026-12-10 10:10", "Y"}});
    add("2026-12-10 09:20:00", "C");
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find("已被其他程序改动"), std::string::npos);
    EXPECT_EQ(listed(), (std::vector<std::string>{"X:未响", "Y:未响", "C:未响"}));
    EXPECT_EQ(stored(), listed());
    restart();
    EXPECT_EQ(listed(), (std::vector<std::string>{"X:未响", "Y:未响", "C:未响"}));

    // Each case meets a file the list does not show yet. (A file rewritten
    // with the very content the list shows is no change: its rows are the
    // list's.)
    struct Case {
        const char* name;
        std::function<void()> act;
        std::string foreign;
    } byRow[] = {
        {"delete",
         [this] {
             host().selectRow(Ctl::超级列表框1, 0);
             click(Ctl::删除);
         },
         "O"},
        {"clear", [this] { click(Ctl::清空列表); }, "P"},
    };
    for (const Case& c : byRow) {
        SCOPED_TRACE(c.name);
        host().boxes.clear();
        writeForeign({{"2026-12-10 11:00", c.foreign}, {"2026-12-10 11:10", "Q"}});
        const std::string bytes = readFile("ny.edb");
        c.act();
        EXPECT_EQ(readFile("ny.edb"), bytes) << "nothing changed by a stale row number";
        EXPECT_EQ(listed(), (std::vector<std::string>{c.foreign + ":未响", "Q:未响"}));
        ASSERT_EQ(boxesSaying("已被其他程序改动"), 1);
        EXPECT_NE(host().boxes.back().text.find("这次的更改没有保存"), std::string::npos);
        EXPECT_EQ(boxesSaying("ny.edb"), 1) << "one sentence";
    }
    // Now the list shows the file: the same delete goes ahead.
    host().selectRow(Ctl::超级列表框1, 0);
    click(Ctl::删除);
    EXPECT_EQ(stored(), (std::vector<std::string>{"Q:未响"}));
    EXPECT_EQ(listed(), stored());
}

// A ringing alarm whose file was replaced meanwhile: it rings from the list;
// the file is not marked by row, but where the same alarm is in the new file
// it is marked there, so that it does not ring again.
TEST_F(Outside, ARingingAlarmIsMarkedWhereItIsInAReplacedFile) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:02:00", "响");
    writeForeign({{"2026-12-10 09:30", "新"}, {"2026-12-10 09:02", "响"}});
    host().advanceTo(At(2026, 12, 10, 9, 4, 30));
    EXPECT_EQ(ringsOf("响"), 1);
    EXPECT_EQ(boxesSaying("已被其他程序改动"), 1);
    EXPECT_EQ(listed(), (std::vector<std::string>{"新:未响", "响:已响"}));
    EXPECT_EQ(stored(), listed());
}

// Deleted while running: the next write makes it again from the list and
// says so once; a ringing alarm is marked in the new file.
TEST_F(Outside, AStoreDeletedWhileRunningIsMadeAgainFromTheList) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:02:00", "A");
    add("2026-12-10 09:30:00", "B");
    fs::remove(path("ny.edb"));
    add("2026-12-10 09:40:00", "C");
    EXPECT_EQ(boxesSaying("已被删除，已按列表中的闹钟重新建立"), 1);
    EXPECT_EQ(stored(), (std::vector<std::string>{"A:未响", "B:未响", "C:未响"}));
    EXPECT_EQ(listed(), stored());
    add("2026-12-10 09:50:00", "D");
    EXPECT_EQ(host().boxes.size(), 1u) << "told once";

    fs::remove(path("ny.edb"));
    host().advanceTo(At(2026, 12, 10, 9, 3, 30));
    EXPECT_EQ(ringsOf("A"), 1) << "rung once, not again the next minute";
    EXPECT_EQ(boxesSaying("已被删除，已按列表中的闹钟重新建立"), 2);
    EXPECT_EQ(stored(), (std::vector<std::string>{"A:已响", "B:未响", "C:未响", "D:未响"}));
    EXPECT_EQ(listed(), stored());
    restart();
    EXPECT_EQ(listed(), (std::vector<std::string>{"A:已响", "B:未响", "C:未响", "D:未响"}));
    EXPECT_TRUE(host().boxes.empty());
}

// The check a clock notice asks for (a time sync at 07:00:30) rings only
// rows still 未响: the 07:00 alarm rung at its check is not rung again, but
// one added for 07:00 after that check now rings.
TEST_F(Outside, AClockNoticeCheckRingsOnlyRowsNotRungYet) {
    start(At(2026, 12, 10, 6, 59, 10));
    add("2026-12-10 07:00:00", "早");
    host().advanceTo(At(2026, 12, 10, 7, 0, 20));
    ASSERT_EQ(boxTexts(), std::vector<std::string>{"早"});
    add("2026-12-10 07:00:50", "晚");
    host().advanceTo(At(2026, 12, 10, 7, 0, 30));
    host().setWallClock(At(2026, 12, 10, 7, 0, 30, 200));
    host().raise(Ev::ClockChanged, Ctl::MainWindow);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"早", "晚"}));
    EXPECT_EQ(plays().size(), 2u);
    EXPECT_EQ(listed(), (std::vector<std::string>{"早:已响", "晚:已响"}));
}

// A repeating alarm that rang while the file was held rings once; once the
// file can be written it moves on to its next day, still 未响, and the file
// keeps its rule.
TEST_F(Outside, ARepeatingAlarmRungWhileHeldMovesOnOnceTheFileIsFree) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:02:00", "每");
    setRepeat(0, Ctl::重复_每天);
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    hold();
    host().advanceTo(At(2026, 12, 10, 9, 2, 30));
    EXPECT_EQ(ringsOf("每"), 1);
    EXPECT_EQ(row(0)[0], "2026-12-10 09:02  每天");
    release();
    host().advanceTo(At(2026, 12, 10, 9, 4, 30));
    EXPECT_EQ(ringsOf("每"), 1) << "not rung again";
    EXPECT_EQ(row(0)[0], "2026-12-11 09:02  每天");
    EXPECT_EQ(listed(), std::vector<std::string>{"每:未响"});
    EXPECT_EQ(storedField("闹钟时间"), std::vector<std::string>{"2026-12-11 09:02"});
    EXPECT_EQ(storedField("周数"), std::vector<std::string>{"D"});
    EXPECT_EQ(stored(), listed());
}

// Made again from the list, the file keeps each alarm's rule and its
// minute without the list's label.
TEST_F(Outside, AStoreMadeAgainFromTheListKeepsTheRepeats) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:30:00", "周");
    add("2026-12-10 09:40:00", "一次");
    setRepeat(0, Ctl::重复_每周);
    fs::remove(path("ny.edb"));
    add("2026-12-10 09:50:00", "新");
    EXPECT_EQ(boxesSaying("已被删除，已按列表中的闹钟重新建立"), 1);
    EXPECT_EQ(storedField("闹钟时间"), (std::vector<std::string>{
                                          "2026-12-10 09:30", "2026-12-10 09:40", "2026-12-10 09:50"}));
    EXPECT_EQ(storedField("周数"), (std::vector<std::string>{"7", "", ""}));
    restart();
    EXPECT_EQ(row(0)[0], "2026-12-10 09:30  每周四");
}

// Editing a row when another program replaces the file: 保存 is refused,
// the list shows the new file and the edit is over (its row number would
// now name another alarm).
TEST_F(Outside, AFileReplacedDuringAnEditEndsTheEdit) {
    start(At(2026, 12, 10, 8, 0, 0));
    add("2026-12-10 09:00:00", "A");
    host().selectRow(Ctl::超级列表框1, 0);
    click(Ctl::修改);
    ASSERT_EQ(host().text(Ctl::添加), "保存");
    writeForeign({{"2026-12-10 10:00", "X"}});
    host().setText(Ctl::闹钟提示信息输入, "改");
    click(Ctl::添加);
    EXPECT_EQ(boxesSaying("这次的更改没有保存"), 1);
    EXPECT_EQ(host().text(Ctl::添加), "添加");
    EXPECT_EQ(stored(), std::vector<std::string>{"X:未响"});
    EXPECT_EQ(listed(), stored());
    click(Ctl::添加);  // now an add, into the file as it is
    EXPECT_EQ(stored(), (std::vector<std::string>{"X:未响", "改:未响"}));
}

}  // namespace
}  // namespace ny::testing
