// The list menu's items beyond 删除: the repeat of the selected row, and
// editing it (修改 fills the entry fields, 添加 becomes 保存 until the row
// is saved or the edit given up).
#pragma once

#include <string>

#include "alarms/repeat.h"
#include "app/app.h"
#include "store/alarm.h"

namespace ny {

// Before the list menu pops up: the selected row's repeat checked, 取消修改
// shown only while a row is being edited.
void PrepareListMenu(App& app);

void OnRepeatChosen(App& app, Repeat r);  // an item of 重复
void OnEditChosen(App& app);              // 修改
void OnCancelEditChosen(App& app);        // 取消修改

// 保存 with a validated alarm (its minute, tone and prompt): replaces the
// edited alarm in its place, keeping its repeat, "未响". True when the edit
// has been handled (saved, or the user told why not); false when no alarm is
// being edited (or it is gone: this press adds).
bool SaveEditedAlarm(App& app, const Alarm& entered);

}  // namespace ny
