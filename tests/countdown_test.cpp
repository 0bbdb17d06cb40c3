// The countdown tab: start, tick, end, cancel, and staying on the real clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "countdown/countdown.h"
#include "host/uitexts.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

const char* const kTimeUp = txt::kTimeUp.data();  // a literal: NUL-terminated

class Countdown : public ProgramTest {
protected:
    void set(const std::string& h, const std::string& m, const std::string& s) {
        host().setText(Ctl::组合框_时, h);
        host().setText(Ctl::组合框_分, m);
        host().setText(Ctl::组合框_秒, s);
    }
    void press() { click(Ctl::按钮_倒计时开始); }
    std::string display() { return host().text(Ctl::标签_到计时); }
    std::string caption() { return host().text(Ctl::按钮_倒计时开始); }
    int64_t wallMs() { return MsFromCivil(host().now()); }
    // Lets time pass one countdown tick (the ticks are a second apart).
    void tick() { host().advance(1000); }

    void expectIdle(const std::string& shown, const std::string& what) {
        EXPECT_EQ(caption(), "倒计时开始") << what;
        EXPECT_EQ(host().timerPeriod(Ctl::时钟_倒计时), 0) << what;
        EXPECT_EQ(display(), shown) << what;
    }
};

TEST_F(Countdown, RunningTextSplitsSecondsWithoutPadding) {
    struct Case {
        int32_t seconds;
        const char* text;
    } cases[] = {
        {0, "0时0分0秒"},           {5, "0时0分5秒"},          {59, "0时0分59秒"},
        {60, "0时1分0秒"},          {61, "0时1分1秒"},         {3599, "0时59分59秒"},
        {3600, "1时0分0秒"},        {3723, "1时2分3秒"},       {86399, "23时59分59秒"},
        {90000, "25时0分0秒"},      {90060, "25时1分0秒"},     {2000000000, "555555时33分20秒"},
    };
    for (const Case& c : cases) EXPECT_EQ(CountdownText(c.seconds), c.text) << c.seconds;
}

// Each case: the boxes as set, the total they make, the first texts shown
// (at the start, then after each tick). The end comes at tick total + 1.
TEST_F(Countdown, CountsDownFromTheBoxesAndRingsTheDefaultTone) {
    struct Case {
        const char *h, *m, *s;
        int total;
        std::vector<std::string> first;
    } cases[] = {
        {"00", "00", "05", 5,
         {"0时0分5秒", "0时0分4秒", "0时0分3秒", "0时0分2秒", "0时0分1秒", "0时0分0秒"}},
        {"01", "00", "00", 3600, {"1时0分0秒", "0时59分59秒", "0时59分58秒"}},
        {"00", "60", "00", 3600, {"1时0分0秒", "0时59分59秒", "0时59分58秒"}},
        {"00", "01", "01", 61, {"0时1分1秒", "0时1分0秒", "0时0分59秒", "0时0分58秒"}},
        // The largest the boxes offer.
        {"24", "60", "60", 90060, {"25时1分0秒", "25时0分59秒"}},
        // Text-to-number: the fraction is dropped from the total.
        {"00", "00", "1.9", 1, {"0时0分1秒", "0时0分0秒"}},
        {"0", "0", "3", 3, {"0时0分3秒", "0时0分2秒"}},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.h) + ":" + c.m + ":" + c.s;
        start(At(2026, 3, 7, 9, 0, 0, 250));
        writeFile("chosen.mp3", "ID3 chosen");
        host().setText(Ctl::铃声路径, path("chosen.mp3"));  // not what the countdown plays
        set(c.h, c.m, c.s);
        const int64_t startedAt = wallMs();
        press();
        EXPECT_EQ(caption(), "倒计时取消") << what;
        EXPECT_EQ(host().timerPeriod(Ctl::时钟_倒计时), 1000) << what;
        for (size_t i = 0; i < c.first.size(); ++i) {
            if (i > 0) tick();
            EXPECT_EQ(display(), c.first[i]) << what << " after " << i << " ticks";
        }

        // Just before the end nothing has sounded; the end comes on tick total + 1.
        host().advanceTo(CivilFromMs(startedAt + int64_t(c.total) * 1000 + 990));
        EXPECT_EQ(display(), "0时0分0秒") << what;
        EXPECT_TRUE(plays().empty()) << what;
        EXPECT_EQ(caption(), "倒计时取消") << what;
        host().boxAnswers.push_back({0, 5000, {}});  // the box stays open 5 s
        host().advance(20);

        ASSERT_EQ(plays(), std::vector<std::string>{dir() + "/alarm.mp3"}) << what;
        EXPECT_EQ(MsFromCivil(host().audio[0].at), startedAt + (int64_t(c.total) + 1) * 1000)
            << what;
        EXPECT_TRUE(host().enabled(Ctl::停止)) << what;
        ASSERT_EQ(host().boxes.size(), 1u) << what;
        EXPECT_EQ(host().boxes[0].text, kTimeUp) << what;
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Ok) << what;
        EXPECT_FALSE(host().boxes[0].caption.has_value()) << what;
        EXPECT_TRUE(host().boxes[0].urgent) << what;
        expectIdle("0时0分0秒", what);
        // No tick while the box was open, nor after.
        host().advance(10000);
        EXPECT_EQ(plays().size(), 1u) << what;
        EXPECT_EQ(host().boxes.size(), 1u) << what;
        EXPECT_EQ(display(), "0时0分0秒") << what;
        EXPECT_EQ(host().text(Ctl::铃声路径), path("chosen.mp3")) << what;
    }
}

TEST_F(Countdown, TheBoxesOfferUpTo24HoursAnd60Minutes) {
    start(At(2026, 3, 7, 9, 0, 0));
    EXPECT_EQ(host().comboItems(Ctl::组合框_时).back(), "24");
    EXPECT_EQ(host().comboItems(Ctl::组合框_分).back(), "60");
    EXPECT_EQ(host().comboItems(Ctl::组合框_秒).back(), "60");
}

TEST_F(Countdown, NothingToCountIsRefused) {
    struct Case {
        const char *h, *m, *s;
    } cases[] = {
        {"00", "00", "00"}, {"", "", ""}, {"0", "00", ""}, {"abc", "分", "x5"}, {"00", "00", "0.9"},
    };
    for (const Case& c : cases) {
        const std::string what = std::string(c.h) + ":" + c.m + ":" + c.s;
        start(At(2026, 3, 7, 9, 0, 0));
        set(c.h, c.m, c.s);
        press();
        ASSERT_EQ(host().boxes.size(), 1u) << what;
        EXPECT_EQ(host().boxes[0].text, "你还没有设置倒计时时间！") << what;
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Ok) << what;
        EXPECT_FALSE(host().boxes[0].caption.has_value()) << what;
        expectIdle("00时00分00秒", what);
        host().advance(5000);
        EXPECT_TRUE(host().audio.empty()) << what;
        EXPECT_EQ(host().boxes.size(), 1u) << what;
        expectIdle("00时00分00秒", what);
    }
}

TEST_F(Countdown, CancelStopsWithoutSoundAndAFreshStartReadsTheBoxes) {
    start(At(2026, 3, 7, 9, 0, 0));
    set("00", "00", "10");
    press();
    host().advance(3500);
    EXPECT_EQ(display(), "0时0分7秒");
    press();
    expectIdle("00时00分00秒", "cancelled");
    host().advance(20000);
    EXPECT_TRUE(host().audio.empty());
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_EQ(display(), "00时00分00秒");
    EXPECT_FALSE(host().enabled(Ctl::停止));

    // Started again: from the boxes' values, with a full second to the next tick.
    set("00", "00", "04");
    press();
    EXPECT_EQ(display(), "0时0分4秒");
    host().advance(999);
    EXPECT_EQ(display(), "0时0分4秒");
    host().advance(1);
    EXPECT_EQ(display(), "0时0分3秒");
}

TEST_F(Countdown, PromptIsShownAsTypedWhenTheTimeIsUp) {
    struct Case {
        const char* atStart;
        const char* changedTo;  // nullptr: left as it was
        const char* shown;
    } cases[] = {
        {"", nullptr, kTimeUp},
        {"喝水", nullptr, "喝水"},
        {"  关火！\r\n再看一眼 ", nullptr, "  关火！\r\n再看一眼 "},
        // The prompt is read at the end, not at the start.
        {"旧的", "新的", "新的"},
        {"旧的", "", kTimeUp},
        {"", "后来写的", "后来写的"},
    };
    for (const Case& c : cases) {
        start(At(2026, 3, 7, 9, 0, 0));
        set("00", "00", "02");
        host().setText(Ctl::编辑框_倒计时闹钟提示信息, c.atStart);
        press();
        tick();
        if (c.changedTo) host().setText(Ctl::编辑框_倒计时闹钟提示信息, c.changedTo);
        host().advance(2500);
        EXPECT_EQ(boxTexts(), std::vector<std::string>{c.shown}) << c.atStart;
    }
}

TEST_F(Countdown, StartsAgainAfterTheEnd) {
    start(At(2026, 3, 7, 9, 0, 0));
    set("00", "00", "02");
    press();
    host().advance(3100);
    ASSERT_EQ(plays().size(), 1u);
    host().setText(Ctl::编辑框_倒计时闹钟提示信息, "第二次");
    set("00", "00", "03");
    const int64_t again = wallMs();
    press();
    EXPECT_EQ(caption(), "倒计时取消");
    EXPECT_EQ(display(), "0时0分3秒");
    host().advance(5000);
    ASSERT_EQ(plays().size(), 2u);
    EXPECT_EQ(MsFromCivil(host().audio.back().at), again + 4000);
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{kTimeUp, "第二次"}));
    expectIdle("0时0分0秒", "second end");
}

// Ticks delivered late (the computer was busy or asleep) must not push the
// end back: N seconds end N + 1 seconds after the start, and a late tick is
// followed by one that comes sooner.
TEST_F(Countdown, LateTicksDoNotDelayTheEnd) {
    struct Case {
        int64_t lateMs;       // how long the ticks are held up, from 2.3 s in
        const char* caughtUp; // the display 4.05 s after the start (or at waking)
        int64_t endsAt;       // ms after the start
    } cases[] = {
        {0, "0时0分6秒", 11000},
        {1500, "0时0分6秒", 11000},
        {5000, "0时0分3秒", 11000},  // woken at 7.3 s: three seconds left
        {20000, "0时0分0秒", 22300},  // woken after the end was due: it ends at once
    };
    for (const Case& c : cases) {
        const std::string what = "late " + std::to_string(c.lateMs) + " ms";
        start(At(2026, 3, 7, 9, 0, 0, 500));
        set("00", "00", "10");
        const int64_t startedAt = wallMs();
        press();
        host().advance(2300);
        EXPECT_EQ(display(), "0时0分8秒") << what;
        if (c.lateMs > 0) host().sleep(c.lateMs);
        // The late tick fires on waking; the ones it held up follow at once.
        const int64_t woke = wallMs();
        const int64_t checkAt = std::max(startedAt + 4050, woke + 50);
        host().advanceTo(CivilFromMs(checkAt));
        EXPECT_EQ(display(), c.caughtUp) << what;
        host().advanceTo(CivilFromMs(startedAt + 30000));
        ASSERT_EQ(plays().size(), 1u) << what;
        const int64_t endedAfter = MsFromCivil(host().audio[0].at) - startedAt;
        EXPECT_GE(endedAfter, c.endsAt) << what;
        EXPECT_LT(endedAfter, c.endsAt + 100) << what;
    }
}

// A message box left open (an alarm ringing) holds the program in the box's
// own loop; the countdown's ticks go on meanwhile and its end stays on time.
TEST_F(Countdown, KeepsTimeWhileAnAlarmBoxIsOpen) {
    start(At(2026, 3, 7, 8, 59, 57));
    add("2026-03-07 09:00:00", "闹钟");
    set("00", "00", "06");
    const int64_t startedAt = wallMs();
    press();
    host().boxAnswers.push_back({0, 8000, {}});  // the alarm's box stays open 8 s
    host().advanceTo(At(2026, 3, 7, 9, 0, 20));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"闹钟", kTimeUp}));
    ASSERT_EQ(plays().size(), 2u);
    const int64_t endedAfter = MsFromCivil(host().audio[1].at) - startedAt;
    EXPECT_GE(endedAfter, 7000);
    EXPECT_LT(endedAfter, 7100);
}

}  // namespace
}  // namespace ny::testing
