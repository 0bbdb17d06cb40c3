#include "alarms/wake.h"

#include <string>

#include "alarms/check.h"
#include "alarms/clock.h"
#include "host/textops.h"
#include "host/uitexts.h"

namespace ny {

std::optional<LocalTime> MinuteStart(std::string_view minuteText) {
    if (!IsMinuteText(minuteText)) return std::nullopt;
    return ParseDateTime(std::string(minuteText) + ":00");  // 2026-02-30 never comes
}

std::optional<LocalTime> NextWakeMinute(Host& host) {
    // Minute texts of one fixed shape order as their times do.
    const std::string current = LeftChars(ShortTimeText(host.now()), 16);
    const Ctl list = Ctl::超级列表框1;
    const int n = host.listRowCount(list);
    std::string best;
    for (int r = 0; r < n; ++r) {
        const std::string a = LeftChars(host.listCell(list, r, 0), 16);
        if (!(a > current) || (!best.empty() && !(a < best))) continue;
        if (!MinuteStart(a) || host.listCell(list, r, 3) != txt::kNotRung) continue;
        best = a;
    }
    return MinuteStart(best);
}

void RearmWakeTimer(App& app) { app.host.armWakeTimer(NextWakeMinute(app.host)); }

}  // namespace ny
