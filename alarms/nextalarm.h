// The label after 清空列表: the next alarm still to ring and how long until
// it, "下一个闹钟：12-11 07:30 起床（还有 5 小时 21 分钟）".
#pragma once

#include <string>

#include "app/app.h"

namespace ny {

// The label's text at the time `now`.
std::string NextAlarmText(const AlarmBook& book, const LocalTime& now);
// Sets the label when its text changed (every second it may).
void RefreshNextAlarmLabel(App& app);

}  // namespace ny
