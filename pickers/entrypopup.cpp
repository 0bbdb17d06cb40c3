#include "pickers/entrypopup.h"

#include <algorithm>

#include "host/alarmlist.h"
#include "host/textops.h"
#include "pickers/entrytext.h"
#include "pickers/popupclose.h"
#include "pickers/timepicker.h"

namespace ny {

void OnEntryMouseDown(App& app, Ctl field) { app.entryPressed = field; }

void OnEntryMouseUp(App& app, Ctl field) {
    const bool pressedHere = app.entryPressed == field;
    app.entryPressed = Ctl::None;
    if (pressedHere) OpenEntryPopup(app, field);
}

Point PlacePopup(const Rect& field, const Rect& work, int w, int h) {
    Point p{field.left, field.bottom};
    if (p.y + h > work.bottom) {
        // No room below: above the field if there is room there, else as low
        // as still fits.
        p.y = field.top - h >= work.top ? field.top - h : work.bottom - h;
    }
    p.y = std::max(p.y, work.top);
    if (p.x + w > work.right) p.x = work.right - w;
    p.x = std::max(p.x, work.left);
    return p;
}

void OpenEntryPopup(App& app, Ctl field) {
    Host& host = app.host;
    const int caret = host.caret(field);
    const Rect r = host.windowRect(field);
    // The date and the space before the hour are the calendar's.
    const Ctl popup = caret < timetext::kHour ? Ctl::CalendarWindow : Ctl::TimePickerWindow;
    // One popup at a time, whatever the platform did about activation.
    for (Ctl w : {Ctl::CalendarWindow, Ctl::TimePickerWindow})
        if (host.exists(w)) host.destroyWindow(w);

    host.setEnabled(field, false);
    host.loadWindow(popup);
    if (popup == Ctl::CalendarWindow) PrepareCalendar(app, field);
    else FillPickerGrid(app, field);
    const Rect pr = host.windowRect(popup);
    const Point at = PlacePopup(r, host.workArea(field), pr.right - pr.left, pr.bottom - pr.top);
    host.moveWindow(popup, at.x, at.y);
    host.setVisible(popup, true);
    host.setEnabled(field, true);
}

void PrepareCalendar(App& app, Ctl field) {
    Host& host = app.host;
    app.CalendarTarget = field;
    host.setTimer(Ctl::日历时钟1, kPopupWatchMs);  // the watch: closes the calendar once the field is gone
    // An unreadable entry leaves the calendar on its own default day (today).
    if (auto t = EntryDateTime(host.text(field))) host.setMonthCalDate(Ctl::月历, *t);
}

}  // namespace ny
