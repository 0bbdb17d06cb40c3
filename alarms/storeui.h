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
    // The alarms whose ring this change records: when it does not reach
    // ny.edb they are remembered as rung (App::rungUnmarked), so that they
    // neither ring again nor stay unmarked once it can be written.
    std::vector<AlarmId> rings;
    // The alarms the user set anew (保存 of an edit, a snooze): a ring not
    // recorded no longer applies to them (unless this change is not written).
    std::vector<AlarmId> setAnew;
    // The alarm whose edit this change saves (保存): should ny.edb refuse
    // the change, the edit goes on, for the user to try again.
    AlarmId edits = 0;
};

// Who hears about a store that cannot be used: the user at once (a change
// the user asked for), or once until it can be again (a change the alarm
// check makes unasked, such as marking a rung alarm).
enum class Telling { User, OutageOnce };

struct ChangeOutcome {
    // In the book and the list, and being written to ny.edb; should the
    // file refuse it, it is undone and told when the write ends.
    bool done = false;
    // The ids the added alarms got.
    std::vector<AlarmId> added;
};

// Makes the change in the book and the list at once, and writes ny.edb
// whole off the window's thread (the window answers meanwhile). Before it,
// an earlier write is waited for, and another program's change to the file
// is noticed: the book then takes the file's alarms (told in one sentence),
// and only an append still goes ahead (into the file as it is); a change
// naming alarms is not made.
ChangeOutcome ChangeAlarms(App& app, const AlarmChange& change, Telling telling = Telling::User);

// Waits for the write of ny.edb still running (if any) and does what its
// end asks: a failure is told and its change undone in the book and the
// list. Before anything reads the alarms to change them, and before the
// program ends. False when a write it waited for was refused.
bool FinishStoreWrite(App& app);
// Ev::JobDone: a write has ended.
void OnJobDone(App& app, int job);

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
