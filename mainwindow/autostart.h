// Start with Windows: the tray menu item 开机启动 and the per-user Run value
// it writes.
#pragma once

#include <string>

#include "app/app.h"

namespace ny {

// The command the Run value holds: the quoted path of this .exe and the
// tray switch.
std::string StartupCommand(Host& host);
// Whether the Run value starts this very .exe (a value for another copy of
// the program does not count).
bool StartsWithWindows(Host& host);
// Before the tray menu opens: its check mark from the Run value as it is now.
void RefreshStartupCheck(App& app);
// The item chosen: writes the value when it is off, deletes it when it is on.
void OnStartupChosen(App& app);

}  // namespace ny
