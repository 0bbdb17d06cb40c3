#pragma once

#include <string_view>

#include "app/app.h"

namespace ny {

// Every playback: one play call, then 停止 enabled. Returns the player's
// answer (false: the file could not be opened for playback).
bool StartPlayback(App& app, std::string_view path);

// Plays `path` where a sound must be heard (a ringing alarm, the end of the
// countdown): when it cannot be played, the default tone; when that cannot
// either, the program's own chime. 停止 is left to the caller.
void PlayToBeHeard(App& app, std::string_view path);

void OnChooseRingTone(App& app);   // 铃声选择
void OnPreview(App& app);          // 试听
void OnDefaultRingTone(App& app);  // 默认铃声
void OnStop(App& app);             // 停止

}  // namespace ny
