#include "store/alarmstore.h"

#include "store/alarmfields.h"

namespace ny {
namespace {

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

AlarmStore::AlarmStore(FileOps& fs, const std::string& dataDir, StoreSeen* seen)
    : fs_(fs), path_(dataDir + "\\" + std::string(kStoreFileName)), seen_(seen) {}

// Records marked deleted (left only by an older version whose purge failed)
// are not alarms.
OpenResult AlarmStore::read(const std::string& file, std::vector<Alarm>& out, ContentMark& mark) {
    std::vector<Alarm> alarms;
    // Room for the alarms to come as well: the first one added after start
    // would otherwise move every alarm held.
    const std::function<void(size_t)> expect = [&alarms](size_t n) {
        alarms.reserve(WithRoomToGrow(n));
    };
    const RecordVisitor each = [&alarms](bool deleted, std::vector<std::string>& values) {
        if (!deleted) alarms.push_back(AlarmOfFields(std::move(values)));
    };
    OpenResult r = ReadRecords(fs_, file, AlarmFields(), each, &mark, expect);
    if (r.ok()) out = std::move(alarms);
    return r;
}

std::optional<FileStamp> AlarmStore::stampNow() const {
    FileStamp s;
    if (fs_.fileStamp(path_, &s).ok) return s;
    return std::nullopt;
}

void AlarmStore::remember(const ContentMark& mark) {
    if (seen_) remember(mark, stampNow());
}

void AlarmStore::remember(const ContentMark& mark, const std::optional<FileStamp>& stamp) {
    if (!seen_) return;
    seen_->known = true;
    seen_->content = mark;
    seen_->stamp = stamp;
}

StoreResult AlarmStore::setAside(const std::string& file, const std::string& why,
                                 const std::string& stamp,
                                 const std::function<void(const StoreResult&)>& tellFirst) {
    StoreResult r = Result(StoreStatus::SetAside, file, why);
    // A name already taken gets -2, -3 ...: a file kept aside is never overwritten.
    const std::string base = file + ".damaged-" + stamp;
    auto nameOf = [&](int n) { return n < 2 ? base : base + "-" + std::to_string(n); };
    int n = 1;
    if (tellFirst) {
        // The name it will get, told before the file is touched.
        while (n < 1000 && fs_.probeFile(nameOf(n)).failure != IoFailure::NotFound) ++n;
        r.aside = nameOf(n);
        tellFirst(r);
        r.told = true;
    }
    r.aside = nameOf(n);
    IoResult m = fs_.renameFile(file, r.aside, false);
    while (!m.ok && m.failure == IoFailure::AlreadyExists && ++n < 1000) {
        r.aside = nameOf(n);
        m = fs_.renameFile(file, r.aside, false);
    }
    if (!m.ok) {
        r.status = StoreStatus::SetAsideFailed;
        r.detail = m.reason;
        r.told = false;  // what happened instead
        return r;
    }
    ContentMark mark;
    if (IoResult c = WriteRecords(fs_, path_, AlarmFields(), 0, {}, true, &mark); !c.ok) {
        r.status = StoreStatus::SetAsideCreateFailed;
        r.detail = c.reason;
        r.told = false;
    } else {
        remember(mark);
    }
    return r;
}

StoreLoad AlarmStore::loadOrCreate(const std::string& stamp,
                                   const std::function<void(const StoreResult&)>& tellFirst) {
    StoreLoad out;
    ContentMark mark;
    const IoResult here = fs_.probeFile(path_);
    if (here.ok) {
        const OpenResult r = read(path_, out.alarms, mark);
        if (r.ok()) {
            out.loaded = true;
            remember(mark);
        } else if (r.damaged()) {
            StoreResult s = setAside(path_, r.reason, stamp, tellFirst);
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
    const std::string temp = path_ + std::string(kTempSuffix);
    const IoResult tempHere = fs_.probeFile(temp);
    if (tempHere.ok) {
        const OpenResult r = read(temp, out.alarms, mark);
        if (r.ok()) {
            if (IoResult m = fs_.renameFile(temp, path_, false); !m.ok) {
                out.alarms.clear();
                out.notes.push_back(Result(StoreStatus::TempAdoptFailed, temp, "", m.reason));
                return out;
            }
            out.loaded = true;
            remember(mark);
            out.notes.push_back(Result(StoreStatus::TempAdopted, temp));
        } else if (r.damaged()) {
            StoreResult s = setAside(temp, r.reason, stamp, tellFirst);
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
    if (IoResult c = WriteRecords(fs_, path_, AlarmFields(), 0, {}, true, &mark); !c.ok) {
        out.notes.push_back(Result(StoreStatus::CreateFailed, path_, c.reason));
        return out;
    }
    remember(mark);
    out.loaded = true;
    return out;
}

StoreFresh AlarmStore::checkFresh() {
    StoreFresh out;
    out.result = Result(StoreStatus::Ok, path_);
    if (!seen_) return out;
    FileStamp now;
    const IoResult s = fs_.fileStamp(path_, &now);
    if (!s.ok && s.failure == IoFailure::NotFound) return out;  // the save makes it again
    if (s.ok && seen_->known && seen_->stamp && *seen_->stamp == now) return out;
    // The size or the time differ (or cannot be told): the content decides.
    std::vector<Alarm> alarms;
    ContentMark mark;
    const OpenResult r = read(path_, alarms, mark);
    if (!r.ok()) {
        // Gone between the two looks: as above.
        if (!r.damaged() && fs_.probeFile(path_).failure == IoFailure::NotFound) return out;
        out.result = Result(r.damaged() ? StoreStatus::Damaged : StoreStatus::Unreadable, path_,
                            r.reason);
        return out;
    }
    const bool same = seen_->known && seen_->content == mark;
    remember(mark);
    if (!same) {
        out.result.changedOutside = true;
        out.changed = std::move(alarms);
    }
    return out;
}

StoreWritten AlarmStore::write(const std::vector<Alarm>& alarms) const {
    StoreWritten out;
    // Deleted while running: made again from the alarms held, which is what
    // the user sees and trusts.
    const bool gone = fs_.probeFile(path_).failure == IoFailure::NotFound;
    AlarmFieldTexts texts;
    const RecordSource values = [&alarms, &texts](size_t k) { return texts.of(alarms[k]); };
    // A file that appeared meanwhile is not replaced: it is another
    // program's, to be read first.
    const IoResult w =
        WriteRecords(fs_, path_, AlarmFields(), alarms.size(), values, gone, &out.mark);
    if (!w.ok && gone && w.failure == IoFailure::AlreadyExists) {
        out.result = Result(StoreStatus::ChangedOutside, path_);
        out.result.changedOutside = true;
    } else if (!w.ok) {
        out.result =
            Result(gone ? StoreStatus::RecreateFailed : StoreStatus::WriteFailed, path_, w.reason);
    } else {
        out.result = Result(StoreStatus::Ok, path_);
        out.result.recreated = gone;
        // Taken at once: a change another program makes later must not
        // pass for ours.
        out.stamp = stampNow();
    }
    return out;
}

StoreResult AlarmStore::settle(const StoreWritten& w) {
    if (w.result.ok()) remember(w.mark, w.stamp);
    return w.result;
}

StoreResult AlarmStore::save(const std::vector<Alarm>& alarms) { return settle(write(alarms)); }

}  // namespace ny
