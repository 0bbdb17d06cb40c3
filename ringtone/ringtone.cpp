#include "ringtone/ringtone.h"

#include <string>

#include "ringtone/defaulttone.h"

namespace ny {

namespace {

void Forget(App& app) {
    app.soundRequest = 0;
    app.soundFallbacks.clear();
    app.soundMustBeHeard = false;
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

}  // namespace

void StartPlayback(App& app, std::string_view path) {
    Forget(app);
    app.host.setLooping(false);  // only a ringing alarm's tone repeats
    app.soundRequest = app.host.requestMp3(path, 0);
    app.host.setEnabled(Ctl::停止, true);
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
    if (started || !app.soundMustBeHeard) {
        Forget(app);
        return;
    }
    TryNext(app);
}

void OnChooseRingTone(App& app) {
    // A cancelled dialog leaves the chosen tone as it was.
    if (auto path = app.host.openFileDialog("Mp3文件|*.mp3")) app.host.setText(Ctl::铃声路径, *path);
}

void OnPreview(App& app) { StartPlayback(app, app.host.text(Ctl::铃声路径)); }

void OnDefaultRingTone(App& app) {
    app.host.setText(Ctl::铃声路径, DefaultRingTonePath(app.host));
}

void OnStop(App& app) {
    Forget(app);
    app.host.stopAudio();
    app.host.setEnabled(Ctl::停止, false);
}

}  // namespace ny
