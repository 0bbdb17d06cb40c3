// Alarms whose minute passed while the program was not running: told once,
// at start-up, then marked rung.
#pragma once

#include "app/app.h"

namespace ny {

// After start-up has shown the window (or the first check that could read a
// store start-up could not): one message listing the alarms still to ring
// whose minute lies before the start-up minute; once it is closed they are
// marked "已响" (a repeating one moved on) in the book and the store. No
// sound; nothing when none.
void NotifyMissedAlarms(App& app);

}  // namespace ny
