// The notice, at start-up, of alarms whose minute passed while the program
// was not running.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "program_fixture.h"
#include "alarms/storeui.h"

namespace ny::testing {
namespace {

class Missed : public ProgramTest {
protected:
    // A row the entry field would refuse, straight into the store.
    void storeRaw(const std::string& minute, const std::string& prompt) {
        appendRecord({"", "", minute, path("alarm.mp3"), prompt, "未响"});
    }
    std::vector<std::string> states() {
        std::vector<std::string> s;
        for (int r = 0; r < rows(); ++r) s.push_back(row(r)[3]);
        return s;
    }
};

std::string Minute(int i) {  // 2026-03-07 07:00 + i minutes
    char buf[32];
    std::snprintf(buf, sizeof buf, "2026-03-07 07:%02d", i);
    return buf;
}

// Alarms set at 06:00, the program closed, started again at 08:00:30.
TEST_F(Missed, OneNoticeListingTheRowsBeforeTheStartMinute) {
    struct Case {
        const char* what;
        int missed;                 // alarms at 07:00, 07:01, ... (prompt "闹钟 i")
        std::vector<std::string> raw;  // further rows stored as they are
        bool currentMinute;         // one more alarm at 08:00, the start minute
        bool future;                // and one at 09:00
        std::string text;           // expected notice, "" = none
    };
    std::string twelve = "程序没有运行时错过了 12 个闹钟：";
    for (int i = 0; i < 10; ++i) twelve += "\n" + Minute(i) + "  闹钟 " + std::to_string(i);
    twelve += "\n…还有 2 个";
    const Case cases[] = {
        {"none", 0, {}, false, true, ""},
        {"one", 1, {}, false, true, "程序没有运行时错过了 1 个闹钟：\n2026-03-07 07:00  闹钟 0"},
        {"twelve: ten lines and the rest counted", 12, {}, false, false, twelve},
        {"malformed or impossible minutes are not alarms",
         1, {"2026-3-7 07:30", "07:30", "", "2026-03-07 7:30", "2026-02-30 07:30"}, false, false,
         "程序没有运行时错过了 1 个闹钟：\n2026-03-07 07:00  闹钟 0"},
        {"the start minute is left to the check", 0, {}, true, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(path("ny.edb").c_str());
        start(At(2026, 3, 7, 6, 0, 0));
        for (int i = 0; i < c.missed; ++i)
            add(Minute(i) + ":00", "闹钟 " + std::to_string(i));
        for (const std::string& m : c.raw) storeRaw(m, "坏的");
        if (c.currentMinute) add("2026-03-07 08:00:10", "此刻");
        if (c.future) add("2026-03-07 09:00:00", "以后");
        ASSERT_TRUE(host().boxes.empty());

        start(At(2026, 3, 7, 8, 0, 30));
        if (c.text.empty()) {
            EXPECT_TRUE(host().boxes.empty()) << (host().boxes.empty() ? "" : host().boxes[0].text);
        } else {
            ASSERT_EQ(host().boxes.size(), 1u);
            EXPECT_EQ(host().boxes[0].text, c.text);
            EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
        }
        EXPECT_TRUE(plays().empty()) << "no sound";
        // The missed ones are rung now, in list and store; the rest are not.
        std::vector<std::string> expected(size_t(c.missed), "已响");
        expected.insert(expected.end(), c.raw.size(), "未响");
        if (c.currentMinute) expected.push_back("未响");
        if (c.future) expected.push_back("未响");
        EXPECT_EQ(states(), expected);
        restart();
        EXPECT_EQ(states(), expected) << "the store after a restart";
        EXPECT_TRUE(host().boxes.empty()) << "the notice comes once";
    }
}

// One line per alarm however long its prompt: line breaks become spaces,
// and the prompt is cut after 40 characters.
TEST_F(Missed, EachAlarmIsOneLineWithItsPromptCut) {
    const std::string forty = "一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十一二三四五六七八九十";
    struct Case {
        const char* what;
        std::string prompt;
        std::string line;
    } cases[] = {
        {"short", "起床", "起床"},
        {"line breaks", "第一行\r\n第二行\n第三行\r完", "第一行 第二行 第三行 完"},
        {"exactly forty", forty, forty},
        {"longer: cut", forty + "多", forty + "…"},
        {"long and many lines", std::string(30, 'a') + "\n" + std::string(300, 'b'),
         std::string(30, 'a') + " " + std::string(9, 'b') + "…"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(path("ny.edb").c_str());
        start(At(2026, 3, 7, 6, 0, 0));
        add("2026-03-07 07:00:00", c.prompt);
        add("2026-03-07 07:01:00", "二");
        start(At(2026, 3, 7, 8, 0, 0));
        ASSERT_EQ(host().boxes.size(), 1u);
        EXPECT_EQ(host().boxes[0].text, "程序没有运行时错过了 2 个闹钟：\n2026-03-07 07:00  " + c.line +
                                            "\n2026-03-07 07:01  二");
    }
}

TEST_F(Missed, TheAlarmOfTheStartMinuteStillRings) {
    start(At(2026, 3, 7, 7, 59, 0));
    add("2026-03-07 08:00:00", "此刻");
    start(At(2026, 3, 7, 8, 0, 30));
    EXPECT_TRUE(host().boxes.empty());
    host().advanceTo(At(2026, 3, 7, 8, 1, 5));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"此刻"});
    EXPECT_EQ(plays().size(), 1u);
}

// Started with Windows the window stays in the tray; the notice still comes.
TEST_F(Missed, TheNoticeAlsoComesWhenStartedInTheTray) {
    start(At(2026, 3, 7, 6, 0, 0));
    add("2026-03-07 07:00:00", "起床");
    beforeStart = [this] { host().inTray = true; };
    start(At(2026, 3, 7, 8, 0, 0));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"程序没有运行时错过了 1 个闹钟：\n2026-03-07 07:00  起床"});
    EXPECT_FALSE(host().visible(Ctl::MainWindow));
}

// The rows are marked only once the box is closed, and only as far as the
// store took it: a failed write is told, the list stays as the file is.
TEST_F(Missed, MarkedAfterTheBoxAndOnlyWhatTheStoreTook) {
    start(At(2026, 3, 7, 6, 0, 0));
    add("2026-03-07 07:00:00", "一");
    add("2026-03-07 07:10:00", "二");
    beforeStart = [this] {
        SimHost& h = host();
        SimHost::BoxPress a;
        a.whileOpen = [&h] {
            EXPECT_EQ(h.listCell(Ctl::超级列表框1, 0, 3), "未响") << "marked before the box closed";
            h.files.faults.failWrites = "磁盘已满。";
        };
        h.boxAnswers.push_back(a);
    };
    start(At(2026, 3, 7, 8, 0, 0));
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_NE(host().boxes[1].text.find("磁盘已满。"), std::string::npos) << host().boxes[1].text;
    EXPECT_EQ(states(), (std::vector<std::string>{"未响", "未响"}));
    beforeStart = nullptr;
    restart();
    EXPECT_EQ(host().boxes.size(), 1u) << "still missed: told again next time";
}

}  // namespace
}  // namespace ny::testing
