// The alarm list and ny.edb under failures: a store unreadable at start-up
// read again when next needed; a lock file that fails for other reasons
// than another copy; brief sharing of the replace; and changes the store
// refused. (What start-up lists and tells for each state of the store is
// tested with the store's sequences.)
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "store/alarmstore.h"
#include "store/filereplace.h"

namespace ny::testing {
namespace {

namespace fs = std::filesystem;

class StoreFaults : public ProgramTest {
protected:
    // A valid store of these prompts (one alarm each) at `name`.
    void makeStore(const std::string& name, const std::vector<std::string>& prompts) {
        SimFiles maker;
        RecordFile f(maker);
        const std::string p = dir() + "\\" + name;
        ASSERT_TRUE(f.create(p, AlarmFields()).ok);
        ASSERT_TRUE(f.open(p).ok());
        for (const auto& m : prompts)
            ASSERT_TRUE(f.append({"", "", "2026-12-10 09:00", "a.mp3", m, "未响"}).ok);
    }
    std::vector<std::string> prompts() {
        std::vector<std::string> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r)[2]);
        return out;
    }
    std::vector<std::string> storedPrompts() {
        SimFiles reader;
        RecordFile f(reader);
        EXPECT_TRUE(f.open(dir() + "\\ny.edb").ok());
        std::vector<std::string> out;
        for (int k = 1; k <= f.count(); ++k, f.skip()) out.push_back(*f.read("闹钟提示信息"));
        return out;
    }
};

// When start-up could not read the store, the list is filled as soon as it
// can be: by the next check (so that its alarms still ring), or by the
// user's next change, which then works on what the file holds. A clear only
// fills the list: nothing is cleared unseen.
TEST_F(StoreFaults, AStoreUnreadableAtStartIsReadAgainWhenNextNeeded) {
    struct Case {
        const char* name;
        std::function<void()> next;
        std::vector<std::string> listed;
        std::vector<std::string> stored;
        bool rings;  // 九点 rang
    } cases[] = {
        {"the next check", [this] { host().advanceTo(At(2026, 12, 10, 9, 0, 30)); }, {"九点"}, {"九点"}, true},
        {"添加", [this] { add("2026-12-10 10:00:00", "十点"); }, {"九点", "十点"}, {"九点", "十点"}, false},
        {"清空列表", [this] { click(Ctl::清空列表); }, {"九点"}, {"九点"}, false},
        // The check fills the list while the question is open: the answer
        // was given to an empty list.
        {"清空列表 asked before the check fills the list",
         [this] {
             host().boxAnswers.push_back({0, 60 * 1000, {}});
             click(Ctl::清空列表);
         },
         {"九点"}, {"九点"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& e : fs::directory_iterator(dir()))
            if (e.path().filename() != "alarm.mp3") fs::remove_all(e.path());
        makeStore("ny.edb", {"九点"});
        fs::rename(path("ny.edb"), path("aside"));
        fs::create_directory(path("ny.edb"));
        start(At(2026, 12, 10, 8, 58, 30));
        EXPECT_EQ(rows(), 0);
        // The cause goes away before the next check.
        fs::remove(path("ny.edb"));
        fs::rename(path("aside"), path("ny.edb"));
        c.next();
        EXPECT_EQ(prompts(), c.listed);
        EXPECT_EQ(storedPrompts(), c.stored);
        const auto texts = boxTexts();
        EXPECT_EQ(std::count(texts.begin(), texts.end(), "九点"), c.rings ? 1 : 0);
    }
}

TEST_F(StoreFaults, ALockFileThatFailsForAnotherReasonIsToldAndTheProgramRunsOn) {
    struct Case {
        const char* name;
        std::function<void()> make;
        const char* reason;
    } cases[] = {
        {"cannot be opened", [this] { fs::create_directory(path("ny.yz")); }, "Is a directory"},
        {"cannot be written", [this] { beforeStart = [this] { host().files.faults.failWrites = "拒绝访问。"; }; }, "拒绝访问"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& e : fs::directory_iterator(dir()))
            if (e.path().filename() != "alarm.mp3") fs::remove_all(e.path());
        c.make();
        start(At(2026, 12, 10, 8, 0, 0));
        beforeStart = nullptr;
        host().files.faults.failWrites.reset();
        EXPECT_FALSE(host().ended());
        ASSERT_GE(host().boxes.size(), 1u);
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
        EXPECT_NE(host().boxes[0].text.find(dir() + "\\ny.yz"), std::string::npos) << host().boxes[0].text;
        EXPECT_NE(host().boxes[0].text.find(c.reason), std::string::npos) << host().boxes[0].text;
        EXPECT_EQ(host().listColumns(Ctl::超级列表框1).size(), 5u);
        add("2026-12-10 09:00:00", "照常");
        EXPECT_EQ(storedPrompts(), std::vector<std::string>{"照常"});
    }
}

// The replace is create, write, flush, close, rename: a sharing failure of
// the create or the rename is tried again for about a second in all.
TEST_F(StoreFaults, ABriefSharingFailureOfTheReplaceIsRetried) {
    struct Case {
        const char* name;
        int failAt;   // 1 create, 5 rename
        int failRun;  // how many tries in a row fail
        bool ok;
        int64_t pausedMs;
    } cases[] = {
        {"create shared twice", 1, 2, true, 2 * kReplaceRetryPauseMs},
        {"rename shared five times", 5, kReplaceTries - 1, true, (kReplaceTries - 1) * kReplaceRetryPauseMs},
        {"rename shared for good", 5, kReplaceTries, false, (kReplaceTries - 1) * kReplaceRetryPauseMs},
        {"create shared for good", 1, kReplaceTries, false, (kReplaceTries - 1) * kReplaceRetryPauseMs},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimHost h(dir(), At(2026, 12, 10, 8, 0, 0));
        writeFile("x", "old");
        h.files.faults.failAt = c.failAt;
        h.files.faults.failRun = c.failRun;
        h.files.faults.failKind = IoFailure::Sharing;
        const IoResult r = ReplaceWholeFile(h, dir() + "\\x", "new");
        EXPECT_EQ(r.ok, c.ok) << r.reason;
        EXPECT_EQ(h.files.pausedMs, c.pausedMs);
        EXPECT_EQ(readFile("x"), c.ok ? "new" : "old");
        EXPECT_FALSE(fs::exists(path("x.tmp")));
    }
    // Any other failure is not worth waiting for.
    SimHost h(dir(), At(2026, 12, 10, 8, 0, 0));
    h.files.faults.failAt = 5;
    EXPECT_FALSE(ReplaceWholeFile(h, dir() + "\\x", "newer").ok);
    EXPECT_EQ(h.files.pausedMs, 0);
}

// A change the store refused leaves the list as the file is: a failed add
// adds no row, a failed delete or clear removes nothing, and a failed mark
// still rings but the row stays 未响.
TEST_F(StoreFaults, TheListChangesOnlyWhenTheStoreDid) {
    struct Case {
        const char* name;
        std::function<void()> act;
        std::vector<std::string> states;  // rows' 是否已响铃 after
        size_t ringBoxes;
    } cases[] = {
        {"add", [this] { add("2026-12-10 09:30:00", "三"); }, {"未响", "未响"}, 0},
        {"delete",
         [this] {
             host().selectRow(Ctl::超级列表框1, 0);
             click(Ctl::删除);
         },
         {"未响", "未响"}, 0},
        {"clear", [this] { click(Ctl::清空列表); }, {"未响", "未响"}, 0},
        {"ring", [this] { host().advanceTo(At(2026, 12, 10, 9, 0, 30)); }, {"未响", "未响"}, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path("ny.edb"));
        start(At(2026, 12, 10, 8, 59, 0));
        add("2026-12-10 09:00:00", "一");
        add("2026-12-10 09:20:00", "二");
        const std::string before = readFile("ny.edb");
        host().boxes.clear();
        host().files.faults.failWrites = "磁盘已满";
        c.act();
        host().files.faults.failWrites.reset();
        std::vector<std::string> states;
        for (int r = 0; r < rows(); ++r) states.push_back(row(r)[3]);
        EXPECT_EQ(states, c.states);
        EXPECT_EQ(prompts(), (std::vector<std::string>{"一", "二"}));
        EXPECT_EQ(readFile("ny.edb"), before);
        int told = 0, rang = 0;
        for (const auto& b : host().boxes) {
            if (b.kind == BoxKind::Exclamation && b.text.find("磁盘已满") != std::string::npos) ++told;
            if (b.text == "一") ++rang;
        }
        EXPECT_EQ(told, 1);
        EXPECT_EQ(size_t(rang), c.ringBoxes);
        // The next change works on the rows the user sees: delete "二".
        host().selectRow(Ctl::超级列表框1, 1);
        click(Ctl::删除);
        EXPECT_EQ(storedPrompts(), std::vector<std::string>{"一"});
        EXPECT_EQ(prompts(), std::vector<std::string>{"一"});
    }
}

// After a clock change (set forward, or a resume the platform reports so)
// the check runs at once: what fell into the gap rings now, not up to a
// minute later.
TEST_F(StoreFaults, AClockChangeRunsTheCheckAtOnce) {
    struct Case {
        const char* name;
        LocalTime jumpTo;
    } cases[] = {
        {"over the alarm's minute", At(2026, 12, 10, 9, 7, 40)},
        {"into the alarm's minute", At(2026, 12, 10, 9, 5, 40)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove(path("ny.edb"));
        start(At(2026, 12, 10, 9, 0, 10));
        add("2026-12-10 09:05:00", "跳过去了");
        host().advance(1000);
        host().setWallClock(c.jumpTo);
        host().raise(Ev::ClockChanged, Ctl::MainWindow);
        ASSERT_EQ(boxTexts(), std::vector<std::string>{"跳过去了"});
        EXPECT_EQ(host().boxes[0].at.minute, c.jumpTo.minute);
        EXPECT_EQ(host().boxes[0].at.second, c.jumpTo.second);
        EXPECT_EQ(row(0)[3], "已响");
    }
}

// The check brings 短位时间 to its own minute, so a clock tick that comes
// late (or not at all) cannot make it miss the minute.
TEST_F(StoreFaults, TheCheckSeesItsMinuteWhenTheClockTickIsLate) {
    start(At(2026, 12, 10, 9, 0, 10));
    add("2026-12-10 09:01:00", "准时");
    host().setTimer(Ctl::时钟1, 0);
    host().advanceTo(At(2026, 12, 10, 9, 1, 0, 500));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"准时"});
    EXPECT_EQ(host().boxes[0].at.second, 0);
}

}  // namespace
}  // namespace ny::testing
