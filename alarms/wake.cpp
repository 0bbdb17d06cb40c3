#include "alarms/wake.h"

#include <string>

#include "alarms/check.h"
#include "alarms/clock.h"
#include "host/text.h"
#include "host/texts.h"

namespace ny {

std::optional<LocalTime> NextWakeMinute(Host& host) {
    // Minute texts of one fixed shape order as their times do.
    const std::string current = LeftChars(ShortTimeText(host.now()), 16);
    const Ctl list = Ctl::超级列表框1;
    const int n = host.listRowCount(list);
    std::string best;
    for (int r = 0; r < n; ++r) {
        const std::string a = LeftChars(host.listCell(list, r, 0), 16);
        if (!(a > current) || (!best.empty() && !(a < best))) continue;
        if (!IsMinuteText(a) || host.listCell(list, r, 3) != txt::kNotRung) continue;
        if (!ParseDateTime(a + ":00")) continue;  // 2026-02-30 never comes
        best = a;
    }
    if (best.empty()) return std::nullopt;
    return ParseDateTime(best + ":00");
}

void RearmWakeTimer(App& app) { app.host.armWakeTimer(NextWakeMinute(app.host)); }

}  // namespace ny
