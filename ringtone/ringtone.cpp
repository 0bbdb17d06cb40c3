#include "ringtone/ringtone.h"

#include <string>

#include "ringtone/defaulttone.h"

namespace ny {

namespace {

// The dialog offers both kinds of sound first, then MP3 alone, then anything.
constexpr std::string_view kToneFilter =
    "声音文件 (*.mp3;*.wav)|*.mp3;*.wav|MP3 文件 (*.mp3)|*.mp3|所有文件 (*.*)|*.*";

void Forget(App& app) {
    app.soundRequest = 0;
    app.soundFallbacks.clear();
    app.soundMustBeHeard = false;
    app.soundIsPreview = false;
}

// The next choice of a sound that must be heard: the next tone, or the chime.
void TryNext(App& app) {
    if (app.soundFallbacks.empty()) {
        Forget(app);
        app.host.playChime();
        return;
    }
    const std::string next = app.soundFallbacks.front();
    app.soundFallbacks.erase(app.soundFallbacks.begin());
    app.soundRequest = app.host.requestMp3(next, kMustStartWithinMs);
}

size_t NameStart(std::string_view path) {
    const size_t sep = path.find_last_of("\\/");
    return sep == std::string_view::npos ? 0 : sep + 1;
}

// "不能试听“假的.mp3”：不是可以播放的声音文件": the file by its name, and why.
void TellCannotPlay(App& app, std::string_view what, std::string_view path) {
    const ToneProblem p = app.host.toneProblem();
    const std::string_view why = p == ToneProblem::CannotOpen ? "无法打开"
                                 : p == ToneProblem::NotInTime ? "打开得太慢"
                                                               : "不是可以播放的声音文件";
    std::string name(path.substr(NameStart(path)));
    if (name.empty()) name = path.empty() ? "（没有铃声）" : std::string(path);
    app.host.messageBox(std::string(what) + "“" + name + "”：" + std::string(why),
                        BoxKind::Exclamation);
}

}  // namespace

void StartPlayback(App& app, std::string_view path) {
    Forget(app);
    app.host.setLooping(false);  // only a ringing alarm's tone repeats
    app.soundRequest = app.host.requestMp3(path, 0);
    app.soundIsPreview = true;
}

void PlayToBeHeard(App& app, std::string_view path) {
    Forget(app);
    const std::string fallback = DefaultRingTonePath(app.host);
    if (path != fallback) app.soundFallbacks.push_back(fallback);
    app.soundMustBeHeard = true;
    app.soundRequest = app.host.requestMp3(path, kMustStartWithinMs);
}

void OnSoundAnswer(App& app, int request, bool started) {
    // Answers to requests given up or replaced are not ours to act on.
    if (request == 0 || request != app.soundRequest) return;
    if (app.soundIsPreview) {
        Forget(app);
        // 停止 stands for a sound that is heard: a preview that failed left
        // none (the play request already silenced what was playing).
        app.host.setEnabled(Ctl::停止, started);
        if (!started) TellCannotPlay(app, "不能试听", app.host.text(Ctl::铃声路径));
        return;
    }
    if (started || !app.soundMustBeHeard) {
        Forget(app);
        return;
    }
    TryNext(app);
}

void OnChooseRingTone(App& app) {
    // The dialog opens where the chosen tone is; before one is chosen, where
    // the system keeps its sounds.
    const std::string tone = app.host.text(Ctl::铃声路径);
    const std::string folder =
        tone == DefaultRingTonePath(app.host) || NameStart(tone) == 0 ? std::string()
                                                                      : tone.substr(0, NameStart(tone) - 1);
    // A cancelled dialog leaves the chosen tone as it was.
    auto path = app.host.openFileDialog(kToneFilter, folder);
    if (!path) return;
    // Taken only once it is known to play: the check may read a slow disk,
    // so it answers later (OnToneProbed).
    app.toneProbePath = *path;
    app.toneProbeReplaces = tone;
    app.toneProbe = app.host.probeTone(*path);
}

void OnToneProbed(App& app, int probe) {
    if (probe == 0 || probe != app.toneProbe) return;
    app.toneProbe = 0;
    // 默认铃声 or another choice meanwhile wins over this one.
    if (app.host.text(Ctl::铃声路径) != app.toneProbeReplaces) return;
    if (app.host.toneProblem() == ToneProblem::None)
        app.host.setText(Ctl::铃声路径, app.toneProbePath);
    else
        TellCannotPlay(app, "不能选用", app.toneProbePath);
}

void OnPreview(App& app) { StartPlayback(app, app.host.text(Ctl::铃声路径)); }

void OnDefaultRingTone(App& app) {
    app.toneProbe = 0;  // a choice still being checked is given up
    app.host.setText(Ctl::铃声路径, DefaultRingTonePath(app.host));
}

void OnStop(App& app) {
    Forget(app);
    app.host.stopAudio();
    app.host.setEnabled(Ctl::停止, false);
}

}  // namespace ny
