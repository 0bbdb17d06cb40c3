// Start-up: the instance lock, the list columns, the first texts, and the
// alarm list loaded from the store.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace ny::testing {
namespace {

using Row = std::vector<std::string>;

const std::vector<std::string> kColumns = {"闹钟时间", "铃声文件", "闹钟提示信息", "是否已响铃", "重复"};

class Startup : public ProgramTest {
protected:
    // A second copy of the program in the same directory, started while this
    // one runs. Returns the code it exited with, or nullopt if it kept running.
    std::optional<int> startSecondCopy(SimHost& second) {
        App secondApp(second);
        second.onEvent = [&](const Event& e) { return Dispatch(secondApp, e); };
        std::optional<int> code;
        try {
            second.loadWindow(Ctl::MainWindow);
        } catch (const SimExit& e) {
            code = e.code;
        }
        second.onEvent = nullptr;
        return code;
    }
};

TEST_F(Startup, FirstStartInAnEmptyDirectory) {
    ASSERT_FALSE(std::filesystem::exists(path("ny.yz")));
    ASSERT_FALSE(std::filesystem::exists(path("ny.edb")));
    start(At(2026, 3, 7, 9, 5, 3, 400));

    EXPECT_EQ(readFile("ny.yz"), std::string(1, '\0'));
    EXPECT_EQ(host().files.hiddenFiles, std::vector<std::string>{path("ny.yz")});
    EXPECT_TRUE(std::filesystem::exists(path("ny.edb")));

    EXPECT_EQ(host().listColumns(Ctl::超级列表框1), kColumns);
    EXPECT_EQ(rows(), 0);
    EXPECT_EQ(host().text(Ctl::编辑框1), "2026-03-07 09:05:03");
    EXPECT_EQ(host().text(Ctl::铃声路径), dir() + "/alarm.mp3");
    EXPECT_EQ(host().text(Ctl::现行时间), "2026年3月7日 星期六 09:05:03");
    EXPECT_EQ(host().text(Ctl::短位时间), "2026-03-07 09:05:03");

    // Shown, quiet, nothing asked, no tray icon, no countdown.
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_TRUE(host().audio.empty());
    EXPECT_TRUE(host().visible(Ctl::MainWindow));
    EXPECT_FALSE(host().trayTip.has_value());
    EXPECT_FALSE(host().enabled(Ctl::停止));
    EXPECT_EQ(host().timerPeriod(Ctl::时钟_倒计时), 0);
    EXPECT_GT(host().timerPeriod(Ctl::时钟1), 0);
    EXPECT_GT(host().timerPeriod(Ctl::时钟2), 0);
}

TEST_F(Startup, EntryFieldHoldsTheStartTimeWithTwoDigitFields) {
    struct Case {
        LocalTime t;
        const char* entry;
    } cases[] = {
        {At(2026, 1, 1, 0, 0, 0), "2026-01-01 00:00:00"},
        {At(2026, 12, 31, 23, 59, 59, 999), "2026-12-31 23:59:59"},
        {At(2028, 2, 29, 7, 8, 9), "2028-02-29 07:08:09"},
    };
    for (const Case& c : cases) {
        start(c.t);
        EXPECT_EQ(host().text(Ctl::编辑框1), c.entry);
        EXPECT_EQ(host().text(Ctl::短位时间), c.entry);
    }
}

TEST_F(Startup, StoredAlarmsAreListedInRecordOrder) {
    start(At(2026, 3, 7, 9, 0, 0));
    writeFile("wake.mp3", "ID3 wake");
    add("2026-03-08 07:30:00", "起床", path("wake.mp3"));
    add("2026-03-07 09:01:00", "", dir() + "/alarm.mp3");
    add("2026-03-07 21:15:45", "吃药 两片");
    host().advanceTo(At(2026, 3, 7, 9, 1, 5));  // the second alarm rings
    ASSERT_EQ(boxTexts(), std::vector<std::string>{"时间到！时间到！"});

    restart();
    const std::vector<Row> expected = {
        {"2026-03-08 07:30", path("wake.mp3"), "起床", "未响"},
        {"2026-03-07 09:01", dir() + "/alarm.mp3", "", "已响"},
        {"2026-03-07 21:15", dir() + "/alarm.mp3", "吃药 两片", "未响"},
    };
    ASSERT_EQ(rows(), 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(row(r), expected[size_t(r)]) << "row " << r;
    EXPECT_EQ(host().listColumns(Ctl::超级列表框1), kColumns);
    // Loading does not ring what was already rung, nor change the entry fields.
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_EQ(host().text(Ctl::铃声路径), dir() + "/alarm.mp3");

    // A second restart lists the same rows: loading changes nothing.
    const std::string store = readFile("ny.edb");
    restart();
    ASSERT_EQ(rows(), 3);
    for (int r = 0; r < 3; ++r) EXPECT_EQ(row(r), expected[size_t(r)]) << "row " << r;
    EXPECT_EQ(readFile("ny.edb"), store);
}

TEST_F(Startup, SecondCopyGivesWayWithoutTouchingAnything) {
    start(At(2026, 3, 7, 9, 0, 0));
    add("2026-03-07 10:00:00", "第一份");
    const std::string store = readFile("ny.edb");
    const std::string lock = readFile("ny.yz");

    SimHost second(dir(), host().now());
    // The running copy is asked to show its window before the message.
    int shownWhileBoxOpen = -1;
    second.boxAnswers.push_back({0, 0, [&] { shownWhileBoxOpen = second.runningCopyShown; }});
    const std::optional<int> code = startSecondCopy(second);
    ASSERT_TRUE(code.has_value()) << "the second copy kept running";
    EXPECT_EQ(*code, 0);
    EXPECT_TRUE(second.ended());
    EXPECT_EQ(shownWhileBoxOpen, 1);
    EXPECT_EQ(second.runningCopyShown, 1);
    EXPECT_EQ(host().runningCopyShown, 0) << "the first copy asks no one";

    ASSERT_EQ(second.boxes.size(), 1u);
    EXPECT_EQ(second.boxes[0].text, "Ny闹钟已经在运行");
    EXPECT_EQ(second.boxes[0].kind, BoxKind::Ok);
    EXPECT_FALSE(second.boxes[0].caption.has_value());
    EXPECT_FALSE(second.boxes[0].urgent);

    // Nothing of the second window was filled in, and no file was touched.
    EXPECT_TRUE(second.listColumns(Ctl::超级列表框1).empty());
    EXPECT_EQ(second.listRowCount(Ctl::超级列表框1), 0);
    EXPECT_EQ(second.text(Ctl::编辑框1), "");
    EXPECT_EQ(second.text(Ctl::铃声路径), "");
    EXPECT_EQ(second.text(Ctl::现行时间), "现行时间");
    EXPECT_TRUE(second.files.hiddenFiles.empty());
    EXPECT_TRUE(second.audio.empty());
    EXPECT_EQ(readFile("ny.edb"), store);
    EXPECT_EQ(readFile("ny.yz"), lock);

    // The first copy goes on as before: its alarm rings and is stored.
    EXPECT_EQ(rows(), 1);
    host().advanceTo(At(2026, 3, 7, 10, 0, 5));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"第一份"});
    EXPECT_EQ(row(0)[3], "已响");
}

TEST_F(Startup, StartAfterTheFirstEndedReusesTheLockFile) {
    start(At(2026, 3, 7, 9, 0, 0));
    add("2026-03-07 10:00:00", "留着");
    // Whatever the old lock file holds, it is reused as it is.
    writeFile("ny.yz", std::string("\0\x01", 2));
    restart();

    EXPECT_TRUE(host().boxes.empty());
    EXPECT_TRUE(host().files.hiddenFiles.empty()) << "the lock file was made anew";
    EXPECT_EQ(readFile("ny.yz"), std::string("\0\x01", 2));
    EXPECT_EQ(host().listColumns(Ctl::超级列表框1), kColumns);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "留着");

    // And this copy holds the lock again: a further copy gives way.
    SimHost third(dir(), host().now());
    EXPECT_EQ(startSecondCopy(third), std::optional<int>(0));
    ASSERT_EQ(third.boxes.size(), 1u);
    EXPECT_EQ(third.boxes[0].text, "Ny闹钟已经在运行");
}

TEST_F(Startup, MissingStoreIsCreatedAgainBesideAnOldLockFile) {
    start(At(2026, 3, 7, 9, 0, 0));
    add("2026-03-07 10:00:00", "会丢");
    std::filesystem::remove(path("ny.edb"));
    restart();
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_TRUE(std::filesystem::exists(path("ny.edb")));
    EXPECT_EQ(rows(), 0);
    add("2026-03-07 11:00:00", "新的");
    restart();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "新的");
}

}  // namespace
}  // namespace ny::testing
