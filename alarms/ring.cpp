#include "alarms/ring.h"

#include <optional>

#include "alarms/repeat.h"
#include "alarms/snooze.h"
#include "alarms/storeui.h"
#include "host/uitexts.h"
#include "ringtone/ringtone.h"

namespace ny {

Alarm RungChange(const Alarm& a, Minute after) {
    Alarm c = a;
    if (auto next = NextOccurrence(a, after)) {
        c.setMinute(*next);
        c.setState(RingState::NotRung);
    } else {
        c.setState(RingState::Rung);
    }
    return c;
}

namespace {

void Snooze(App& app, const Alarm& rang, int minutes) {
    Host& host = app.host;
    ForgetLoopingRing(app);
    host.stopAudio();
    host.setEnabled(Ctl::停止, false);
    const Minute then = MinuteAt(host.now()) + minutes;
    AlarmChange change;
    // A one-time alarm comes again itself rather than as a second row; a
    // repeating one keeps its rule and gets a one-time companion.
    const Alarm* still = app.book.find(rang.id);
    if (rang.repeat == Repeat::Once && still && still->repeat == Repeat::Once) {
        Alarm again = *still;
        again.setMinute(then);
        again.setState(RingState::NotRung);
        change.setAnew.push_back(again.id);
        change.changed.push_back(std::move(again));
    } else {
        Alarm a;
        a.minute = then;
        a.tone = rang.tone;
        a.prompt = rang.prompt;
        change.added.push_back(std::move(a));
    }
    ChangeAlarms(app, change);
}

}  // namespace

bool RingUntilStopped(Host& host) { return host.settingValue(kRingUntilStoppedValue).value_or(0) == 1; }

void StartAlarmSound(App& app, std::string_view tone) {
    Host& host = app.host;
    const bool loop = RingUntilStopped(host);
    host.setLooping(loop);
    PlayToBeHeard(app, tone);
    app.ringLooping = loop;
    // Each ring gets its own limit: re-arming starts it again.
    host.setTimer(Ctl::响铃时限时钟, loop ? kRingLimitMs : 0);
}

void ShowAlarmBox(App& app, const Alarm& rang) {
    Host& host = app.host;
    // Read once: the button says the length the snooze then takes.
    const int minutes = SnoozeMinutes(host);
    const RingAnswer pressed = host.ringBox(rang.prompt.empty() ? txt::kTimeUp : rang.prompt,
                                     SnoozeButtonText(minutes), RingBoxTitle(MinuteText(rang.minute)));
    if (pressed == RingAnswer::Snooze) Snooze(app, rang, minutes);
    else EndLoopingRing(app);
}

bool ForgetLoopingRing(App& app) {
    if (!app.ringLooping) return false;
    app.ringLooping = false;
    app.host.setTimer(Ctl::响铃时限时钟, 0);
    app.host.setLooping(false);
    return true;
}

void EndLoopingRing(App& app) {
    if (!ForgetLoopingRing(app)) return;
    app.host.stopAudio();
    app.host.setEnabled(Ctl::停止, false);
}

void OnRingLimitTick(App& app) {
    app.host.setTimer(Ctl::响铃时限时钟, 0);
    EndLoopingRing(app);
}

void RefreshRingUntilStoppedCheck(App& app) {
    app.host.setMenuChecked(Ctl::持续响铃直到停止, RingUntilStopped(app.host));
}

void OnRingUntilStoppedChosen(App& app) {
    Host& host = app.host;
    const bool on = !RingUntilStopped(host);
    if (const IoResult r = host.setSettingValue(kRingUntilStoppedValue, on ? 1 : 0); !r.ok) {
        host.messageBox("无法保存设置“持续响铃直到停止”：不能写入注册表值 HKCU\\Software\\" +
                            std::string(kProgramName) + "\\" + std::string(kRingUntilStoppedValue) +
                            "：" + r.reason,
                        BoxKind::Exclamation);
    }
    RefreshRingUntilStoppedCheck(app);
}

void SettleMissedAlarms(App& app, const std::vector<AlarmId>& ids, Minute from) {
    AlarmChange change;
    for (AlarmId id : ids)
        if (const Alarm* a = app.book.find(id)) change.changed.push_back(RungChange(*a, from - 1));
    if (!change.changed.empty()) ChangeAlarms(app, change);
}

}  // namespace ny
