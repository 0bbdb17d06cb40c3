// The tray tip's second line: the next alarm still to ring.
#include <gtest/gtest.h>

#include <string>

#include "mainwindow/tray.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

class TrayTip : public ProgramTest {
protected:
    static constexpr Ctl kList = Ctl::超级列表框1;
    // An alarm straight into the book, as the store would read it: the
    // minute cell as the list shows it ("2026-12-11 07:30  每天" repeats daily).
    void rowOf(const std::string& cell, const std::string& prompt, const std::string& state) {
        const size_t gap = cell.find("  ");
        const std::string code = gap == std::string::npos ? "" : "D";
        app().book.append(AlarmOfFields({"", code, cell.substr(0, gap), "", prompt, state}));
    }
};

TEST_F(TrayTip, TheNextAlarmNotYetRung) {
    const std::string kTip = "闹钟 - Verunda";
    const std::string longPrompt(200, 'x');
    std::string sixty;  // 60 CJK characters
    for (int i = 0; i < 60; ++i) sixty += "醒";
    std::string emoji;  // 60 characters of two UTF-16 units each
    for (int i = 0; i < 60; ++i) emoji += "\xF0\x9F\x94\x94";
    struct Case {
        const char* what;
        std::vector<std::vector<std::string>> rows;  // minute, prompt, state
        std::string tip;
    } cases[] = {
        {"no alarms", {}, kTip},
        {"only rung or past ones",
         {{"2026-12-11 07:30", "a", "已响"}, {"2026-12-10 07:59", "b", "未响"}}, kTip},
        {"the earliest, not the first row",
         {{"2026-12-12 07:30", "后", "未响"}, {"2026-12-11 07:30  每天", "起床", "未响"},
          {"2026-12-11 06:00", "响过", "已响"}},
         kTip + "\n下一个：12-11 07:30 起床"},
        {"due in the current minute still counts", {{"2026-12-10 08:00", "", "未响"}},
         kTip + "\n下一个：12-10 08:00"},
        {"malformed minutes are no alarm",
         {{"2026-12-11 7:30", "a", "未响"}, {"2026-02-30 07:30", "b", "未响"}}, kTip},
        {"line breaks become spaces", {{"2026-12-11 07:30", "起床\r\n刷牙", "未响"}},
         kTip + "\n下一个：12-11 07:30 起床 刷牙"},
    };
    for (const Case& c : cases) {
        start(At(2026, 12, 10, 8, 0, 20));
        for (const auto& r : c.rows) rowOf(r[0], r[1], r[2]);
        EXPECT_EQ(TrayTipText(app()), c.tip) << c.what;
    }
    // Cut to the tip's 127 UTF-16 units, whole characters only.
    const std::string head = kTip + "\n下一个：12-11 07:30 ";  // 12 + 1 + 4 + 12 = 29 units
    struct Cut {
        std::string prompt;
        std::string shown;
    } cuts[] = {
        {longPrompt, std::string(127 - 29, 'x')},
        {sixty, sixty},
        {emoji, emoji.substr(0, 49 * 4)},  // 49 × 2 = 98 units fit
    };
    for (const Cut& c : cuts) {
        start(At(2026, 12, 10, 8, 0, 20));
        rowOf("2026-12-11 07:30", c.prompt, "未响");
        EXPECT_EQ(TrayTipText(app()), head + c.shown);
    }
}

TEST_F(TrayTip, ShownWhenHiddenAndRefreshedAsTheListAndTheMinuteChange) {
    start(At(2026, 12, 10, 8, 0, 20));
    add("2026-12-11 07:30:00", "起床");
    host().raise(Ev::CloseRequest, Ctl::MainWindow);
    EXPECT_EQ(host().trayTip, "闹钟 - Verunda\n下一个：12-11 07:30 起床");
    // Changes while the window is hidden: the list menu still works on it
    // from the sim, and the minute moves on.
    host().selectRow(kList, 0);
    click(Ctl::删除);
    EXPECT_EQ(host().trayTip, "闹钟 - Verunda");
    rowOf("2026-12-10 09:00", "开会", "未响");
    host().advance(60000);
    EXPECT_EQ(host().trayTip, "闹钟 - Verunda\n下一个：12-10 09:00 开会");
    Alarm rung = app().book.at(0);
    rung.setState(RingState::Rung);
    app().book.replace(rung);
    host().advance(60000);
    EXPECT_EQ(host().trayTip, "闹钟 - Verunda");
}

TEST_F(TrayTip, StartedInTheTrayTheTipNamesTheStoredAlarm) {
    start(At(2026, 12, 10, 8, 0, 20));
    add("2026-12-11 07:30:00", "起床");
    beforeStart = [&] { host().inTray = true; };
    restart();
    EXPECT_EQ(host().trayTip, "闹钟 - Verunda\n下一个：12-11 07:30 起床");
}

}  // namespace
}  // namespace ny::testing
