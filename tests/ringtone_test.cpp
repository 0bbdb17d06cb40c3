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
        std::string folder = "";  // where 铃声选择's dialog opens: the chosen tone's
    };
    start(At(2026, 3, 7, 9, 0, 0));
    const std::string song = path("歌 1.mp3");
    std::filesystem::create_directory(path("Music"));
    const std::string other = path("Music/起床号.wav");
    writeFile("歌 1.mp3", "ID3 song");
    writeFile("Music/起床号.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    const std::vector<Step> steps = {
        {Ctl::铃声选择, std::nullopt, defaultTone()},  // cancelled: unchanged
        {Ctl::铃声选择, song, song},
        {Ctl::铃声选择, std::nullopt, song, dir()},
        {Ctl::默认铃声, std::nullopt, defaultTone()},
        {Ctl::铃声选择, other, other},
        {Ctl::铃声选择, song, song, path("Music")},
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
        host().advance(0);  // the chosen file's check answers
        EXPECT_EQ(tone(), s.expected) << "step " << i;
        ASSERT_EQ(host().fileFilters.size(), size_t(dialogs)) << "step " << i;
        EXPECT_EQ(host().fileFilters.back(),
                  "声音文件 (*.mp3;*.wav)|*.mp3;*.wav|MP3 文件 (*.mp3)|*.mp3|所有文件 (*.*)|*.*")
            << "step " << i;
        if (s.button == Ctl::铃声选择) EXPECT_EQ(host().fileFolders.back(), s.folder) << "step " << i;
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
    host().advance(0);
    add("2026-03-07 09:01:00", "起床");
    EXPECT_EQ(row(0)[1], path("起床.mp3"));
    host().advanceTo(At(2026, 3, 7, 9, 1, 5));
    EXPECT_EQ(plays(), std::vector<std::string>{path("起床.mp3")});
    restart();
    EXPECT_EQ(row(0)[1], path("起床.mp3"));
    // A new run starts from the default again.
    EXPECT_EQ(tone(), defaultTone());
}

// 试听 plays the field's path as it is. 停止 lights up only once the sound
// started; one that cannot play is told by name and why, 停止 left off.
TEST_F(RingTone, ListenPlaysThePathAsItIsAndTellsWhenItCannot) {
    writeFile("假的.mp3", "这不是声音");
    writeFile("tone.wav", std::string("RIFF\x24\0\0\0WAVEfmt ", 16));
    const struct {
        std::string path;
        bool stopEnabled;
        std::string box;  // "" = none
    } cases[] = {
        {dir() + "/alarm.mp3", true, ""},
        {path("tone.wav"), true, ""},
        {path("假的.mp3"), false, "不能试听“假的.mp3”：不是可以播放的声音文件"},
        {"/no/such/dir/gone.mp3", false, "不能试听“gone.mp3”：无法打开"},
        {"COM1", false, "不能试听“COM1”：无法打开"},
        {"", false, "不能试听“（没有铃声）”：无法打开"},
    };
    for (const auto& c : cases) {
        start(At(2026, 3, 7, 9, 0, 0));
        host().setText(Ctl::铃声路径, c.path);
        click(Ctl::试听);
        EXPECT_EQ(ops(), std::vector<std::string>{"play:" + c.path}) << c.path;
        EXPECT_FALSE(host().enabled(Ctl::停止)) << "before the answer: " << c.path;
        host().advance(0);
        EXPECT_EQ(host().enabled(Ctl::停止), c.stopEnabled) << c.path;
        EXPECT_EQ(boxTexts(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box})
            << c.path;
        EXPECT_EQ(tone(), c.path) << c.path;
    }
    // A failed preview after one that plays: the first was silenced by the
    // request, so 停止 goes off again.
    start(At(2026, 3, 7, 9, 0, 0));
    click(Ctl::试听);
    host().advance(0);
    ASSERT_TRUE(host().enabled(Ctl::停止));
    host().setText(Ctl::铃声路径, path("假的.mp3"));
    click(Ctl::试听);
    host().advance(0);
    EXPECT_FALSE(host().enabled(Ctl::停止));
    EXPECT_EQ(boxTexts().size(), 1u);
}

// 铃声选择 takes a file only once its check says it plays: one that cannot is
// refused with its name and why, the tone before it stays, nothing plays.
// The check answers later; a tone set meanwhile wins.
TEST_F(RingTone, ChooseRefusesWhatCannotPlay) {
    writeFile("假的.mp3", "这不是声音");
    writeFile("good.mp3", "ID3 good");
    const struct {
        const char* what;
        std::string chosen;
        int64_t checkMs;
        bool defaultMeanwhile;  // 默认铃声 pressed while it is checked
        bool taken;
        std::string box;
    } cases[] = {
        {"a text file named .mp3", path("假的.mp3"), 0, false, false, "不能选用“假的.mp3”：不是可以播放的声音文件"},
        {"gone by the time it is checked", path("gone.mp3"), 0, false, false, "不能选用“gone.mp3”：无法打开"},
        {"a device", "\\\\.\\COM1", 0, false, false, "不能选用“COM1”：无法打开"},
        {"a playable one", path("good.mp3"), 0, false, true, ""},
        {"a slow disk", path("good.mp3"), 3000, false, true, ""},
        {"默认铃声 meanwhile", path("good.mp3"), 3000, true, false, ""},
    };
    for (const auto& c : cases) {
        start(At(2026, 3, 7, 9, 0, 0));
        const std::string before = path("before.mp3");
        host().setText(Ctl::铃声路径, before);
        host().openMs = {{c.chosen, c.checkMs}};
        host().fileAnswers.push_back(c.chosen);
        click(Ctl::铃声选择);
        EXPECT_EQ(tone(), before) << c.what << ": not before the check answers";
        if (c.defaultMeanwhile) click(Ctl::默认铃声);
        host().advance(c.checkMs);
        EXPECT_EQ(host().probes, std::vector<std::string>{c.chosen}) << c.what;
        const std::string unchanged = c.defaultMeanwhile ? defaultTone() : before;
        EXPECT_EQ(tone(), c.taken ? c.chosen : unchanged) << c.what;
        EXPECT_EQ(boxTexts(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box})
            << c.what;
        EXPECT_TRUE(host().audio.empty()) << c.what;
        EXPECT_FALSE(host().enabled(Ctl::停止)) << c.what;
    }
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
            case Before::Listen:
                click(Ctl::试听);
                host().advance(0);
                break;
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

// What each caller plays when its first, second or third choice cannot be
// played: a ringing alarm and the countdown's end always end in sound (the
// chime last); a preview stays with its one try. The choice is made before
// the message box opens.
TEST_F(RingTone, SoundThatMustBeHeardFallsBackToTheDefaultThenTheChime) {
    enum class File { Playable, Broken, Missing };
    enum class Caller { Alarm, Countdown, Preview };
    struct Case {
        const char* what;
        Caller caller;
        File tone, defaultTone;
        std::vector<std::string> expected;  // "T" the alarm's tone, "D" the default
    } cases[] = {
        {"alarm: its tone", Caller::Alarm, File::Playable, File::Playable, {"play:T"}},
        {"alarm: broken tone", Caller::Alarm, File::Broken, File::Playable, {"play:T", "play:D"}},
        {"alarm: missing tone", Caller::Alarm, File::Missing, File::Playable, {"play:T", "play:D"}},
        {"alarm: both broken", Caller::Alarm, File::Broken, File::Broken, {"play:T", "play:D", "chime:"}},
        {"alarm: no default", Caller::Alarm, File::Missing, File::Missing, {"play:T", "play:D", "chime:"}},
        {"alarm: its tone, no default", Caller::Alarm, File::Playable, File::Missing, {"play:T"}},
        {"countdown", Caller::Countdown, File::Playable, File::Playable, {"play:D"}},
        // The countdown's first choice is the default: not tried twice.
        {"countdown: broken default", Caller::Countdown, File::Playable, File::Broken, {"play:D", "chime:"}},
        {"countdown: no default", Caller::Countdown, File::Playable, File::Missing, {"play:D", "chime:"}},
        {"preview: broken", Caller::Preview, File::Broken, File::Playable, {"play:T"}},
        {"preview: missing", Caller::Preview, File::Missing, File::Missing, {"play:T"}},
    };
    auto put = [&](const std::string& name, File f) {
        std::filesystem::remove(path(name));
        if (f == File::Playable) writeFile(name, "ID3 tone");
        if (f == File::Broken) writeFile(name, "just text");
    };
    for (const Case& c : cases) {
        std::filesystem::remove(path("ny.edb"));  // the alarms of the case before
        start(At(2026, 3, 7, 8, 59, 50));
        put("tone.mp3", c.tone);
        put("alarm.mp3", c.defaultTone);
        size_t soundsWhenBoxOpened = 0;
        host().boxAnswers.push_back({0, 0, [&] { soundsWhenBoxOpened = host().audio.size(); }});
        switch (c.caller) {
            case Caller::Alarm:
                add("2026-03-07 09:00:00", "", path("tone.mp3"));
                host().advanceTo(At(2026, 3, 7, 9, 0, 3));
                break;
            case Caller::Countdown:
                host().setText(Ctl::组合框_秒, "01");
                click(Ctl::按钮_倒计时开始);
                host().advance(2500);
                break;
            case Caller::Preview:
                host().setText(Ctl::铃声路径, path("tone.mp3"));
                click(Ctl::试听);
                host().advance(0);
                break;
        }
        std::vector<std::string> got;
        for (const auto& a : host().audio) {
            std::string who = a.path == path("tone.mp3") ? "T" : a.path == defaultTone() ? "D" : a.path;
            got.push_back(a.op + ":" + who);
        }
        EXPECT_EQ(got, c.expected) << c.what;
        // A preview that cannot play says so instead, and leaves 停止 off.
        EXPECT_EQ(host().enabled(Ctl::停止), c.caller != Caller::Preview) << c.what;
        ASSERT_EQ(host().boxes.size(), 1u) << c.what;
        EXPECT_EQ(soundsWhenBoxOpened, c.expected.size()) << c.what;
        if (c.caller != Caller::Preview) EXPECT_EQ(host().boxes[0].text, "时间到！时间到！") << c.what;
    }
}

// Sounds as they were heard, "T" the alarm's tone, "D" the default, with
// the ms since `from`.
std::vector<std::string> HeardSince(SimHost& h, int64_t from, const std::string& tone,
                                    const std::string& def) {
    std::vector<std::string> out;
    for (const auto& a : h.heard) {
        const std::string who = a.path == tone ? "T" : a.path == def ? "D" : a.path;
        out.push_back(a.op + ":" + who + "@" + std::to_string(MsFromCivil(a.at) - from));
    }
    return out;
}

// A sound that must be heard and has not started 0.2 s after it was asked
// for gets the next choice at once; the slow one is dropped, never started
// late on top. A device named as the tone fails at once.
TEST_F(RingTone, AlarmToneNotStartedWithinAFifthOfASecondGivesWayToTheFallback) {
    const struct {
        const char* what;
        std::string tone;      // file name in the folder, or a device name
        int64_t toneMs;        // how long opening the tone takes
        int64_t defaultMs;     // and the default tone
        std::vector<std::string> heard;
    } cases[] = {
        {"a tone that opens at once", "tone.mp3", 0, 0, {"start:T@0"}},
        {"a tone a little slow", "tone.mp3", 150, 0, {"start:T@150"}},
        {"a tone that hangs", "tone.mp3", 60000, 0, {"start:D@200"}},
        {"a tone and the default that hang", "tone.mp3", 60000, 60000, {"chime:@400"}},
        {"COM1", "COM1", 0, 0, {"start:D@0"}},
        {"NUL, the default slow", "NUL", 0, 60000, {"chime:@200"}},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path("ny.edb"));
        start(At(2026, 3, 7, 8, 59, 50));
        writeFile("tone.mp3", "ID3 tone");
        const std::string tone = c.tone == "tone.mp3" ? path("tone.mp3") : c.tone;
        host().openMs = {{tone, c.toneMs}, {defaultTone(), c.defaultMs}};
        add("2026-03-07 09:00:00", "", tone);
        const int64_t minute = MsFromCivil(At(2026, 3, 7, 9, 0, 0));
        host().advanceTo(At(2026, 3, 7, 9, 1, 30));  // long after every open would have ended
        ASSERT_FALSE(host().audio.empty()) << c.what;
        const int64_t rung = MsFromCivil(host().audio[0].at);  // the check's tick, just after
        EXPECT_LT(rung - minute, 50) << c.what;
        EXPECT_EQ(HeardSince(host(), rung, tone, defaultTone()), c.heard) << c.what;
        EXPECT_EQ(boxTexts(), std::vector<std::string>{"时间到！时间到！"}) << c.what;
        EXPECT_TRUE(host().enabled(Ctl::停止)) << c.what;
    }
}

// A newer request or 停止 cancels a slow open: it is never heard. 试听 gives
// a slow tone all the time it takes, and no fallback.
TEST_F(RingTone, SlowOpenIsCancelledByANewerSoundOrStop) {
    enum class Then { Nothing, ListenAgain, Stop, Alarm };
    const struct {
        const char* what;
        Then then;
        std::vector<std::string> heard;
        bool stopEnabled;
    } cases[] = {
        {"left alone: heard late", Then::Nothing, {"start:T@5000"}, true},
        {"试听 on another tone", Then::ListenAgain, {"start:D@1000"}, true},
        {"停止", Then::Stop, {}, false},
        {"an alarm rings meanwhile", Then::Alarm, {"start:D@2005"}, true},  // its tick, 5 ms in
    };
    for (const auto& c : cases) {
        std::filesystem::remove(path("ny.edb"));
        start(At(2026, 3, 7, 8, 59, 58));
        writeFile("tone.mp3", "ID3 tone");
        host().openMs = {{path("tone.mp3"), 5000}};
        if (c.then == Then::Alarm) add("2026-03-07 09:00:00", "", defaultTone());
        const int64_t t0 = MsFromCivil(host().now());
        host().setText(Ctl::铃声路径, path("tone.mp3"));
        click(Ctl::试听);
        host().advance(1000);
        EXPECT_FALSE(host().enabled(Ctl::停止)) << c.what << ": not heard yet";
        EXPECT_TRUE(host().heard.empty()) << c.what;
        if (c.then == Then::ListenAgain) {
            host().setText(Ctl::铃声路径, defaultTone());
            click(Ctl::试听);
        }
        if (c.then == Then::Stop) click(Ctl::停止);
        host().advance(20000);
        EXPECT_EQ(HeardSince(host(), t0, path("tone.mp3"), defaultTone()), c.heard) << c.what;
        EXPECT_EQ(host().enabled(Ctl::停止), c.stopEnabled) << c.what;
    }
}

}  // namespace
}  // namespace ny::testing
