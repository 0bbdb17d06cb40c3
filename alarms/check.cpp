#include "alarms/check.h"

#include "app/window.h"

#include <string>

#include "alarms/clock.h"
#include "alarms/ring.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"
#include "ringtone/ringtone.h"

namespace ny {


namespace {

void RingRow(App& app, int r) {
    Host& host = app.host;
    const Ctl list = Ctl::超级列表框1;
    // Read now: a box about a failed write below lets rows be deleted, and
    // row r may then be another alarm or none.
    const std::string prompt = host.listCell(list, r, col::kPrompt);
    const std::string tone = host.listCell(list, r, col::kTone);
    // A moved or damaged tone must not mean a silent alarm.
    StartAlarmSound(app, tone);
    RecordRing(app, r);
    host.setEnabled(Ctl::停止, true);
    ShowMainWindow(app);
    ShowAlarmBox(app, prompt, tone);
}

struct CheckGuard {
    bool& flag;
    explicit CheckGuard(bool& f) : flag(f) { flag = true; }
    ~CheckGuard() { flag = false; }
};

}  // namespace

void PrepareNextMinute(App& app) {
    Host& host = app.host;
    const LocalTime now = host.now();
    const std::string next = MinuteOf(ShortTimeText(CivilFromMs(MsFromCivil(now) + 1000)));
    const Ctl list = Ctl::超级列表框1;
    const int n = host.listRowCount(list);
    for (int r = 0; r < n; ++r) {
        if (MinuteOf(host.listCell(list, r, col::kMinute)) == next) {
            host.prepareMp3(host.listCell(list, r, col::kTone));
            return;
        }
    }
}

void OnAlarmCheckTick(App& app) {
    Host& host = app.host;
    const LocalTime now = host.now();
    // Keep the minute's phase from the real clock, whatever this tick's delay was.
    ArmClockTimers(app);
    // A tick that comes just before its minute (the timers and the wall clock
    // drift apart) waits for it, re-armed above: checking the old minute
    // again would ring its alarms twice.
    if (now.second == 59 && now.millisecond >= 900) return;
    // A tick during a check (its wait or a message box) does nothing: the next
    // check catches its minute up.
    if (app.checkRunning) return;
    CheckGuard guard(app.checkRunning);

    // 短位时间 must already show this minute, even if the clock tick is late.
    if (MinuteOf(host.text(Ctl::短位时间)) != MinuteOf(ShortTimeText(now)))
        UpdateClockLabels(app);

    // Start-up could not read the store: try again, or nothing would ring.
    if (!app.alarmListLoaded) AlarmListReady(app, false);

    const std::string previous = app.previousCheckMinute;
    app.previousCheckMinute = MinuteOf(host.text(Ctl::短位时间));

    const Ctl list = Ctl::超级列表框1;
    // The list and 短位时间 can change only while a ringing alarm waits or
    // shows its box, so both are read again after each ring, not for every row.
    int n = host.listRowCount(list);
    std::string c = MinuteOf(host.text(Ctl::短位时间));
    for (int r = 0; r < n; ++r) {
        const std::string a = MinuteOf(host.listCell(list, r, col::kMinute));
        // Due at its minute, or later when no check fell into its minute
        // (added after the check, queued behind a long box, asleep, clock jump).
        if (a != c && !(IsMinuteText(a) && IsMinuteText(previous) && previous <= a && a < c &&
                        host.listCell(list, r, col::kState) == txt::kNotRung))
            continue;
        RingRow(app, r);
        if (!host.wait(1000)) return;
        n = host.listRowCount(list);  // rows deleted meanwhile are not due
        c = MinuteOf(host.text(Ctl::短位时间));
    }
}

}  // namespace ny
