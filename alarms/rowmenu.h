// The list menu's items beyond 删除: the repeat of the selected row, and
// editing it (修改 fills the entry fields, 添加 becomes 保存 until the row
// is saved or the edit given up).
#pragma once

#include <string>
#include <vector>

#include "alarms/repeat.h"
#include "app/app.h"
#include "store/alarm.h"

namespace ny {

// Before the list menu pops up: the selected row's repeat checked, 取消修改
// shown only while a row is being edited.
void PrepareListMenu(App& app);

// An item of 重复. A rule set on an alarm that has rung moves it to its next
// occurrence after the current minute, "未响"; 自定义… asks for the weekdays.
void OnRepeatChosen(App& app, Repeat r);
// 停用 (captioned 启用 for an alarm that is off) of the selected alarm, and
// its row's check box. Off: "停用", never rings. On: a repeating alarm comes
// at its next occurrence from now; a one-time alarm still ahead is "未响"
// again; one whose time has passed is opened for editing instead, with a
// word why.
void OnSwitchChosen(App& app);
void OnRowCheckClicked(App& app, int row);
// 跳过下一次: a repeating alarm moves to the occurrence after its next one.
void OnSkipNextChosen(App& app);
// 删除已响的闹钟: every one-time alarm that has rung, in one write, after a
// question whose default is 否.
void OnDeleteRungChosen(App& app);
void OnEditChosen(App& app);              // 修改
void OnCancelEditChosen(App& app);        // 取消修改

// 保存 with a validated alarm (its minute, tone and prompt): replaces the
// edited alarm in its place, keeping its repeat, "未响". True when the edit
// has been handled (saved, or the user told why not); false when no alarm is
// being edited (or it is gone: this press adds).
bool SaveEditedAlarm(App& app, const Alarm& entered);

}  // namespace ny
