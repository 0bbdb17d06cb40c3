#pragma once

#include <string_view>

#include "app/app.h"

namespace ny {

// A sound that must be heard and has not started this long after it was
// asked for gives way to the next choice (the slow one is dropped).
constexpr int64_t kMustStartWithinMs = 200;

// A preview: one play request. 停止 is enabled once the host says the sound
// started; a tone that cannot be played is told and leaves 停止 disabled.
void StartPlayback(App& app, std::string_view path);

// Plays `path` where a sound must be heard (a ringing alarm, the end of the
// countdown): when it cannot be played, or has not started within
// kMustStartWithinMs, the default tone; when that cannot either, the
// program's own chime. Returns at once: the fallbacks follow the host's
// answers. 停止 is left to the caller.
void PlayToBeHeard(App& app, std::string_view path);

// The host's answer to a play request (Ev::SoundStarted / Ev::SoundFailed).
void OnSoundAnswer(App& app, int request, bool started);

// The answer to the check of a tone chosen with 铃声选择 (Ev::ToneProbed).
void OnToneProbed(App& app, int probe);

void OnChooseRingTone(App& app);   // 铃声选择
void OnPreview(App& app);          // 试听
void OnDefaultRingTone(App& app);  // 默认铃声
void OnStop(App& app);             // 停止

}  // namespace ny
