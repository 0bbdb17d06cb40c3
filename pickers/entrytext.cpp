#include "pickers/entrytext.h"

#include "host/alarmlist.h"
#include "host/textops.h"

namespace ny {

std::string RightChars(std::string_view s, int n) {
    const int len = CharCount(s);
    if (n <= 0) return {};
    if (n >= len) return std::string(s);
    return MidChars(s, len - n + 1, n);
}

int LeadingDigits(std::string_view s) {
    int v = 0;
    for (size_t i = 0; i < s.size() && s[i] >= '0' && s[i] <= '9' && v < 100000000; ++i)
        v = v * 10 + (s[i] - '0');
    return v;
}

std::optional<LocalTime> EntryDateTime(std::string_view text) {
    if (auto t = ParseDateTime(text)) return t;
    return ParseDateTime(LeftChars(text, timetext::kFullChars));
}

}  // namespace ny
