// The ring-tone buttons: choose, listen, default, stop.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace ny::testing {
namespace {

class RingTone : public ProgramTest {
protected:
    std::string tone() { return host().text(Ctl::铃声路径); }
    std::string defaultTone() { return dir() + "/alarm.mp3"; }
    std::vector<std::string> ops() {
        std::vector<std::string> out;
        for (const auto& a : host().audio) out.push_back(a.op + ":" + a.path);
        return out;
    }
};

// A sequence of presses of 铃声选择 (with the dialog's answer) and 默认铃声,
// and the path each leaves in the field.
TEST_F(RingTone, ChooseAndDefaultSetThePath) {
    struct Step {
        Ctl button;
        std::optional<std::string> answer;  // for 铃声选择; nullopt = cancelled
        std::string expected;
    };
    start(At(2026, 3, 7, 9, 0, 0));
    const std::string song = path("歌 1.mp3");
    const std::string other = "D:\\Music\\起床号.mp3";
    const std::vector<Step> steps = {
        {Ctl::铃声选择, std::nullopt, defaultTone()},  // cancelled: unchanged
        {Ctl::铃声选择, song, song},
        {Ctl::铃声选择, std::nullopt, song},
        {Ctl::默认铃声, std::nullopt, defaultTone()},
        {Ctl::铃声选择, other, other},
        {Ctl::默认铃声, std::nullopt, defaultTone()},
        {Ctl::默认铃声, std::nullopt, defaultTone()},
    };
    int dialogs = 0;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.button == Ctl::铃声选择) {
            ++dialogs;
            if (s.answer) host().fileAnswers.push_back(s.answer);
        }
        click(s.button);
        EXPECT_EQ(tone(), s.expected) << "step " << i;
        ASSERT_EQ(host().fileFilters.size(), size_t(dialogs)) << "step " << i;
        EXPECT_EQ(host().fileFilters.back(), "Mp3文件|*.mp3") << "step " << i;
    }
    // None of them plays, asks or enables 停止.
    EXPECT_TRUE(host().audio.empty());
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_FALSE(host().enabled(Ctl::停止));
}

TEST_F(RingTone, ChosenToneIsStoredWithTheNextAlarmAndRings) {
    start(At(2026, 3, 7, 9, 0, 0));
    writeFile("起床.mp3", "ID3 chosen");
    host().fileAnswers.push_back(path("起床.mp3"));
    click(Ctl::铃声选择);
    add("2026-03-07 09:01:00", "起床");
    EXPECT_EQ(row(0)[1], path("起床.mp3"));
    host().advanceTo(At(2026, 3, 7, 9, 1, 5));
    EXPECT_EQ(plays(), std::vector<std::string>{path("起床.mp3")});
    restart();
    EXPECT_EQ(row(0)[1], path("起床.mp3"));
    // A new run starts from the default again.
    EXPECT_EQ(tone(), defaultTone());
}

TEST_F(RingTone, ListenPlaysThePathAsItIsAndEnablesStop) {
    const std::vector<std::string> paths = {
        "",                          // the field emptied: still no message
        "/no/such/dir/gone.mp3",     // missing file
        "not an mp3 at all.txt",
    };
    for (const std::string& p : paths) {
        start(At(2026, 3, 7, 9, 0, 0));
        host().setText(Ctl::铃声路径, p);
        click(Ctl::试听);
        EXPECT_EQ(ops(), std::vector<std::string>{"play:" + p}) << p;
        EXPECT_TRUE(host().enabled(Ctl::停止)) << p;
        EXPECT_TRUE(host().boxes.empty()) << p;
        EXPECT_EQ(tone(), p) << p;
    }
    // The default tone, playable.
    start(At(2026, 3, 7, 9, 0, 0));
    click(Ctl::试听);
    ASSERT_EQ(ops(), std::vector<std::string>{"play:" + defaultTone()});
    EXPECT_TRUE(host().audio[0].ok);
    EXPECT_TRUE(host().enabled(Ctl::停止));
}

TEST_F(RingTone, ListenAgainPlaysWithoutStoppingFirst) {
    start(At(2026, 3, 7, 9, 0, 0));
    click(Ctl::试听);
    writeFile("b.mp3", "ID3 b");
    host().setText(Ctl::铃声路径, path("b.mp3"));
    click(Ctl::试听);
    EXPECT_EQ(ops(), (std::vector<std::string>{"play:" + defaultTone(), "play:" + path("b.mp3")}));
}

TEST_F(RingTone, DefaultDoesNotPlay) {
    start(At(2026, 3, 7, 9, 0, 0));
    host().setText(Ctl::铃声路径, "");
    std::filesystem::remove(path("alarm.mp3"));  // not checked for
    click(Ctl::默认铃声);
    EXPECT_EQ(tone(), defaultTone());
    EXPECT_TRUE(host().audio.empty());
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_FALSE(host().enabled(Ctl::停止));
}

// 停止 stops whatever started the sound (or a sound already over: the player
// is asked all the same) and turns itself off.
TEST_F(RingTone, StopStopsAndDisablesItself) {
    enum class Before { Nothing, Listen, Alarm, Countdown };
    struct Case {
        Before before;
        const char* name;
        size_t plays;
    } cases[] = {
        {Before::Nothing, "nothing playing", 0},
        {Before::Listen, "after listening", 1},
        {Before::Alarm, "after an alarm", 1},
        {Before::Countdown, "after a countdown", 1},
    };
    for (const Case& c : cases) {
        start(At(2026, 3, 7, 8, 59, 50));
        switch (c.before) {
            case Before::Nothing: break;
            case Before::Listen: click(Ctl::试听); break;
            case Before::Alarm:
                add("2026-03-07 09:00:00", "");
                host().advanceTo(At(2026, 3, 7, 9, 0, 2));
                break;
            case Before::Countdown:
                host().setText(Ctl::组合框_秒, "01");
                click(Ctl::按钮_倒计时开始);
                host().advance(2500);
                break;
        }
        ASSERT_EQ(plays().size(), c.plays) << c.name;
        EXPECT_EQ(host().enabled(Ctl::停止), c.plays > 0) << c.name;
        click(Ctl::停止);
        ASSERT_FALSE(host().audio.empty()) << c.name;
        EXPECT_EQ(host().audio.back().op, "stop") << c.name;
        EXPECT_EQ(host().audio.size(), c.plays + 1) << c.name;
        EXPECT_FALSE(host().enabled(Ctl::停止)) << c.name;
    }
}

}  // namespace
}  // namespace ny::testing
