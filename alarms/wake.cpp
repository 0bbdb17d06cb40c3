#include "alarms/wake.h"

#include <string>

#include "alarms/check.h"
#include "alarms/clock.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"

namespace ny {


std::optional<LocalTime> NextWakeMinute(Host& host) {
    // Minute texts of one fixed shape order as their times do.
    const std::string current = MinuteOf(ShortTimeText(host.now()));
    const Ctl list = Ctl::超级列表框1;
    const int n = host.listRowCount(list);
    std::string best;
    for (int r = 0; r < n; ++r) {
        const std::string a = MinuteOf(host.listCell(list, r, col::kMinute));
        if (!(a > current) || (!best.empty() && !(a < best))) continue;
        if (!MinuteStart(a) || host.listCell(list, r, col::kState) != txt::kNotRung) continue;
        best = a;
    }
    return MinuteStart(best);
}

void RearmWakeTimer(App& app) { app.host.armWakeTimer(NextWakeMinute(app.host)); }

}  // namespace ny
