#include "store/alarmstore.h"

#include "host/uitexts.h"
#include "store/alarmfields.h"

namespace ny {
namespace {

// The record's fields; 月份 is always empty, and so is 周数 of an appended
// alarm (a repeat is set afterwards, by a change).
std::vector<std::string> Values(const AlarmRecord& a, bool withRepeat) {
    return {"", withRepeat ? a.周数 : "", a.闹钟时间, a.铃声文件, a.闹钟提示信息, a.是否已响铃};
}

AlarmRecord Current(const RecordFile& f) {
    AlarmRecord a;
    a.周数 = f.read("周数").value_or("");
    a.闹钟时间 = f.read("闹钟时间").value_or("");
    a.铃声文件 = f.read("铃声文件").value_or("");
    a.闹钟提示信息 = f.read("闹钟提示信息").value_or("");
    a.是否已响铃 = f.read("是否已响铃").value_or("");
    return a;
}

// Row r is the (r + 1)-th record not marked deleted (a mark can only be
// left by an older version whose purge failed). False when there is none.
bool GoToRow(RecordFile& f, int row) {
    if (row < 0) return false;
    int live = -1;
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        if (!f.isDeleted() && ++live == row) return true;
    }
    return false;
}

std::vector<AlarmRecord> LiveRecords(RecordFile& f) {
    std::vector<AlarmRecord> out;
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        if (!f.isDeleted()) out.push_back(Current(f));
    }
    return out;
}

StoreResult Result(StoreStatus status, const std::string& file, const std::string& reason = {},
                   const std::string& detail = {}) {
    StoreResult r;
    r.status = status;
    r.file = file;
    r.reason = reason;
    r.detail = detail;
    return r;
}

}  // namespace

const std::vector<FieldDef>& AlarmFields() {
    static const std::vector<FieldDef> fields = [] {
        std::vector<FieldDef> v;
        for (const auto& f : kAlarmFields)
            v.push_back({std::string(f.name), FieldType::Text, f.maxLength});
        return v;
    }();
    return fields;
}

AlarmStore::AlarmStore(FileOps& fs, const std::string& programDir, StoreSeen* seen,
                       std::function<std::vector<AlarmRecord>()> listed)
    : fs_(fs), path_(programDir + "\\ny.edb"), seen_(seen), listed_(std::move(listed)) {}

// The time is only a quicker witness: a host that cannot tell it leaves
// the size and the checksum to decide.
bool AlarmStore::isSeen(const RecordFile& f) {
    if (!seen_->known || seen_->content != f.mark()) return false;
    int64_t t = 0;
    return !seen_->writeTime || !fs_.fileWriteTime(path_, &t).ok || t == *seen_->writeTime;
}

void AlarmStore::remember(const RecordFile& f) {
    if (!seen_) return;
    seen_->known = true;
    seen_->content = f.mark();
    int64_t t = 0;
    seen_->writeTime.reset();
    if (fs_.fileWriteTime(path_, &t).ok) seen_->writeTime = t;
}

// A store just made: read back so that later changes know its version. If
// that fails its version stays unknown, and the next change reads it as
// changed by another program (the list is filled from it again).
void AlarmStore::rememberNew() {
    if (!seen_) return;
    seen_->known = false;
    RecordFile f(fs_);
    if (f.open(path_, AlarmFields()).ok()) remember(f);
}

StoreResult AlarmStore::setAside(const std::string& file, const std::string& why,
                                 const std::string& stamp) {
    StoreResult r = Result(StoreStatus::SetAside, file, why);
    // A name already taken gets -2, -3 ...: a file kept aside is never overwritten.
    const std::string base = file + ".damaged-" + stamp;
    r.aside = base;
    IoResult m = fs_.renameFile(file, r.aside, false);
    for (int n = 2; !m.ok && m.failure == IoFailure::AlreadyExists && n < 1000; ++n) {
        r.aside = base + "-" + std::to_string(n);
        m = fs_.renameFile(file, r.aside, false);
    }
    if (!m.ok) {
        r.status = StoreStatus::SetAsideFailed;
        r.detail = m.reason;
        return r;
    }
    RecordFile f(fs_);
    if (IoResult c = f.create(path_, AlarmFields()); !c.ok) {
        r.status = StoreStatus::SetAsideCreateFailed;
        r.detail = c.reason;
    } else {
        rememberNew();
    }
    return r;
}

StoreLoad AlarmStore::loadOrCreate(const std::string& stamp) {
    StoreLoad out;
    RecordFile f(fs_);
    const IoResult here = fs_.probeFile(path_);
    if (here.ok) {
        const OpenResult r = f.open(path_, AlarmFields());
        if (r.ok()) {
            out.loaded = true;
            out.records = LiveRecords(f);
            remember(f);
        } else if (r.damaged()) {
            StoreResult s = setAside(path_, r.reason, stamp);
            out.loaded = s.status == StoreStatus::SetAside;  // the new empty store
            out.notes.push_back(s);
        } else {
            // Unreadable is not damaged: the file may be fine once the cause
            // goes away, so it is neither moved nor overwritten.
            out.notes.push_back(Result(StoreStatus::LoadUnreadable, path_, r.reason));
        }
        return out;
    }
    if (here.failure != IoFailure::NotFound) {
        out.notes.push_back(Result(StoreStatus::ProbeFailed, path_, here.reason));
        return out;
    }

    // No store. A save that a power cut interrupted can leave the new content
    // complete in the temporary file: that is the latest the user saved.
    const std::string temp = path_ + ".tmp";
    const IoResult tempHere = fs_.probeFile(temp);
    if (tempHere.ok) {
        const OpenResult r = f.open(temp, AlarmFields());
        if (r.ok()) {
            if (IoResult m = fs_.renameFile(temp, path_, false); !m.ok) {
                out.notes.push_back(Result(StoreStatus::TempAdoptFailed, temp, "", m.reason));
                return out;
            }
            out.loaded = true;
            out.records = LiveRecords(f);
            remember(f);
            out.notes.push_back(Result(StoreStatus::TempAdopted, temp));
        } else if (r.damaged()) {
            StoreResult s = setAside(temp, r.reason, stamp);
            out.loaded = s.status == StoreStatus::SetAside;
            out.notes.push_back(s);
        } else {
            // Creating the store now would overwrite the temporary file at
            // the first save: leave both as they are.
            out.notes.push_back(Result(StoreStatus::LoadUnreadable, temp, r.reason));
        }
        return out;
    }
    if (tempHere.failure != IoFailure::NotFound) {
        out.notes.push_back(Result(StoreStatus::ProbeFailed, temp, tempHere.reason));
        return out;
    }
    if (IoResult c = f.create(path_, AlarmFields()); !c.ok) {
        out.notes.push_back(Result(StoreStatus::CreateFailed, path_, c.reason));
        return out;
    }
    rememberNew();
    out.loaded = true;
    return out;
}

StoreResult AlarmStore::openForChange(RecordFile& f) {
    OpenResult r = f.open(path_, AlarmFields());
    StoreResult out = Result(StoreStatus::Ok, path_);
    if (!r.ok() && !r.damaged() && listed_ && fs_.probeFile(path_).failure == IoFailure::NotFound) {
        out = recreate(f);
        if (!out.ok()) return out;
        r = f.open(path_, AlarmFields());
    }
    if (!r.ok()) {
        StoreResult e = Result(r.damaged() ? StoreStatus::Damaged : StoreStatus::Unreadable, path_,
                               r.reason);
        e.recreated = out.recreated;
        return e;
    }
    if (seen_ && !out.recreated && !isSeen(f)) out.changedOutside = true;
    if (out.recreated) remember(f);
    return out;
}

// Deleted while running: made again from the list, which is what the user
// sees and trusts. A file that appeared meanwhile is not replaced: it is
// then read as one another program wrote.
StoreResult AlarmStore::recreate(RecordFile& f) {
    std::vector<std::vector<std::string>> records;
    for (const AlarmRecord& a : listed_()) records.push_back(Values(a, true));
    const IoResult c = f.create(path_, AlarmFields(), records);
    if (!c.ok && c.failure != IoFailure::AlreadyExists)
        return Result(StoreStatus::RecreateFailed, path_, c.reason);
    StoreResult out = Result(StoreStatus::Ok, path_);
    out.recreated = c.ok;
    return out;
}

StoreResult AlarmStore::written(RecordFile& f, const IoResult& w, StoreResult opened) {
    if (!w.ok) {
        StoreResult e = Result(StoreStatus::WriteFailed, path_, w.reason);
        e.recreated = opened.recreated;
        e.changedOutside = opened.changedOutside;
        return e;
    }
    remember(f);
    return opened;
}

// A change by row number on a file the list does not show would hit
// another alarm than the one the user chose.
static StoreResult Refused(StoreResult opened) {
    opened.status = StoreStatus::ChangedOutside;
    return opened;
}

StoreResult AlarmStore::append(const AlarmRecord& a) {
    RecordFile f(fs_);
    StoreResult o = openForChange(f);
    if (!o.ok()) return o;
    // An append names no row: it goes into whatever the file now holds.
    return written(f, f.append(Values(a, false)), o);
}

StoreResult AlarmStore::markRung(int row) { return markRung(std::vector<int>{row}); }

StoreResult AlarmStore::markRung(const std::vector<int>& rows) {
    std::vector<AlarmChange> changes;
    for (int row : rows) {
        AlarmChange c;
        c.row = row;
        c.是否已响铃 = std::string(txt::kRung);
        changes.push_back(std::move(c));
    }
    return change(changes);
}

StoreResult AlarmStore::deleteRow(int row) {
    RecordFile f(fs_);
    StoreResult o = openForChange(f);
    if (!o.ok()) return o;
    if (o.changedOutside) return Refused(o);
    if (!GoToRow(f, row)) return Result(StoreStatus::NoRecord, path_);
    return written(f, f.removeCurrent(), o);
}

// "全部" is what the user saw: a file holding other alarms is not cleared unseen.
StoreResult AlarmStore::clear() {
    RecordFile f(fs_);
    StoreResult o = openForChange(f);
    if (!o.ok()) return o;
    if (o.changedOutside) return Refused(o);
    return written(f, f.removeAll(), o);
}

StoreResult AlarmStore::change(const std::vector<AlarmChange>& changes) {
    RecordFile f(fs_);
    StoreResult o = openForChange(f);
    if (!o.ok()) return o;
    if (o.changedOutside) return Refused(o);  // its rows are not the list's
    std::vector<int> numberOfRow;
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        if (!f.isDeleted()) numberOfRow.push_back(k);
    }
    std::vector<int> numbers;
    std::vector<std::vector<std::optional<std::string>>> values;
    for (const AlarmChange& c : changes) {
        if (c.row < 0 || c.row >= static_cast<int>(numberOfRow.size()))
            return Result(StoreStatus::NoRecord, path_);
        numbers.push_back(numberOfRow[size_t(c.row)]);
        values.push_back({std::nullopt, c.周数, c.闹钟时间, c.铃声文件, c.闹钟提示信息, c.是否已响铃});
    }
    return written(f, f.modifyEach(numbers, values), o);
}

}  // namespace ny
