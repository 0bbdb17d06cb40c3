#include "ringtone/ringtone.h"

#include <string>

#include "ringtone/defaulttone.h"

namespace ny {

bool StartPlayback(App& app, std::string_view path) {
    app.host.setLooping(false);  // only a ringing alarm's tone repeats
    const bool ok = app.host.playMp3(path);
    app.host.setEnabled(Ctl::停止, true);
    return ok;
}

void PlayToBeHeard(App& app, std::string_view path) {
    Host& host = app.host;
    if (host.playMp3(path)) return;
    const std::string fallback = DefaultRingTonePath(host);
    if (path != fallback && host.playMp3(fallback)) return;
    host.playChime();
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
    app.host.stopAudio();
    app.host.setEnabled(Ctl::停止, false);
}

}  // namespace ny
