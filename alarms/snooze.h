// How long a snooze puts a ringing alarm off: a setting chosen in the
// 再响间隔 submenu of the tray and system menus, kept as a DWORD under the
// program's settings key; and the words of the ringing alarm's box.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "app/app.h"

namespace ny {

// The DWORD under the program's settings key: the minutes of a snooze.
constexpr std::string_view kSnoozeMinutesValue = "SnoozeMinutes";
// The lengths offered; anything else read from the key counts as the default.
constexpr int kSnoozeChoices[] = {5, 10, 15, 20, 30};
constexpr int kDefaultSnoozeMinutes = 10;

// The snooze length now in force (read each time: another copy or the user
// may have changed the value).
int SnoozeMinutes(Host& host);
// The ring box's second button: "10 分钟后再响".
std::string SnoozeButtonText(int minutes);
// The ring box's title, naming the alarm's time of day: "Ny闹钟 - 07:30"
// for an alarm time that starts with the minute "2026-12-11 07:30" (a list
// cell with its repeat, a full time); the program's name alone otherwise.
std::string RingBoxTitle(std::string_view alarmTime);

// The submenu's item of a length, and the length of an item (nullopt when
// the item is not one of them).
Ctl SnoozeItem(int minutes);
std::optional<int> SnoozeMinutesOfItem(Ctl item);

// The round mark on the length in force.
void RefreshSnoozeMenu(App& app);
// An item of the submenu chosen: the length is kept; a value that cannot be
// written is told and the mark stays where it was.
void OnSnoozeMinutesChosen(App& app, Ctl item);

}  // namespace ny
