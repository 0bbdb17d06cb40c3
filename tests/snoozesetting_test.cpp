// The snooze length setting (再响间隔) and the words of the ringing alarm's box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/snooze.h"
#include "host/layout.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

constexpr Ctl kItems[] = {Ctl::再响间隔_5, Ctl::再响间隔_10, Ctl::再响间隔_15, Ctl::再响间隔_20,
                          Ctl::再响间隔_30};

class SnoozeSetting : public ProgramTest {
protected:
    std::string value() { return std::string(kSnoozeMinutesValue); }
    // The items with a mark, in menu order.
    std::vector<Ctl> checked() {
        std::vector<Ctl> out;
        for (Ctl c : kItems)
            if (host().menuChecks[c]) out.push_back(c);
        return out;
    }
};

TEST_F(SnoozeSetting, TheStoredValueIsReadAndMarkedAnOddOneCountsAsTen) {
    struct Case {
        std::optional<uint32_t> stored;
        int minutes;
        Ctl marked;
    } cases[] = {
        {std::nullopt, 10, Ctl::再响间隔_10}, {5u, 5, Ctl::再响间隔_5},
        {10u, 10, Ctl::再响间隔_10},          {15u, 15, Ctl::再响间隔_15},
        {20u, 20, Ctl::再响间隔_20},          {30u, 30, Ctl::再响间隔_30},
        {0u, 10, Ctl::再响间隔_10},           {7u, 10, Ctl::再响间隔_10},
        {60u, 10, Ctl::再响间隔_10},          {0xFFFFFFFFu, 10, Ctl::再响间隔_10},
    };
    for (const Case& c : cases) {
        beforeStart = [&] {
            if (c.stored) host().settings[value()] = *c.stored;
        };
        start(At(2026, 12, 10, 7, 0, 0));
        EXPECT_EQ(SnoozeMinutes(host()), c.minutes) << (c.stored ? *c.stored : 0);
        EXPECT_EQ(checked(), std::vector<Ctl>{c.marked}) << (c.stored ? *c.stored : 0);
    }
}

TEST_F(SnoozeSetting, ChoosingALengthKeepsItAndMovesTheMark) {
    start(At(2026, 12, 10, 7, 0, 0));
    const int lengths[] = {5, 10, 15, 20, 30};
    for (size_t i = 0; i < std::size(kItems); ++i) {
        click(kItems[i]);
        EXPECT_EQ(host().settings[value()], uint32_t(lengths[i]));
        EXPECT_EQ(checked(), std::vector<Ctl>{kItems[i]});
        EXPECT_EQ(SnoozeMinutes(host()), lengths[i]);
    }
    EXPECT_TRUE(host().boxes.empty());
    const auto registry = host().settings;  // the user's key outlives the program
    beforeStart = [&] { host().settings = registry; };
    restart();
    EXPECT_EQ(checked(), std::vector<Ctl>{Ctl::再响间隔_30}) << "kept over a restart";
}

TEST_F(SnoozeSetting, AFailedWriteIsToldAndTheMarkStays) {
    start(At(2026, 12, 10, 7, 0, 0));
    click(Ctl::再响间隔_20);
    host().failSettingWrites = "拒绝访问。";
    click(Ctl::再响间隔_5);
    EXPECT_EQ(host().settings[value()], 20u);
    EXPECT_EQ(checked(), std::vector<Ctl>{Ctl::再响间隔_20});
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find("再响间隔"), std::string::npos);
    EXPECT_NE(host().boxes[0].text.find("SnoozeMinutes"), std::string::npos);
    EXPECT_NE(host().boxes[0].text.find("拒绝访问"), std::string::npos);
}

TEST_F(SnoozeSetting, TheTrayMenuShowsAValueChangedElsewhere) {
    start(At(2026, 12, 10, 7, 0, 0));
    host().settings[value()] = 15;
    host().raise(Ev::CloseRequest, Ctl::MainWindow);
    host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
    EXPECT_EQ(checked(), std::vector<Ctl>{Ctl::再响间隔_15});
}

TEST_F(SnoozeSetting, TheSubmenuInTheTrayAndSystemMenus) {
    const ControlDesign* sub = FindDesign(Ctl::再响间隔);
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->kind, Kind::Menu);
    EXPECT_EQ(sub->parentMenu, Ctl::托盘菜单);
    EXPECT_EQ(sub->caption, "再响间隔");
    EXPECT_TRUE(sub->inSystemMenu);
    std::vector<std::string> captions;
    for (const ControlDesign& d : ControlDesigns())
        if (d.parentMenu == Ctl::再响间隔) {
            EXPECT_TRUE(d.radio && d.inSystemMenu && d.kind == Kind::MenuItem) << d.caption;
            captions.emplace_back(d.caption);
        }
    EXPECT_EQ(captions, (std::vector<std::string>{"5 分钟", "10 分钟", "15 分钟", "20 分钟", "30 分钟"}));
}

TEST(SnoozeWords, TheButtonSaysTheLengthTheTitleTheTime) {
    EXPECT_EQ(SnoozeButtonText(10), "10 分钟后再响");
    EXPECT_EQ(SnoozeButtonText(5), "5 分钟后再响");
    EXPECT_EQ(SnoozeButtonText(30), "30 分钟后再响");
    EXPECT_EQ(RingBoxTitle("2026-12-11 07:30"), "Ny闹钟 - 07:30");
    EXPECT_EQ(RingBoxTitle("2027-01-01 00:00"), "Ny闹钟 - 00:00");
    EXPECT_EQ(RingBoxTitle("2026-12-11 07:30  每天"), "Ny闹钟 - 07:30");
    EXPECT_EQ(RingBoxTitle("2026-12-11 07:30:45"), "Ny闹钟 - 07:30");
    EXPECT_EQ(RingBoxTitle(""), "Ny闹钟");
    EXPECT_EQ(RingBoxTitle("2026-12-11 25:30"), "Ny闹钟");
    EXPECT_EQ(RingBoxTitle("起床"), "Ny闹钟");
}

TEST(SnoozeWords, ItemsAndLengthsGoBothWays) {
    const int lengths[] = {5, 10, 15, 20, 30};
    for (size_t i = 0; i < std::size(kItems); ++i) {
        EXPECT_EQ(SnoozeItem(lengths[i]), kItems[i]);
        EXPECT_EQ(SnoozeMinutesOfItem(kItems[i]), lengths[i]);
    }
    EXPECT_EQ(SnoozeItem(7), Ctl::None);
    EXPECT_EQ(SnoozeMinutesOfItem(Ctl::持续响铃直到停止), std::nullopt);
}

}  // namespace
}  // namespace ny::testing
