// What a ringing alarm does beyond sounding and showing its box: a repeating
// alarm moves on to its next occurrence, the box offers a snooze, and with
// the setting "持续响铃直到停止" the tone repeats until the ring ends.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "app/app.h"
#include "store/alarm.h"

namespace ny {

// The DWORD under the program's settings key: 1 = ring until stopped.
constexpr std::string_view kRingUntilStoppedValue = "RingUntilStopped";
// A ring that repeats its tone ends by itself after this long.
constexpr int64_t kRingLimitMs = 10LL * 60 * 1000;

// The alarm once it has rung: "已响", or for a repeating alarm its next
// occurrence after the minute `after`, still "未响".
Alarm RungChange(const Alarm& a, Minute after);

// Starts a ringing alarm's tone, repeating it when the setting says so.
void StartAlarmSound(App& app, std::string_view tone);

// The alarm's box with OK and the snooze button. Closing it ends a ring that
// repeats its tone; the snooze stops the sound and sets the alarm again the
// snooze length (alarms/snooze.h) after the current minute: a one-time alarm
// itself, a repeating one as a one-time alarm with the same tone and prompt.
void ShowAlarmBox(App& app, const Alarm& rang);

// A ring that repeats its tone is over (停止 stopped the sound): the tone
// no longer repeats and its limit is off. False when none was on.
bool ForgetLoopingRing(App& app);
// Ends such a ring and its sound (its box closed, its time limit).
void EndLoopingRing(App& app);
void OnRingLimitTick(App& app);

// The setting in the tray and system menus.
bool RingUntilStopped(Host& host);
void RefreshRingUntilStoppedCheck(App& app);
void OnRingUntilStoppedChosen(App& app);

// Missed alarms once told: one-shot ones "已响", repeating ones moved to
// their first occurrence from the minute `from` on, in one write.
void SettleMissedAlarms(App& app, const std::vector<AlarmId>& ids, Minute from);

}  // namespace ny
