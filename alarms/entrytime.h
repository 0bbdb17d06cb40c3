// A time typed alone into the alarm entry: "7:30" means the next 07:30 to
// come. The entry otherwise holds a whole "YYYY-MM-DD HH:MM:SS".
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/datetime.h"

namespace ny {

// The whole entry text that `typed` stands for at the time `now`:
//  - "H:MM" or "HH:MM", also with ":SS": that time today when it is still
//    ahead of now (to the second), else tomorrow;
//  - "YYYY-MM-DD HH:MM": that minute, at :00.
// Blanks around the text (also the ideographic space) are ignored and the
// full-width colon "：" of a Chinese input method counts as ":". nullopt for
// anything else, a whole date and time included: the entry is then checked
// as it stands.
std::optional<std::string> EntryTimeText(std::string_view typed, const LocalTime& now);

}  // namespace ny
