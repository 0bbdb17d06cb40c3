#include "alarms/wake.h"

namespace ny {

std::optional<LocalTime> NextWakeMinute(App& app) {
    const Alarm* next = app.book.earliestPending(MinuteAt(app.host.now()) + 1);
    if (!next) return std::nullopt;
    return StartOfMinute(next->minute);
}

void RearmWakeTimer(App& app) { app.host.armWakeTimer(NextWakeMinute(app)); }

}  // namespace ny
