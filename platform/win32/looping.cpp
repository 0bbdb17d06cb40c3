// Whether a sound that reaches its end starts again: the handlers set it
// (only a ringing alarm's tone repeats), the audio code reads it as a sound
// ends.
#include "platform/win32/win32_host.h"

namespace ny {

void Win32Host::setLooping(bool on) { looping_ = on; }

}  // namespace ny
