// The alarms the program holds: one typed model in record order (row r of
// the list is alarm r, as record r + 1 of ny.edb), each alarm with an id that
// stays while rows come and go, and an index by minute so that the check,
// the tray tip and the wake timer touch only the alarms they need.
#pragma once

#include <cstddef>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "store/alarm.h"

namespace ny {

class AlarmBook {
public:
    size_t size() const { return alarms_.size(); }
    bool empty() const { return alarms_.empty(); }
    // In record order.
    const std::vector<Alarm>& all() const { return alarms_; }
    const Alarm& at(size_t row) const { return alarms_[row]; }
    // nullptr / nullopt when no alarm has this id (deleted meanwhile).
    const Alarm* find(AlarmId id) const;
    std::optional<size_t> rowOf(AlarmId id) const;

    // Takes the alarms as a file holds them. An alarm equal in every field to
    // one held before keeps that one's id (the same alarm in a file another
    // program rewrote), in order; the others get new ids.
    void assign(std::vector<Alarm> alarms);
    // At the end; returns its new id.
    AlarmId append(Alarm a);
    // Puts the alarm with a's id in its place; false when there is none.
    bool replace(const Alarm& a);
    // The alarm with this id, taken out; nullopt when there is none.
    std::optional<std::pair<size_t, Alarm>> remove(AlarmId id);
    // Puts back an alarm taken out at `row` (a change the store refused).
    void restore(size_t row, Alarm a);
    std::vector<Alarm> takeAll();
    // Puts back what takeAll took, ids and all.
    void restoreAll(std::vector<Alarm> alarms);

    // Alarms whose minute lies in [from, to], by minute (then by id: the
    // order they were added in), rung or not.
    std::vector<AlarmId> inMinutes(Minute from, Minute to) const;
    // The earliest alarm still to ring whose minute is at or after `from`
    // (the first added among equals); nullptr when none.
    const Alarm* earliestPending(Minute from) const;
    // Alarms still to ring whose minute lies before `before`, in record order.
    std::vector<AlarmId> pendingBefore(Minute before) const;

private:
    using Key = std::pair<Minute, AlarmId>;
    void indexAdd(const Alarm& a);
    void indexRemove(const Alarm& a);
    void rebuild();
    AlarmId nextId() { return ++lastId_; }

    std::vector<Alarm> alarms_;
    std::unordered_map<AlarmId, size_t> row_;
    // Sorted; byMinute_ holds every alarm with a minute, pending_ those still to ring.
    std::vector<Key> byMinute_;
    std::vector<Key> pending_;
    AlarmId lastId_ = 0;
};

}  // namespace ny
