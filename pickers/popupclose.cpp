#include "pickers/popupclose.h"

namespace ny {

void ClosePopup(App& app, Ctl popup) {
    Host& host = app.host;
    const Ctl field = popup == Ctl::CalendarWindow ? app.CalendarTarget : app.TimePickerTarget;
    host.destroyWindow(popup);
    if (host.exists(field)) host.setFocus(field);
}

}  // namespace ny
