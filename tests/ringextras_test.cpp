// The ringing alarm's box with its snooze, and ringing until stopped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/ring.h"
#include "host/alarmlist.h"
#include "host/layout.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

constexpr int kSnooze = 1;

// The box answered with `button` after `openMs`, running `meanwhile` first.
SimHost::BoxPress Press(int button, int64_t openMs, std::function<void()> meanwhile = {}) {
    return {button, openMs, std::move(meanwhile)};
}

class RingExtras : public ProgramTest {
protected:
    // An alarm with a prompt and its own tone rings at `minute`:00 (started
    // 30 s before); the box is answered with `answer`.
    void ringAt(const LocalTime& minute, SimHost::BoxPress answer) {
        writeFile("wake.mp3", "ID3 wake tone");
        start(CivilFromMs(MsFromCivil(minute) - 30000));
        add(ShortTimeText(minute), "起床", path("wake.mp3"));
        ASSERT_EQ(rows(), 1);
        host().boxAnswers.push_back(std::move(answer));
        host().advanceTo(CivilFromMs(MsFromCivil(minute) + 1000));
    }
    std::vector<std::string> ops() {
        std::vector<std::string> out;
        for (const auto& a : host().audio) out.push_back(a.op);
        return out;
    }
    int64_t msOf(const LocalTime& t) { return MsFromCivil(t); }
};

TEST_F(RingExtras, TheAlarmBoxHasTheSnoozeButtonTheCountdownBoxNot) {
    ringAt(At(2026, 12, 10, 7, 30, 0), {});
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].text, "起床");
    EXPECT_EQ(host().boxes[0].second, "10 分钟后再响");
    EXPECT_TRUE(host().boxes[0].urgent);
    EXPECT_EQ(rows(), 1) << "OK adds nothing";

    host().setText(Ctl::组合框_秒, "01");
    click(Ctl::按钮_倒计时开始);
    host().advance(3000);
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_EQ(host().boxes[1].second, "");
}

TEST_F(RingExtras, SnoozeSetsAOneTimeAlarmAgainTenMinutesAfterTheCurrentMinute) {
    struct Case {
        LocalTime ring;
        int64_t openMs;  // how long the box stays up before the button
        const char* minute;
    } cases[] = {
        {At(2026, 12, 10, 7, 30, 0), 5000, "2026-12-10 07:40"},
        {At(2026, 12, 10, 8, 55, 0), 5000, "2026-12-10 09:05"},
        {At(2026, 12, 10, 23, 52, 0), 5000, "2026-12-11 00:02"},
        {At(2026, 12, 31, 23, 58, 0), 5000, "2027-01-01 00:08"},
        {At(2026, 12, 10, 7, 30, 0), 3 * 60000, "2026-12-10 07:43"},  // pressed at 07:33
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path("ny.edb"));
        ringAt(c.ring, Press(kSnooze, c.openMs));
        ASSERT_EQ(rows(), 1) << c.minute << ": the alarm itself, no second row";
        EXPECT_EQ(row(0), (std::vector<std::string>{c.minute, path("wake.mp3"), "起床", "未响"}));
        // The sound stopped when the button was pressed, 停止 with it.
        ASSERT_FALSE(host().audio.empty());
        EXPECT_EQ(host().audio.back().op, "stop");
        EXPECT_EQ(msOf(host().audio.back().at), msOf(c.ring) + c.openMs + 5) << c.minute;
        EXPECT_FALSE(host().enabled(Ctl::停止));
        const auto again = row(0);
        restart();
        EXPECT_EQ(row(0), again) << "the store holds it";
    }
}

// A repeating alarm keeps its rule: the snooze is a one-time alarm of its own.
TEST_F(RingExtras, SnoozeOfARepeatingAlarmAddsAOneTimeAlarm) {
    writeFile("wake.mp3", "ID3 wake tone");
    start(At(2026, 12, 10, 7, 29, 30));
    add("2026-12-10 07:30:00", "起床", path("wake.mp3"));
    host().selectRow(Ctl::超级列表框1, 0);
    host().raise(Ev::RightClick, Ctl::超级列表框1);
    click(Ctl::重复_每天);
    host().boxAnswers.push_back(Press(kSnooze, 5000));
    host().advanceTo(At(2026, 12, 10, 7, 30, 30));
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(row(0), (std::vector<std::string>{"2026-12-11 07:30  每天", path("wake.mp3"), "起床", "未响"}));
    EXPECT_EQ(row(1), (std::vector<std::string>{"2026-12-10 07:40", path("wake.mp3"), "起床", "未响"}));
}

TEST_F(RingExtras, TheSnoozedAlarmRingsAgainWithTheSameToneAndPrompt) {
    ringAt(At(2026, 12, 10, 7, 30, 0), Press(kSnooze, 2000));
    host().advanceTo(At(2026, 12, 10, 7, 40, 30));
    EXPECT_EQ(plays(), (std::vector<std::string>{path("wake.mp3"), path("wake.mp3")}));
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_EQ(host().boxes[1].text, "起床");
    EXPECT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[3], "已响");
}

TEST_F(RingExtras, ASnoozeWhoseWriteFailsAddsNoRowAndIsTold) {
    ringAt(At(2026, 12, 10, 7, 30, 0), Press(kSnooze, 2000, [&] { host().files.faults.failWrites = "磁盘已满。"; }));
    EXPECT_EQ(rows(), 1);
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_NE(host().boxes[1].text.find("磁盘已满"), std::string::npos);
    host().files.faults.failWrites.reset();
    restart();
    EXPECT_EQ(rows(), 1);
}

// ---- ringing until stopped -----------------------------------------------------

TEST_F(RingExtras, OffTheToneIsPlayedOnceAndLeftToEndAsBefore) {
    ringAt(At(2026, 12, 10, 7, 30, 0), Press(0, 20000));
    EXPECT_EQ(ops(), std::vector<std::string>{"play"}) << "no stop when the box closes";
    EXPECT_FALSE(host().looping);
    EXPECT_TRUE(host().enabled(Ctl::停止));
    EXPECT_EQ(host().timerPeriod(Ctl::响铃时限时钟), 0);
}

TEST_F(RingExtras, OnTheToneRepeatsUntilTheBoxClosesOrTheLimit) {
    struct Case {
        const char* what;
        int button;
        int64_t openMs;
        int64_t stopAfterMs;  // from the ring's play
    } cases[] = {
        {"OK after 20 s", 0, 20000, 20000},
        {"snooze after 3 min", kSnooze, 3 * 60000, 3 * 60000},
        {"nobody there: 10 minutes", 0, 15 * 60000, kRingLimitMs},
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path("ny.edb"));
        beforeStart = [&] { host().settings[std::string(kRingUntilStoppedValue)] = 1; };
        bool loopingWhileOpen = false;
        ringAt(At(2026, 12, 10, 7, 30, 0), Press(c.button, c.openMs, [&] { loopingWhileOpen = host().looping; }));
        EXPECT_TRUE(loopingWhileOpen) << c.what;
        ASSERT_GE(host().audio.size(), 2u) << c.what;
        EXPECT_EQ(host().audio[0].op, "play");
        EXPECT_EQ(host().audio[1].op, "stop") << c.what;
        EXPECT_EQ(msOf(host().audio[1].at) - msOf(host().audio[0].at), c.stopAfterMs) << c.what;
        EXPECT_FALSE(host().looping) << c.what;
        EXPECT_FALSE(host().enabled(Ctl::停止)) << c.what;
        EXPECT_EQ(ops().size(), 2u) << "the host repeats the tone, the program plays and stops it once";
    }
}

TEST_F(RingExtras, OnStopEndsTheRingAndTheLimitDoesNothingLater) {
    beforeStart = [&] { host().settings[std::string(kRingUntilStoppedValue)] = 1; };
    ringAt(At(2026, 12, 10, 7, 30, 0), Press(0, 30000, [&] {
               host().advance(5000);
               click(Ctl::停止);
           }));
    EXPECT_EQ(ops(), (std::vector<std::string>{"play", "stop"}));
    EXPECT_FALSE(host().looping);
    host().advance(kRingLimitMs);
    EXPECT_EQ(ops().size(), 2u);
}

TEST_F(RingExtras, OnEachOfSeveralAlarmsGetsItsOwnLimit) {
    beforeStart = [&] { host().settings[std::string(kRingUntilStoppedValue)] = 1; };
    writeFile("wake.mp3", "ID3 wake tone");
    start(At(2026, 12, 10, 7, 29, 30));
    add("2026-12-10 07:30:00", "一");
    add("2026-12-10 07:30:00", "二");
    host().boxAnswers.push_back(Press(0, 15 * 60000));
    host().boxAnswers.push_back(Press(0, 15 * 60000));
    host().advanceTo(At(2026, 12, 10, 8, 0, 0));
    // play, stop at its limit; a second later the next: play, stop at its limit.
    ASSERT_EQ(ops(), (std::vector<std::string>{"play", "stop", "play", "stop"}));
    const auto& a = host().audio;
    EXPECT_EQ(msOf(a[1].at) - msOf(a[0].at), kRingLimitMs);
    EXPECT_EQ(msOf(a[3].at) - msOf(a[2].at), kRingLimitMs);
}

TEST_F(RingExtras, OnThePreviewAndTheCountdownDoNotRepeat) {
    beforeStart = [&] { host().settings[std::string(kRingUntilStoppedValue)] = 1; };
    start(At(2026, 12, 10, 7, 0, 0));
    click(Ctl::试听);
    EXPECT_FALSE(host().looping);
    host().setText(Ctl::组合框_秒, "01");
    click(Ctl::按钮_倒计时开始);
    host().advance(3000);
    EXPECT_FALSE(host().looping);
    EXPECT_EQ(plays().size(), 2u);
}

TEST_F(RingExtras, TheMenuItemTogglesTheSettingAndItsCheck) {
    start(At(2026, 12, 10, 7, 0, 0));
    EXPECT_FALSE(host().menuChecks[Ctl::持续响铃直到停止]);
    click(Ctl::持续响铃直到停止);
    EXPECT_EQ(host().settings[std::string(kRingUntilStoppedValue)], 1u);
    EXPECT_TRUE(host().menuChecks[Ctl::持续响铃直到停止]);
    click(Ctl::持续响铃直到停止);
    EXPECT_EQ(host().settings[std::string(kRingUntilStoppedValue)], 0u);
    EXPECT_FALSE(host().menuChecks[Ctl::持续响铃直到停止]);
    // A value set elsewhere shows when the tray menu opens.
    host().settings[std::string(kRingUntilStoppedValue)] = 1;
    host().raise(Ev::CloseRequest, Ctl::MainWindow);
    host().raise(Ev::Tray, Ctl::MainWindow, static_cast<int>(TrayClick::Right));
    EXPECT_TRUE(host().menuChecks[Ctl::持续响铃直到停止]);
    // A failed write is told and changes nothing.
    host().failSettingWrites = "拒绝访问。";
    click(Ctl::持续响铃直到停止);
    EXPECT_EQ(host().settings[std::string(kRingUntilStoppedValue)], 1u);
    EXPECT_TRUE(host().menuChecks[Ctl::持续响铃直到停止]);
    ASSERT_FALSE(host().boxes.empty());
    EXPECT_NE(host().boxes.back().text.find("拒绝访问"), std::string::npos);
    EXPECT_NE(host().boxes.back().text.find("RingUntilStopped"), std::string::npos);
}

TEST_F(RingExtras, TheSettingsAreAlsoInTheSystemMenu) {
    std::vector<Ctl> inSystemMenu;
    for (const ControlDesign& d : ControlDesigns())
        if (d.inSystemMenu) inSystemMenu.push_back(d.id);
    EXPECT_EQ(inSystemMenu, (std::vector<Ctl>{Ctl::开机启动, Ctl::持续响铃直到停止, Ctl::再响间隔,
                                              Ctl::再响间隔_5, Ctl::再响间隔_10, Ctl::再响间隔_15,
                                              Ctl::再响间隔_20, Ctl::再响间隔_30}));
}

}  // namespace
}  // namespace ny::testing
