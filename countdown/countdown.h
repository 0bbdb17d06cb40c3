#pragma once

#include <cstdint>
#include <string>

#include "app/app.h"

namespace ny {

// "1时5分3秒": the running text for a count of seconds.
std::string CountdownText(int32_t seconds);
void OnCountdownButton(App& app);  // 按钮_倒计时开始
void OnCountdownTick(App& app);    // 时钟_倒计时

}  // namespace ny
