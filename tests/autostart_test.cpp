// 开机启动: the tray menu item, the per-user Run value it keeps, and a start
// with the tray switch.
#include <gtest/gtest.h>

#include <string>

#include "host/layout.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

class Autostart : public ProgramTest {
protected:
    void openTrayMenu() {
        host().raise(Ev::CloseRequest, Ctl::MainWindow);
        host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
    }
    bool checked() { return host().menuChecks[Ctl::开机启动]; }
    std::string ownCommand() { return "\"" + host().exePath + "\" /tray"; }
};

TEST_F(Autostart, TheItemSitsAboveCloseInTheTrayMenu) {
    std::vector<std::string> items;
    for (const ControlDesign& d : ControlDesigns())
        if (d.kind == Kind::MenuItem && d.parentMenu == Ctl::托盘菜单) items.emplace_back(d.caption);
    // The setting added later goes below a separator, after the original three.
    EXPECT_EQ(items, (std::vector<std::string>{"打开", "开机启动", "关闭", "持续响铃直到停止"}));
    EXPECT_TRUE(FindDesign(Ctl::持续响铃直到停止)->separatorBefore);
}

TEST_F(Autostart, ChoosingTogglesTheRunValueAndTheCheckFollows) {
    start(At(2026, 3, 7, 9, 0, 0));
    openTrayMenu();
    EXPECT_FALSE(checked()) << "no value yet";

    click(Ctl::开机启动);
    ASSERT_EQ(host().startupValues.count("Ny闹钟"), 1u);
    EXPECT_EQ(host().startupValues["Ny闹钟"], ownCommand());
    openTrayMenu();
    EXPECT_TRUE(checked());

    click(Ctl::开机启动);
    EXPECT_EQ(host().startupValues.count("Ny闹钟"), 0u);
    openTrayMenu();
    EXPECT_FALSE(checked());
    EXPECT_TRUE(host().boxes.empty());
}

// The check mark is what the Run key says when the menu opens, whoever wrote it.
TEST_F(Autostart, TheCheckMarkIsReadFromTheRunValueEachTimeTheMenuOpens) {
    start(At(2026, 3, 7, 9, 0, 0));
    struct Case {
        std::string value;  // "" = no value
        bool checked;
    };
    const std::string exe = host().exePath;
    std::string upper = exe;
    for (char& c : upper)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    const Case cases[] = {
        {"", false},
        {"\"" + exe + "\" /tray", true},
        {"\"" + exe + "\"", true},             // written without the switch
        {"\"" + upper + "\" /tray", true},     // paths ignore letter case
        {"\"C:\\旧目录\\Ny闹钟.exe\" /tray", false},  // another copy of the program
        {"\"" + exe + ".bak\" /tray", false},
        {"garbage", false},
    };
    for (const Case& c : cases) {
        host().startupValues.clear();
        if (!c.value.empty()) host().startupValues["Ny闹钟"] = c.value;
        openTrayMenu();
        EXPECT_EQ(checked(), c.checked) << c.value;
    }
}

TEST_F(Autostart, AValueForAnotherPathIsRewrittenToThisProgram) {
    start(At(2026, 3, 7, 9, 0, 0));
    host().startupValues["Ny闹钟"] = "\"C:\\旧目录\\Ny闹钟.exe\" /tray";
    openTrayMenu();
    click(Ctl::开机启动);
    EXPECT_EQ(host().startupValues["Ny闹钟"], ownCommand());
    openTrayMenu();
    EXPECT_TRUE(checked());
}

TEST_F(Autostart, AFailedWriteIsToldAndChangesNothing) {
    start(At(2026, 3, 7, 9, 0, 0));
    for (bool wasOn : {false, true}) {
        host().startupValues.clear();
        if (wasOn) host().startupValues["Ny闹钟"] = ownCommand();
        host().boxes.clear();
        host().failStartupWrites = "拒绝访问。";
        openTrayMenu();
        click(Ctl::开机启动);
        ASSERT_EQ(host().boxes.size(), 1u) << "was on: " << wasOn;
        const auto& box = host().boxes[0];
        EXPECT_EQ(box.kind, BoxKind::Exclamation);
        EXPECT_NE(box.text.find("Software\\Microsoft\\Windows\\CurrentVersion\\Run\\Ny闹钟"),
                  std::string::npos)
            << box.text;
        EXPECT_NE(box.text.find("拒绝访问。"), std::string::npos) << box.text;
        EXPECT_EQ(host().startupValues.count("Ny闹钟"), wasOn ? 1u : 0u);
        host().failStartupWrites.reset();
        openTrayMenu();
        EXPECT_EQ(checked(), wasOn);
    }
}

TEST_F(Autostart, StartedWithTheSwitchTheProgramWaitsInTheTray) {
    beforeStart = [this] { host().inTray = true; };
    start(At(2026, 3, 7, 9, 0, 0));
    EXPECT_FALSE(host().visible(Ctl::MainWindow));
    EXPECT_EQ(host().trayTip, std::optional<std::string>("闹钟 - Verunda"));
    // Otherwise a full start: the list, the clock and the alarms run.
    EXPECT_EQ(host().listColumns(Ctl::超级列表框1).size(), 5u);
    add("2026-03-07 09:01:00", "托盘里也响");
    host().advanceTo(At(2026, 3, 7, 9, 1, 30));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"托盘里也响"});
    EXPECT_TRUE(host().visible(Ctl::MainWindow)) << "a ringing alarm brings the window back";
}

TEST_F(Autostart, WithoutTheSwitchTheWindowIsShown) {
    start(At(2026, 3, 7, 9, 0, 0));
    EXPECT_TRUE(host().visible(Ctl::MainWindow));
    EXPECT_FALSE(host().trayTip.has_value());
}

}  // namespace
}  // namespace ny::testing
