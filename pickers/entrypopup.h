// The alarm-time entry's popups: releasing the mouse in the entry opens the
// calendar (caret in the date) or the time grid (caret in the time) below it.
#pragma once

#include "app/app.h"

namespace ny {

// Left button pressed in the entry field.
void OnEntryMouseDown(App& app, Ctl field);
// Left button released in the entry field: a popup opens only when the press
// was in the field too (not, say, the first click of a double-click on a
// file of the file dialog that closed under the mouse).
void OnEntryMouseUp(App& app, Ctl field);

// Opens, fills, places and shows the popup that the field's caret asks for.
void OpenEntryPopup(App& app, Ctl field);

// Points an already loaded CalendarWindow at `field` and shows its date.
void PrepareCalendar(App& app, Ctl field);

struct Point {
    int x = 0, y = 0;
};

// Where a popup of w x h goes for a field at `field` on a monitor whose work
// area is `work`: the field's bottom-left corner when the popup fits there;
// otherwise above the field and/or moved sideways just enough to fit.
Point PlacePopup(const Rect& field, const Rect& work, int w, int h);

}  // namespace ny
