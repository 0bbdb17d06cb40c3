// The event router: the one place that knows which handler answers which
// event.
#pragma once

#include "app/app.h"

namespace ny {

// Routes one event to its handler and says what the host is to do about it.
Reply Dispatch(App& app, const Event& e);

}  // namespace ny
