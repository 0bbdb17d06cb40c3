#include "alarms/clock.h"

#include <cstdio>

#include "alarms/check.h"
#include "host/alarmlist.h"
#include "host/textops.h"

namespace ny {

namespace {

// Ticks land just after the boundary they wait for. The check comes as soon
// after the minute as the timers allow (an alarm is heard then); it brings
// 短位时间 up to its minute itself when the clock tick is later.
constexpr int64_t kTickLagMs = 20;
constexpr int64_t kCheckLagMs = 5;

}  // namespace


// One reading of the clock for both labels, so that their parts never come
// from two different seconds.
void UpdateClockLabels(App& app) {
    const LocalTime now = app.host.now();
    app.host.setText(Ctl::现行时间, StandardDateTimeText(now));
    app.host.setText(Ctl::短位时间, ShortTimeText(now));
}

static void ArmClockTick(App& app, const LocalTime& now) {
    app.host.setTimer(Ctl::时钟1, 1000 - now.millisecond + kTickLagMs);
}

static void ArmCheckTick(App& app, const LocalTime& now) {
    const int64_t toNextMinute = (60 - now.second) * 1000LL - now.millisecond;
    app.host.setTimer(Ctl::时钟2, toNextMinute + kCheckLagMs);
}

void ArmClockTimers(App& app) {
    const LocalTime now = app.host.now();
    ArmClockTick(app, now);
    ArmCheckTick(app, now);
}

void OnClockTick(App& app) {
    UpdateClockLabels(app);
    const LocalTime now = app.host.now();
    if (now.second == 59) PrepareNextMinute(app);
    ArmClockTick(app, now);
}

// After a clock change or waking, the check runs at once rather than at the
// next minute: what fell into the gap rings now (the check re-arms the timers).
void OnClockChanged(App& app) {
    UpdateClockLabels(app);
    OnClockNoticeCheck(app);
}

}  // namespace ny
