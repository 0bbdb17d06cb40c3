#include "alarms/check.h"

#include "app/window.h"

#include <algorithm>
#include <string>
#include <vector>

#include "alarms/clock.h"
#include "alarms/missed.h"
#include "alarms/ring.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"
#include "ringtone/ringtone.h"

namespace ny {


namespace {

bool IsSameAlarm(Host& host, int r, const AlarmRecord& a,
                 std::string_view state = txt::kNotRung) {
    const Ctl list = Ctl::超级列表框1;
    return host.listCell(list, r, col::kMinute) == a.闹钟时间 &&
           host.listCell(list, r, col::kTone) == a.铃声文件 &&
           host.listCell(list, r, col::kPrompt) == a.闹钟提示信息 &&
           host.listCell(list, r, col::kState) == state;
}

// The list was filled again from a replaced file during this check: an
// alarm it rang and marked may now stand on a later row.
bool RangInThisCheck(Host& host, int r, const std::vector<AlarmRecord>& rung) {
    for (const AlarmRecord& a : rung)
        if (IsSameAlarm(host, r, a, txt::kRung)) return true;
    return false;
}

// Rang while the store could not be written: it must not ring again.
bool IsRungUnmarked(App& app, int r) {
    for (const AlarmRecord& a : app.rungUnmarked)
        if (IsSameAlarm(app.host, r, a)) return true;
    return false;
}

// Marks the alarms that rang while the store could not be written, quietly
// (the outage was told). They are found by what they are, not by row: the
// list may have been filled from another version of the file meanwhile.
void MarkRungLater(App& app) {
    if (app.rungUnmarked.empty()) return;
    Host& host = app.host;
    const Ctl list = Ctl::超级列表框1;
    std::vector<int> rows;
    for (const AlarmRecord& a : app.rungUnmarked) {
        for (int r = 0, n = host.listRowCount(list); r < n; ++r) {
            if (!IsSameAlarm(host, r, a) || std::find(rows.begin(), rows.end(), r) != rows.end())
                continue;
            rows.push_back(r);
            break;
        }
    }
    if (rows.empty()) {  // deleted meanwhile: nothing left to mark
        app.rungUnmarked.clear();
        return;
    }
    const std::string now = MinuteOf(ShortTimeText(host.now()));
    std::vector<AlarmChange> changes;
    for (int r : rows) changes.push_back(RungChange(host, r, now));
    const StoreResult res = StoreOf(app).change(changes);
    if (!res.ok()) {
        TellStoreOutage(app, res);
        return;
    }
    TellStoreResult(app, res);
    for (const AlarmChange& c : changes) ShowChange(host, c);
    app.rungUnmarked.clear();
}

// It rings whatever the store says; the row shows what the file holds.
// A repeating alarm moves on to its next occurrence instead.
void MarkRung(App& app, int r, const AlarmRecord& rang) {
    Host& host = app.host;
    const AlarmChange c = RungChange(host, r, MinuteOf(ShortTimeText(host.now())));
    const StoreResult res = StoreOf(app).change({c});
    if (res.ok()) {
        TellStoreResult(app, res);  // a store made again is told
        ShowChange(host, c);
        return;
    }
    if (!TellStoreOutage(app, res)) return;  // the row went meanwhile
    app.rungUnmarked.push_back(rang);
    // Changed by another program: the list now shows its file, where the
    // alarm may be found.
    if (res.changedOutside) MarkRungLater(app);
}

AlarmRecord RingRow(App& app, int r) {
    Host& host = app.host;
    const Ctl list = Ctl::超级列表框1;
    // Read now: a box about a failed write below lets rows be deleted, and
    // row r may then be another alarm or none.
    AlarmRecord rang;
    rang.闹钟时间 = host.listCell(list, r, col::kMinute);
    rang.铃声文件 = host.listCell(list, r, col::kTone);
    rang.闹钟提示信息 = host.listCell(list, r, col::kPrompt);
    // Copies: the box below lets the list change under them.
    const std::string prompt = rang.闹钟提示信息, tone = rang.铃声文件;
    // A moved or damaged tone must not mean a silent alarm.
    StartAlarmSound(app, tone);
    MarkRung(app, r, rang);
    host.setEnabled(Ctl::停止, true);
    ShowMainWindow(app);
    ShowAlarmBox(app, prompt, tone);
    return rang;
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

namespace {

// `onlyNotRung`: a check a clock notice asked for (a time sync, a resume)
// may fall into a minute already checked: it rings only rows still 未响.
void RunAlarmCheck(App& app, bool onlyNotRung) {
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
    // While it still fails nothing has been checked, so the minute checked
    // last stays where it is: once the store can be read, what fell due
    // meanwhile rings.
    const bool lateLoad = !app.alarmListLoaded;
    if (lateLoad && !AlarmListReady(app, false)) return;
    MarkRungLater(app);

    const std::string previous = app.previousCheckMinute;
    app.previousCheckMinute = MinuteOf(host.text(Ctl::短位时间));

    const Ctl list = Ctl::超级列表框1;
    // The list and 短位时间 can change only while a ringing alarm waits or
    // shows its box, so both are read again after each ring, not for every row.
    int n = host.listRowCount(list);
    std::string c = MinuteOf(host.text(Ctl::短位时间));
    std::vector<AlarmRecord> rung;
    for (int r = 0; r < n; ++r) {
        const std::string a = MinuteOf(host.listCell(list, r, col::kMinute));
        auto notRung = [&] { return host.listCell(list, r, col::kState) == txt::kNotRung; };
        // Due at its minute, or later when no check fell into its minute
        // (added after the check, queued behind a long box, asleep, clock jump).
        const bool due = a == c ? !onlyNotRung || notRung()
                                : IsMinuteText(a) && IsMinuteText(previous) && previous <= a &&
                                      a < c && notRung();
        if (!due || IsRungUnmarked(app, r) || RangInThisCheck(host, r, rung)) continue;
        rung.push_back(RingRow(app, r));
        if (!host.wait(1000)) return;
        n = host.listRowCount(list);  // rows deleted meanwhile are not due
        c = MinuteOf(host.text(Ctl::短位时间));
    }
    // Read only now: those before the start were missed while the program
    // was not running, and are told as at start-up.
    if (lateLoad) NotifyMissedAlarms(app);
}

}  // namespace

void OnAlarmCheckTick(App& app) { RunAlarmCheck(app, false); }

void OnClockNoticeCheck(App& app) { RunAlarmCheck(app, true); }

}  // namespace ny
