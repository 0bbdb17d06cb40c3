// Between the alarm list and the store: the one place that tells the user
// what went wrong with ny.edb, and that fills the list from it.
#pragma once

#include "app/app.h"
#include "store/alarmstore.h"

namespace ny {

// The store, watched for changes by other programs and made again from the
// list when it was deleted while the list showed it.
AlarmStore StoreOf(App& app);

// Tells the user of a result that needs telling (style 48, naming the file
// and the reason). Returns whether the caller is to change the list as the
// store was changed: false also when the store had been changed by another
// program, whose content the list then shows.
bool TellStoreResult(App& app, const StoreResult& r);

// For a change the alarm check makes unasked (marking a rung alarm): a
// store that cannot be read or written is told once until it can be again,
// not at every alarm. Returns whether the change failed.
bool TellStoreOutage(App& app, const StoreResult& r);

// Appends a row showing the alarm.
void AppendAlarmRow(Host& host, const AlarmRecord& a);

// Reads the store into the empty list (making the store on a first start)
// and tells what needs telling (when `tell`).
void LoadAlarmList(App& app, bool tell = true);

// Before a change to the alarms: the list must show what the store holds.
// When start-up could not read the store it is tried again now. False: the
// change must not go ahead (the user has been told why, when `tell`).
bool AlarmListReady(App& app, bool tell = true);

}  // namespace ny
