#include "alarms/ring.h"

#include <optional>

#include "alarms/repeat.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"
#include "host/uitexts.h"
#include "ringtone/ringtone.h"

namespace ny {

namespace {

constexpr int64_t kMinuteMs = 60 * 1000;
constexpr Ctl kList = Ctl::超级列表框1;

std::string MinuteAfter(const LocalTime& t, int64_t ms) {
    return MinuteOf(ShortTimeText(CivilFromMs(MsFromCivil(t) + ms)));
}

}  // namespace

void ShowChange(Host& host, const AlarmChange& c) {
    const int r = c.row;
    if (c.闹钟时间)
        host.listSetCell(kList, r, col::kMinute,
                         MinuteCellText(*c.闹钟时间, RepeatOfCell(host.listCell(kList, r, col::kMinute))));
    if (c.是否已响铃) host.listSetCell(kList, r, col::kState, *c.是否已响铃);
}

AlarmChange RungChange(Host& host, int r, const std::string& after) {
    const std::string cell = host.listCell(kList, r, col::kMinute);
    AlarmChange c;
    c.row = r;
    c.是否已响铃 = std::string(txt::kNotRung);
    if (auto next = NextOccurrence(MinuteOf(cell), RepeatOfCell(cell), after))
        c.闹钟时间 = *next;
    else
        c.是否已响铃 = std::string(txt::kRung);
    return c;
}

namespace {

void Snooze(App& app, const std::string& prompt, const std::string& tone) {
    Host& host = app.host;
    ForgetLoopingRing(app);
    host.stopAudio();
    host.setEnabled(Ctl::停止, false);
    if (!AlarmListReady(app)) return;
    AlarmRecord rec;
    rec.闹钟时间 = MinuteAfter(host.now(), kSnoozeMinutes * kMinuteMs);
    rec.铃声文件 = tone;
    rec.闹钟提示信息 = prompt;
    rec.是否已响铃 = std::string(txt::kNotRung);
    if (TellStoreResult(app, StoreOf(app).append(rec))) AppendAlarmRow(host, rec);
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

void ShowAlarmBox(App& app, const std::string& prompt, const std::string& tone) {
    Host& host = app.host;
    const int pressed = host.ringBox(prompt.empty() ? txt::kTimeUp : prompt, kSnoozeButton);
    if (pressed == 1) Snooze(app, prompt, tone);
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
                        kMbExclamation);
    }
    RefreshRingUntilStoppedCheck(app);
}

void SettleMissedRows(App& app, const std::vector<int>& rows) {
    Host& host = app.host;
    const std::optional<LocalTime> start = MinuteStart(app.startMinute);
    if (rows.empty() || !start) return;
    const std::string beforeStart = MinuteAfter(*start, -kMinuteMs);
    std::vector<AlarmChange> changes;
    for (int r : rows) changes.push_back(RungChange(host, r, beforeStart));
    if (!TellStoreResult(app, StoreOf(app).change(changes))) return;
    for (const AlarmChange& c : changes) ShowChange(host, c);
}

}  // namespace ny
