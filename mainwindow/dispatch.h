// The event router: the one place that knows which handler answers which
// event.
#pragma once

#include "app/app.h"

namespace ny {

// Routes one event to its handler. For CloseRequest the result is 1 when the
// window may close; otherwise it is 0.
int Dispatch(App& app, const Event& e);

}  // namespace ny
