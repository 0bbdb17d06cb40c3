// The alarm 修改 put into the entry fields: while one is being edited, 添加
// reads 保存 and replaces it instead of adding, and 取消 (or Esc in the
// entry) gives the edit up.
#pragma once

#include "app/app.h"

namespace ny {

// Alarm `id` is being edited from now on; 0 ends the edit.
void SetEditingAlarm(App& app, AlarmId id);
// The edited alarm is no longer in the book (deleted, cleared, or not in a
// file another program rewrote): the edit is given up.
void EndEditIfGone(App& app);

// 取消 beside 保存: the edit is given up as 取消修改 in the row menu does;
// the entry fields keep what they hold.
void OnCancelEditClicked(App& app);
// Esc in the alarm entry: while an alarm is being edited it is 取消 (true);
// otherwise it is left to the window (false).
bool OnEntryEscape(App& app);

}  // namespace ny
