#pragma once

#include <string>

#include "app/app.h"

namespace ny {

// Writes 现行时间 and 短位时间 from the current time.
void UpdateClockLabels(App& app);
// Tick of 时钟1.
void OnClockTick(App& app);
// Re-arms 时钟1 for just after the next second and 时钟2 for just after
// the next minute, from the real clock (also after a clock change or a
// resume from sleep).
void ArmClockTimers(App& app);
void OnClockChanged(App& app);

}  // namespace ny
