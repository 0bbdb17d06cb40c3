// The alarm 修改 put into the entry fields: while one is being edited, 添加
// reads 保存 and replaces it instead of adding.
#pragma once

#include "app/app.h"

namespace ny {

// Alarm `id` is being edited from now on; 0 ends the edit.
void SetEditingAlarm(App& app, AlarmId id);
// The edited alarm is no longer in the book (deleted, cleared, or not in a
// file another program rewrote): the edit is given up.
void EndEditIfGone(App& app);

}  // namespace ny
