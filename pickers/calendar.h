// The calendar popup: a click on a day writes that date into the entry,
// keeping its time of day, and closes the popup.
#pragma once

#include "app/app.h"

namespace ny {

void OnCalendarCreated(App& app);
// A left-button press on the month calendar; `onDay` when it hit a day.
void OnCalendarPress(App& app, bool onDay);
void OnCalendarChange(App& app);
void OnCalendarPickTick(App& app);   // 左键时钟
void OnCalendarYear(App& app, int years);  // 左年按钮 -1, 右年按钮 +1
void OnCalendarWatchTick(App& app);  // the calendar's 时钟1

}  // namespace ny
