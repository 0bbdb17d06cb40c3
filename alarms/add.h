#pragma once

#include <cstdint>
#include <string_view>

#include "app/app.h"

namespace ny {

// Click of 添加.
void OnAddClicked(App& app);

}  // namespace ny
