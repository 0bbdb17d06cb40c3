// Alarms whose minute passed while the program was not running: told once,
// at start-up, then marked rung.
#pragma once

#include "app/app.h"

namespace ny {

// After start-up has shown the window: one message listing the "未响" rows
// whose minute lies before the start-up minute; once it is closed they are
// marked "已响" in the list and the store. No sound; nothing when none.
void NotifyMissedAlarms(App& app);

}  // namespace ny
