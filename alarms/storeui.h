// Between the alarm book, its list and the store: the one way the alarms
// change (the file first, then the book and the list in the same step,
// before any box), and the one place that tells the user what went wrong
// with ny.edb.
#pragma once

#include <vector>

#include "app/app.h"
#include "store/alarmstore.h"

namespace ny {

// The store, watched for changes by other programs.
AlarmStore StoreOf(App& app);

// One change of the alarms: appended at the end, replaced (by id), removed
// (by id), or all of them cleared.
struct AlarmChange {
    std::vector<Alarm> added;
    std::vector<Alarm> changed;
    std::vector<AlarmId> removed;
    bool clear = false;
};

// Who hears about a store that cannot be used: the user at once (a change
// the user asked for), or once until it can be again (a change the alarm
// check makes unasked, such as marking a rung alarm).
enum class Telling { User, OutageOnce };

struct ChangeOutcome {
    bool done = false;  // in ny.edb, the book and the list
    // The ids the added alarms got.
    std::vector<AlarmId> added;
};

// Makes the change in ny.edb and then in the book and the list. Before it,
// another program's change to the file is noticed: the book then takes the
// file's alarms (told in one sentence), and only an append still goes ahead
// (into the file as it is); a change naming alarms is not made.
ChangeOutcome ChangeAlarms(App& app, const AlarmChange& change, Telling telling = Telling::User);

// Tells the user of a result that needs telling (a warning box, naming the file
// and the reason). Returns whether the store did what was asked.
bool TellStoreResult(App& app, const StoreResult& r);

// The list shows the book as it is now (every row may have changed).
void ShowAlarms(App& app);

// Reads the store into the empty book (making the store on a first start)
// and tells what needs telling (when `tell`).
void LoadAlarms(App& app, bool tell = true);

// Before a change to the alarms: the book must hold what the store holds.
// When start-up could not read the store it is tried again now. False: the
// change must not go ahead (the user has been told why, when `tell`).
bool AlarmsReady(App& app, bool tell = true);

}  // namespace ny
