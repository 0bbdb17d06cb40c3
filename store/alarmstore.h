// The alarm store "ny.edb" and the record sequences that keep it in step
// with the alarm list: row i of the list is the i-th record not marked
// deleted. Every sequence opens and closes the file within the call and
// returns what happened with the reason; telling the user is the caller's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/fileops.h"
#include "store/recordfile.h"

namespace ny {

struct AlarmRecord {
    std::string 月份;  // always empty
    std::string 周数;  // the repeat: empty = once (alarms/repeat.h)
    std::string 闹钟时间;
    std::string 铃声文件;
    std::string 闹钟提示信息;
    std::string 是否已响铃;
    friend bool operator==(const AlarmRecord&, const AlarmRecord&) = default;
};

const std::vector<FieldDef>& AlarmFields();

enum class StoreStatus {
    Ok,
    NoRecord,         // the row has no record: nothing changed (not a failure to tell)
    // A change that was not made (the file is as it was):
    Unreadable,       // reason: why the file could not be read
    Damaged,          // reason: what is wrong with it
    WriteFailed,      // reason: why the write failed
    // Start-up (the list shows nothing unless said otherwise):
    Created,          // a first start: new empty store, nothing to tell
    CreateFailed,
    ProbeFailed,      // whether `file` exists could not be told; nothing touched
    LoadUnreadable,
    SetAside,         // `file` was damaged (reason), kept as `aside`, new empty store
    SetAsideCreateFailed,  // ... but the new store could not be made (detail)
    SetAsideFailed,   // `file` damaged (reason), could not be renamed to `aside` (detail)
    TempAdopted,      // the store was missing; `file` (the .tmp) became the store; listed
    TempAdoptFailed,  // ... but renaming it failed (detail)
    // A change by row that was not made: the file is not the version last
    // read or written here (another program changed it; changedOutside).
    ChangedOutside,
    RecreateFailed,   // the store was gone and could not be made again (reason)
};

struct StoreResult {
    StoreStatus status = StoreStatus::Ok;
    std::string file;    // the file it is about
    std::string reason;
    std::string aside;   // where a damaged file was kept
    std::string detail;  // the reason of a second step that failed
    // The file was not the version last read or written here: the list
    // must be filled from it again (also when an append went ahead).
    bool changedOutside = false;
    // The store had been deleted and was made again from the listed alarms.
    bool recreated = false;
    bool ok() const { return status == StoreStatus::Ok || status == StoreStatus::Created; }
};

struct StoreLoad {
    bool loaded = false;  // `records` is what the store holds
    std::vector<AlarmRecord> records;
    std::vector<StoreResult> notes;  // what to tell, in order
};

// The version of the store that the program last read or wrote: its size
// and checksum, and its last-write time where the host tells it. Kept for
// the whole run by the caller.
struct StoreSeen {
    bool known = false;
    ContentMark content;
    std::optional<int64_t> writeTime;
};

// Fields of one row to change; nullopt leaves a field as it is.
struct AlarmChange {
    int row = -1;
    std::optional<std::string> 周数, 闹钟时间, 铃声文件, 闹钟提示信息, 是否已响铃;
};

class AlarmStore {
public:
    // The store lives at programDir + "\ny.edb". With `seen`, every change
    // first compares the file with it (and keeps it up to date): changes by
    // row are refused on a file changed by another program. With `listed`
    // (the alarms the list shows), a store deleted while running is made
    // again from them before the change.
    AlarmStore(FileOps& fs, const std::string& programDir, StoreSeen* seen = nullptr,
               std::function<std::vector<AlarmRecord>()> listed = {});
    const std::string& path() const { return path_; }

    // Start-up: reads the store, or makes it when it is really absent. A
    // complete temporary file left by an interrupted save is adopted; a
    // damaged file (store or temporary) is kept aside under
    // "<name>.damaged-<stamp>" (never overwritten) and replaced by an empty
    // store. A file that cannot be read or probed is left alone.
    StoreLoad loadOrCreate(const std::string& stamp);

    StoreResult append(const AlarmRecord& r);  // 月份 and 周数 are written empty
    StoreResult markRung(int row);
    // Several rows at once, in one write (a file rewritten per row would
    // make hundreds of rows take seconds). NoRecord, and nothing changed,
    // when any of them has no record.
    StoreResult markRung(const std::vector<int>& rows);
    StoreResult deleteRow(int row);  // one write
    StoreResult clear();

    // Some fields of some rows changed, in one write; NoRecord, and nothing
    // changed, when any row has no record.
    StoreResult change(const std::vector<AlarmChange>& changes);

private:
    StoreResult openForChange(RecordFile& f);
    StoreResult recreate(RecordFile& f);
    StoreResult written(RecordFile& f, const IoResult& w, StoreResult opened);
    StoreResult setAside(const std::string& file, const std::string& why,
                         const std::string& stamp);
    bool isSeen(const RecordFile& f);
    void remember(const RecordFile& f);
    void rememberNew();

    FileOps& fs_;
    std::string path_;
    StoreSeen* seen_;
    std::function<std::vector<AlarmRecord>()> listed_;
};

}  // namespace ny
