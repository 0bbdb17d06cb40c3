#pragma once

#include <string_view>

#include "app/app.h"

namespace ny {

// In the last second of a minute: opens the tone of the first alarm due in
// the next minute ahead, so that it is heard sooner when the check rings it.
void PrepareNextMinute(App& app);
// Tick of 时钟2: rings every due alarm of the list.
void OnAlarmCheckTick(App& app);
// The same check at once after a clock change or a resume; it rings only
// alarms still 未响 (the minute may have been checked already).
void OnClockNoticeCheck(App& app);

}  // namespace ny
