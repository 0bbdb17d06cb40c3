#include "pickers/calendar.h"

#include <string>

#include "pickers/entrytext.h"
#include "pickers/popupclose.h"

namespace ny {

namespace {
// How long after a press or a change the calendar decides whether it was a
// pick: the changes one click makes all come within it.
constexpr int kCalendarPickWaitMs = 50;
}  // namespace

void OnCalendarCreated(App& app) {
    app.CalendarPressed = false;
    app.CalendarChangeCount = 0;
}

void OnCalendarPress(App& app, bool onDay) {
    // Presses on the title, the month arrows or the week-day names never
    // pick; whatever they change is cleared by the next tick.
    if (!onDay) return;
    app.CalendarPressed = true;
    app.host.setTimer(Ctl::左键时钟, kCalendarPickWaitMs);
}

void OnCalendarChange(App& app) {
    ++app.CalendarChangeCount;
    app.host.setTimer(Ctl::左键时钟, kCalendarPickWaitMs);
}

void OnCalendarPickTick(App& app) {
    Host& host = app.host;
    // A press with no change (the day already selected) or one change (another
    // day) is a pick; more changes, or changes without a press, are not.
    if (app.CalendarPressed && app.CalendarChangeCount < 2) {
        const std::string date = FormatDateTime(host.monthCalDate(Ctl::月历), Padding::TwoDigits,
                                                   DateTimeParts::DateOnly);
        const Ctl entry = app.CalendarTarget;
        // An unreadable entry has no time of day: it gets midnight.
        const LocalTime old = EntryDateTime(host.text(entry)).value_or(LocalTime{});
        host.setText(entry, date + " " + FormatDateTime(old, Padding::TwoDigits, DateTimeParts::TimeOnly));
        ClosePopup(app, Ctl::CalendarWindow);
        return;
    }
    app.CalendarPressed = false;
    app.CalendarChangeCount = 0;
}

void OnCalendarYear(App& app, int years) {
    Host& host = app.host;
    host.setMonthCalDate(Ctl::月历, AddYears(host.monthCalDate(Ctl::月历), years));
}

void OnCalendarWatchTick(App& app) {
    if (!app.host.exists(app.CalendarTarget)) app.host.destroyWindow(Ctl::CalendarWindow);
}

}  // namespace ny
