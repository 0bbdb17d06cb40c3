#pragma once

#include <string_view>

#include "mainwindow/app.h"

namespace ny {

// True for "YYYY-MM-DD HH:MM" with digits where digits belong.
bool IsMinuteText(std::string_view s);
// Tick of 时钟2: rings every due alarm of the list.
void OnAlarmCheckTick(App& app);

}  // namespace ny
