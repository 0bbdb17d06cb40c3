// Text helpers of the popups over the entry's fixed layout
// "YYYY-MM-DD HH:MM:SS": counts are characters, and a count that is not
// positive gives "" so that a short entry is never read or written past
// its ends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "host/datetime.h"

namespace ny {

// Last n characters ("" when n <= 0, all of it when shorter).
std::string RightChars(std::string_view s, int n);

// The value of the leading decimal digits; 0 when there are none. No blanks
// or signs are read, so the result is never negative.
int LeadingDigits(std::string_view s);

// The entry's date and time as the popups read it: the whole text, or its
// first 19 characters when something follows them. nullopt when neither
// reads as a date-time.
std::optional<LocalTime> EntryDateTime(std::string_view text);

}  // namespace ny
