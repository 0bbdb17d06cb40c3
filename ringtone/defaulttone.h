// The default ring tone: alarm.mp3 beside the program.
#pragma once

#include <string>

#include "host/host.h"

namespace ny {

// Program directory + "/alarm.mp3" (the forward slash is accepted by Windows).
inline std::string DefaultRingTonePath(Host& host) { return host.programDir() + "/alarm.mp3"; }

}  // namespace ny
