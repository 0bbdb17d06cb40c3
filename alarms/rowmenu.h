// The list menu's items beyond 删除: the repeat of the selected row, and
// editing it (修改 fills the entry fields, 添加 becomes 保存 until the row
// is saved or the edit given up).
#pragma once

#include <string>

#include "alarms/repeat.h"
#include "app/app.h"
#include "store/alarmstore.h"

namespace ny {

// Before the list menu pops up: the selected row's repeat checked, 取消修改
// shown only while a row is being edited.
void PrepareListMenu(App& app);

void OnRepeatChosen(App& app, Repeat r);  // an item of 重复
void OnEditChosen(App& app);              // 修改
void OnCancelEditChosen(App& app);        // 取消修改

// 保存 with a validated alarm: replaces the edited row in the store, then in
// the list, keeping its repeat, "未响". True when the edit has been handled
// (saved, or the user told why not); false when no row is being edited.
bool SaveEditedRow(App& app, const AlarmRecord& rec);

// The list lost row r, or every row: an edit of it is given up, and the
// edited row's number follows the rows that moved up.
void OnAlarmRowDeleted(App& app, int r);
void OnAlarmListCleared(App& app);

}  // namespace ny
