#pragma once

#include <cstdint>
#include <string_view>

#include "app/app.h"

namespace ny {

// YYYYMMDDhhmmss from the fixed character positions of a full time text.
int64_t TimeNumber(std::string_view timeText);
// Click of 添加.
void OnAddClicked(App& app);

}  // namespace ny
