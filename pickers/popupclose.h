// Closing a popup of the entry on the user's word (a pick, Esc, Enter): the
// keyboard goes back to the entry, its caret where it was, so that typing
// carries on there.
#pragma once

#include "app/app.h"

namespace ny {

// A popup's watch ticks as often as it can: the popup closes the moment
// its field is gone.
constexpr int kPopupWatchMs = 1;

void ClosePopup(App& app, Ctl popup);

}  // namespace ny
