#pragma once

#include <string>

#include "app/app.h"

namespace ny {

// Creation handler of MainWindow: instance lock, list columns, first clock
// and entry texts, the alarm list from the store.
void OnMainWindowCreated(App& app);
// Once the window is on screen (or kept in the tray): the notice of alarms
// missed while the program was not running, and the wake timer.
void OnMainWindowLoaded(App& app);

}  // namespace ny
