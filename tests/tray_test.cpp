// Hiding to the tray and coming back, the tray menu, and ending the program.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "mainwindow/trayhint.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

enum class Hide { Close, Minimise };
enum class Show { TrayClick, OpenItem };

const char* Name(Hide h) { return h == Hide::Close ? "close" : "minimise"; }
const char* Name(Show s) { return s == Show::TrayClick ? "tray click" : "打开"; }

class Tray : public ProgramTest {
protected:
    void hide(Hide how) {
        if (how == Hide::Close) {
            EXPECT_EQ(host().raise(Ev::CloseRequest, Ctl::MainWindow), Reply::None) << "the window closed";
        } else {
            host().setWindowState(Ctl::MainWindow, WindowState::Minimised);
        }
    }
    void show(Show how) {
        if (how == Show::TrayClick) {
            host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Left));
        } else {
            host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
            click(Ctl::打开);
        }
    }
    void expectHidden(const std::string& what) {
        EXPECT_TRUE(host().exists(Ctl::MainWindow)) << what;
        EXPECT_FALSE(host().visible(Ctl::MainWindow)) << what;
        ASSERT_TRUE(host().trayTip.has_value()) << what;
        // The program's tip first; a second line may name the next alarm.
        EXPECT_EQ(host().trayTip->substr(0, host().trayTip->find('\n')), "闹钟 - Verunda") << what;
        EXPECT_FALSE(host().ended()) << what;
    }
    void expectShown(const std::string& what) {
        EXPECT_TRUE(host().visible(Ctl::MainWindow)) << what;
        EXPECT_EQ(host().windowState(Ctl::MainWindow), WindowState::Normal) << what;
        EXPECT_FALSE(host().trayTip.has_value()) << what;
    }
};

TEST_F(Tray, CloseRequestHidesBehindATrayIcon) {
    start(At(2026, 3, 7, 9, 0, 0));
    hide(Hide::Close);
    expectHidden("after close");
    EXPECT_EQ(host().windowState(Ctl::MainWindow), WindowState::Normal);
    // The program runs on: the clock still ticks.
    host().advance(3100);
    EXPECT_EQ(host().text(Ctl::短位时间), "2026-03-07 09:00:03");
    // Closing again while hidden changes nothing.
    hide(Hide::Close);
    expectHidden("after a second close");
}

TEST_F(Tray, MinimiseHidesAndStaysMinimised) {
    start(At(2026, 3, 7, 9, 0, 0));
    hide(Hide::Minimise);
    expectHidden("after minimise");
    EXPECT_EQ(host().windowState(Ctl::MainWindow), WindowState::Minimised);
    EXPECT_TRUE(host().popups.empty());
}

TEST_F(Tray, OtherSizeChangesLeaveTheWindowShown) {
    start(At(2026, 3, 7, 9, 0, 0));
    host().setWindowState(Ctl::MainWindow, WindowState::Normal);
    host().setWindowState(Ctl::MainWindow, WindowState::Maximised);
    EXPECT_TRUE(host().visible(Ctl::MainWindow));
    EXPECT_FALSE(host().trayTip.has_value());
}

TEST_F(Tray, EveryWayBackRestoresTheWindowAndRemovesTheIcon) {
    for (Hide h : {Hide::Close, Hide::Minimise}) {
        for (Show s : {Show::TrayClick, Show::OpenItem}) {
            const std::string what = std::string(Name(h)) + " then " + Name(s);
            start(At(2026, 3, 7, 9, 0, 0));
            hide(h);
            expectHidden(what);
            show(s);
            expectShown(what);
            EXPECT_EQ(host().frontCount, 1) << what;
            EXPECT_EQ(host().popups,
                      s == Show::OpenItem ? std::vector<Ctl>{Ctl::托盘菜单} : std::vector<Ctl>{})
                << what;
            // Hiding again puts the icon back.
            hide(h);
            expectHidden(what + ", hidden again");
        }
    }
}

TEST_F(Tray, RightClickOnTheIconPopsUpTheTrayMenu) {
    start(At(2026, 3, 7, 9, 0, 0));
    hide(Hide::Close);
    host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
    EXPECT_EQ(host().popups, std::vector<Ctl>{Ctl::托盘菜单});
    // The menu alone changes nothing.
    expectHidden("menu open");
    EXPECT_EQ(host().frontCount, 0);
}

TEST_F(Tray, OtherTrayCodesDoNothing) {
    start(At(2026, 3, 7, 9, 0, 0));
    hide(Hide::Minimise);
    // Moves, double clicks, button releases, the middle button.
    for (int code : {0, 3, 4, 5, 6, 0x200, 0x202, 0x203, 0x205, 0x206, -1}) {
        host().raise(Ev::Tray, Ctl::MainWindow, code);
        expectHidden("code " + std::to_string(code));
        EXPECT_EQ(host().windowState(Ctl::MainWindow), WindowState::Minimised) << code;
    }
    EXPECT_TRUE(host().popups.empty());
    EXPECT_EQ(host().frontCount, 0);
}

TEST_F(Tray, QuitItemEndsTheProgramWithoutAnIconLeft) {
    start(At(2026, 3, 7, 9, 0, 0));
    add("2026-03-07 09:02:00", "不会响");
    hide(Hide::Close);
    host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
    click(Ctl::关闭);
    EXPECT_TRUE(host().ended());
    EXPECT_FALSE(host().exists(Ctl::MainWindow));
    EXPECT_FALSE(host().trayTip.has_value());
    EXPECT_TRUE(host().boxes.empty()) << "quitting asks nothing";
    // Nothing runs after the end: the alarm never rings.
    host().advance(5 * 60 * 1000);
    EXPECT_TRUE(host().audio.empty());
    EXPECT_TRUE(host().boxes.empty());
    // The store keeps the alarm for the next run.
    restart();
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "不会响");
}

TEST_F(Tray, AlarmRingingWhileHiddenBringsTheWindowBack) {
    for (Hide h : {Hide::Close, Hide::Minimise}) {
        std::filesystem::remove(path("ny.edb"));  // each round starts with no alarms
        start(At(2026, 3, 7, 8, 59, 30));
        add("2026-03-07 09:00:00", "该出门了");
        hide(h);
        expectHidden(Name(h));
        host().advanceTo(At(2026, 3, 7, 9, 0, 2));
        ASSERT_EQ(boxTexts(), std::vector<std::string>{"该出门了"}) << Name(h);
        EXPECT_TRUE(host().boxes[0].urgent) << Name(h);
        EXPECT_EQ(plays(), std::vector<std::string>{dir() + "/alarm.mp3"}) << Name(h);
        expectShown(Name(h));
        EXPECT_GE(host().frontCount, 1) << Name(h);
        EXPECT_TRUE(host().enabled(Ctl::停止)) << Name(h);
    }
}

TEST_F(Tray, CountdownEndsWhileHiddenWithoutShowingTheWindow) {
    for (Hide h : {Hide::Close, Hide::Minimise}) {
        start(At(2026, 3, 7, 9, 0, 0));
        host().setText(Ctl::组合框_秒, "03");
        click(Ctl::按钮_倒计时开始);
        hide(h);
        host().advance(4500);
        ASSERT_EQ(boxTexts(), std::vector<std::string>{"时间到！时间到！"}) << Name(h);
        EXPECT_TRUE(host().boxes[0].urgent) << Name(h);
        EXPECT_EQ(plays(), std::vector<std::string>{dir() + "/alarm.mp3"}) << Name(h);
        expectHidden(Name(h));
        EXPECT_EQ(host().frontCount, 0) << Name(h);
    }
}

// The first time the user hides the window, a balloon says the program runs
// on; once per user, over restarts; a start into the tray says nothing.
TEST_F(Tray, TheHintIsGivenOnceWhenTheUserFirstHidesTheWindow) {
    for (Hide how : {Hide::Close, Hide::Minimise}) {
        std::map<std::string, uint32_t> registry;  // the user's key outlives the program
        beforeStart = [&] { host().settings = registry; };
        start(At(2026, 3, 7, 9, 0, 0));
        EXPECT_TRUE(host().balloons.empty()) << Name(how);
        hide(how);
        expectHidden(Name(how));
        EXPECT_EQ(host().balloons, std::vector<std::string>{std::string(kTrayHintText)}) << Name(how);
        EXPECT_EQ(host().settings[std::string(kTrayHintShownValue)], 1u) << Name(how);
        show(Show::TrayClick);
        hide(how);
        hide(Hide::Close);
        EXPECT_EQ(host().balloons.size(), 1u) << Name(how) << ": once";
        registry = host().settings;
        restart();
        hide(how);
        expectHidden(Name(how));
        EXPECT_TRUE(host().balloons.empty()) << Name(how) << ": not after a restart";
    }
}

TEST_F(Tray, NoHintForAStartIntoTheTrayNorWhereItCannotBeRemembered) {
    beforeStart = [&] { host().inTray = true; };
    start(At(2026, 3, 7, 9, 0, 0));
    expectHidden("started with /tray");
    EXPECT_TRUE(host().balloons.empty());
    EXPECT_FALSE(host().settings.count(std::string(kTrayHintShownValue)));
    // Shown, then closed by the user: the first time the user hides it.
    show(Show::TrayClick);
    hide(Hide::Close);
    EXPECT_EQ(host().balloons.size(), 1u);

    // A key that cannot be written: no hint at all rather than one at every
    // close, and no message about it.
    beforeStart = [&] { host().failSettingWrites = "拒绝访问。"; };
    start(At(2026, 3, 7, 9, 0, 0));
    hide(Hide::Close);
    show(Show::TrayClick);
    hide(Hide::Close);
    EXPECT_TRUE(host().balloons.empty());
    EXPECT_TRUE(host().boxes.empty());
}

}  // namespace
}  // namespace ny::testing
