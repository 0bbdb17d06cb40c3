#include "alarms/check.h"

#include "app/window.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "alarms/clock.h"
#include "alarms/missed.h"
#include "alarms/ring.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"

namespace ny {

namespace {

// A tick this close before its minute waits for the minute (see below).
constexpr int kLastSecond = 59;
constexpr int kEarlyTickMs = 900;
// Between two alarms that ring in one check.
constexpr int64_t kBetweenRingsMs = 1000;

bool Contains(const std::vector<AlarmId>& ids, AlarmId id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

// Due at its minute (whatever its state, unless the check only rings alarms
// still to ring; never when switched off), or later when no check fell into its minute (added after
// the check, queued behind a long box, asleep, a clock jump).
bool IsDue(const Alarm& a, std::optional<Minute> previous, Minute current, bool onlyNotRung) {
    if (a.minute == current) return a.on() && (!onlyNotRung || a.pending());
    return previous && *previous <= a.minute && a.minute < current && a.pending();
}

std::vector<AlarmId> DueAlarms(const App& app, std::optional<Minute> previous, Minute current,
                               bool onlyNotRung) {
    const Minute from = previous ? std::min(*previous, current) : current;
    std::vector<AlarmId> due;
    for (AlarmId id : app.book.inMinutes(from, current))
        if (IsDue(*app.book.find(id), previous, current, onlyNotRung)) due.push_back(id);
    return due;
}

// Marks the alarms that rang while the store could not be written, quietly
// (the outage was told). By id: the book may hold another version of the
// file meanwhile, where the same alarm kept its id.
void MarkRungLater(App& app) {
    if (app.rungUnmarked.empty()) return;
    const Minute now = MinuteAt(app.host.now());
    AlarmChange change;
    for (AlarmId id : std::exchange(app.rungUnmarked, {})) {
        const Alarm* a = app.book.find(id);
        if (!a || !a->pending()) continue;  // deleted or changed meanwhile
        change.changed.push_back(RungChange(*a, now));
        change.rings.push_back(id);  // remembered again if not written
    }
    if (!change.changed.empty()) ChangeAlarms(app, change, Telling::OutageOnce);
}

// It rings whatever the store says; a repeating alarm moves on to its next
// occurrence instead of being marked. Not written, it is remembered, so that
// it neither rings again nor stays unmarked once the file can be written
// (if it is still there).
void MarkRung(App& app, const Alarm& rang) {
    AlarmChange change;
    change.changed.push_back(RungChange(rang, MinuteAt(app.host.now())));
    change.rings.push_back(rang.id);
    ChangeAlarms(app, change, Telling::OutageOnce);
}

void RingAlarm(App& app, const Alarm& alarm) {
    Host& host = app.host;
    // A copy: the box below lets the book change under it.
    const Alarm rang = alarm;
    // A moved or damaged tone must not mean a silent alarm.
    StartAlarmSound(app, rang.tone);
    MarkRung(app, rang);
    host.setEnabled(Ctl::停止, true);
    ShowMainWindow(app);
    ShowAlarmBox(app, rang);
}

struct CheckGuard {
    bool& flag;
    explicit CheckGuard(bool& f) : flag(f) { flag = true; }
    ~CheckGuard() { flag = false; }
};

// `onlyNotRung`: a check a clock notice asked for (a time sync, a resume)
// may fall into a minute already checked: it rings only alarms still 未响.
void RunAlarmCheck(App& app, bool onlyNotRung) {
    Host& host = app.host;
    const LocalTime now = host.now();
    // Keep the minute's phase from the real clock, whatever this tick's delay was.
    ArmClockTimers(app);
    // A tick that comes just before its minute (the timers and the wall clock
    // drift apart) waits for it, re-armed above: checking the old minute
    // again would ring its alarms twice.
    if (now.second == kLastSecond && now.millisecond >= kEarlyTickMs) return;
    // A tick during a check (its wait or a message box) does nothing: the next
    // check catches its minute up.
    if (app.checkRunning) return;
    CheckGuard guard(app.checkRunning);

    // 短位时间 must already show this minute, even if the clock tick is late.
    if (MinuteOf(host.text(Ctl::短位时间)) != MinuteOf(ShortTimeText(now))) UpdateClockLabels(app);

    // Start-up could not read the store: try again, or nothing would ring.
    // While it still fails nothing has been checked, so the minute checked
    // last stays where it is: once the store can be read, what fell due
    // meanwhile rings.
    if (!app.alarmsLoaded && !AlarmsReady(app, false)) return;
    MarkRungLater(app);

    std::optional<Minute> previous = app.lastCheckedMinute;
    Minute current = MinuteAt(now);
    app.lastCheckedMinute = current;
    // Alarms are taken by id, so that rows coming and going while a box is
    // open neither skip nor repeat one; each rings once per check at each
    // minute it is set to (a one-time alarm snoozed meanwhile comes again).
    std::vector<std::pair<AlarmId, Minute>> rang;
    for (;;) {
        for (AlarmId id : DueAlarms(app, previous, current, onlyNotRung)) {
            const Alarm* a = app.book.find(id);
            // Deleted or changed while an earlier one rang; or rang unmarked.
            if (!a || !IsDue(*a, previous, current, onlyNotRung) ||
                std::find(rang.begin(), rang.end(), std::pair{id, a->minute}) != rang.end() ||
                Contains(app.rungUnmarked, id))
                continue;
            rang.emplace_back(id, a->minute);
            RingAlarm(app, *a);
            if (!host.wait(kBetweenRingsMs)) return;
        }
        // The minutes that passed while alarms rang are checked too.
        const Minute later = MinuteAt(host.now());
        if (later <= current) break;
        previous = current;
        current = later;
        app.lastCheckedMinute = current;
    }
    // Read only after start-up: those before the start were missed while the
    // program was not running, and are told as at start-up.
    if (app.missedStillToTell) NotifyMissedAlarms(app);
}

}  // namespace

void PrepareNextMinute(App& app) {
    const LocalTime now = app.host.now();
    const Minute next = MinuteAt(now) + 1;
    const std::vector<AlarmId> due = app.book.inMinutes(next, next);
    if (!due.empty()) app.host.prepareMp3(app.book.find(due.front())->tone);
}

void OnAlarmCheckTick(App& app) { RunAlarmCheck(app, false); }

void OnClockNoticeCheck(App& app) { RunAlarmCheck(app, true); }

}  // namespace ny
