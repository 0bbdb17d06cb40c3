#include "app/alarmbook.h"

#include <algorithm>
#include <limits>
#include <map>
#include <tuple>

namespace ny {

namespace {

using Key = std::pair<Minute, AlarmId>;

void SortedInsert(std::vector<Key>& v, Key k) { v.insert(std::lower_bound(v.begin(), v.end(), k), k); }

void SortedErase(std::vector<Key>& v, Key k) {
    auto it = std::lower_bound(v.begin(), v.end(), k);
    if (it != v.end() && *it == k) v.erase(it);
}

// Every stored field alike: the same alarm as far as the file can tell.
auto Fields(const Alarm& a) {
    return std::tie(a.minute, a.repeat, a.days, a.state, a.tone, a.prompt);
}

bool SameStored(const Alarm& a, const Alarm& b) {
    if (Fields(a) != Fields(b)) return false;
    if (!a.verbatim || !b.verbatim) return !a.verbatim && !b.verbatim;
    const Alarm::Verbatim &x = *a.verbatim, &y = *b.verbatim;
    return std::tie(x.month, x.repeat, x.time, x.state) == std::tie(y.month, y.repeat, y.time, y.state);
}

}  // namespace

const Alarm* AlarmBook::find(AlarmId id) const {
    auto it = row_.find(id);
    return it == row_.end() ? nullptr : &alarms_[it->second];
}

std::optional<size_t> AlarmBook::rowOf(AlarmId id) const {
    auto it = row_.find(id);
    if (it == row_.end()) return std::nullopt;
    return it->second;
}

void AlarmBook::indexAdd(const Alarm& a) {
    if (a.minute == kNoMinute) return;
    SortedInsert(byMinute_, {a.minute, a.id});
    if (a.pending()) SortedInsert(pending_, {a.minute, a.id});
}

void AlarmBook::indexRemove(const Alarm& a) {
    if (a.minute == kNoMinute) return;
    SortedErase(byMinute_, {a.minute, a.id});
    if (a.pending()) SortedErase(pending_, {a.minute, a.id});
}

void AlarmBook::rebuild() {
    row_.clear();
    // With room to grow, as the alarms have: the first alarm added must not
    // rehash every id.
    row_.reserve(WithRoomToGrow(alarms_.size()));
    byMinute_.clear();
    pending_.clear();
    for (size_t r = 0; r < alarms_.size(); ++r) {
        const Alarm& a = alarms_[r];
        row_[a.id] = r;
        if (a.minute == kNoMinute) continue;
        byMinute_.emplace_back(a.minute, a.id);
        if (a.pending()) pending_.emplace_back(a.minute, a.id);
    }
    std::sort(byMinute_.begin(), byMinute_.end());
    std::sort(pending_.begin(), pending_.end());
}

void AlarmBook::assign(std::vector<Alarm> next) {
    // The alarms held before, by what they hold: each can lend its id once,
    // to the first equal one in the new order.
    std::multimap<std::string_view, size_t> old;
    for (size_t r = 0; r < alarms_.size(); ++r) old.emplace(alarms_[r].prompt, r);
    std::vector<bool> lent(alarms_.size(), false);
    for (Alarm& a : next) {
        a.id = 0;
        auto [lo, hi] = old.equal_range(a.prompt);
        for (auto it = lo; it != hi; ++it) {
            if (lent[it->second] || !SameStored(alarms_[it->second], a)) continue;
            a.id = alarms_[it->second].id;
            lent[it->second] = true;
            break;
        }
    }
    for (Alarm& a : next)
        if (a.id == 0) a.id = nextId();
    alarms_ = std::move(next);
    rebuild();
}

AlarmId AlarmBook::append(Alarm a) {
    a.id = nextId();
    row_[a.id] = alarms_.size();
    indexAdd(a);
    alarms_.push_back(std::move(a));
    return alarms_.back().id;
}

bool AlarmBook::replace(const Alarm& a) {
    auto it = row_.find(a.id);
    if (it == row_.end()) return false;
    indexRemove(alarms_[it->second]);
    alarms_[it->second] = a;
    indexAdd(a);
    return true;
}

std::optional<std::pair<size_t, Alarm>> AlarmBook::remove(AlarmId id) {
    auto it = row_.find(id);
    if (it == row_.end()) return std::nullopt;
    const size_t r = it->second;
    row_.erase(it);
    Alarm a = std::move(alarms_[r]);
    indexRemove(a);
    alarms_.erase(alarms_.begin() + std::ptrdiff_t(r));
    for (size_t k = r; k < alarms_.size(); ++k) row_[alarms_[k].id] = k;
    return std::pair{r, std::move(a)};
}

void AlarmBook::restore(size_t row, Alarm a) {
    row = std::min(row, alarms_.size());
    indexAdd(a);
    alarms_.insert(alarms_.begin() + std::ptrdiff_t(row), std::move(a));
    for (size_t k = row; k < alarms_.size(); ++k) row_[alarms_[k].id] = k;
}

std::vector<Alarm> AlarmBook::takeAll() {
    std::vector<Alarm> out = std::move(alarms_);
    alarms_.clear();
    rebuild();
    return out;
}

void AlarmBook::restoreAll(std::vector<Alarm> alarms) {
    alarms_ = std::move(alarms);
    for (const Alarm& a : alarms_) lastId_ = std::max(lastId_, a.id);
    rebuild();
}

std::vector<AlarmId> AlarmBook::inMinutes(Minute from, Minute to) const {
    std::vector<AlarmId> out;
    if (from > to) return out;
    for (auto it = std::lower_bound(byMinute_.begin(), byMinute_.end(), Key{from, 0});
         it != byMinute_.end() && it->first <= to; ++it)
        out.push_back(it->second);
    return out;
}

const Alarm* AlarmBook::earliestPending(Minute from) const {
    auto it = std::lower_bound(pending_.begin(), pending_.end(), Key{from, 0});
    return it == pending_.end() ? nullptr : find(it->second);
}

std::vector<AlarmId> AlarmBook::pendingBefore(Minute before) const {
    std::vector<std::pair<size_t, AlarmId>> found;
    for (auto it = pending_.begin(); it != pending_.end() && it->first < before; ++it)
        found.emplace_back(row_.at(it->second), it->second);
    std::sort(found.begin(), found.end());
    std::vector<AlarmId> out;
    for (const auto& f : found) out.push_back(f.second);
    return out;
}

}  // namespace ny
