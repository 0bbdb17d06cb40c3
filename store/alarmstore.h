// The alarm store "ny.edb": the alarms in record order, our own record file
// rewritten whole through a temporary file and an atomic replace. Every call
// opens and closes the file within itself and returns what happened with the
// reason; telling the user is the caller's.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/fileops.h"
#include "store/alarm.h"
#include "store/recordfile.h"

namespace ny {

// The store's file in the data folder, and the suffix of the temporary file
// a save writes first.
constexpr std::string_view kStoreFileName = "ny.edb";
constexpr std::string_view kTempSuffix = ".tmp";

const std::vector<FieldDef>& AlarmFields();

enum class StoreStatus {
    Ok,
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
    // A change that was not made because the file is not the version last
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
    // The file was not the version last read or written here: the alarms
    // must be taken from it again (also when an append went ahead).
    bool changedOutside = false;
    // The store had been deleted and was made again from the alarms held.
    bool recreated = false;
    // Already told (before it was done): not to be told again.
    bool told = false;
    bool ok() const { return status == StoreStatus::Ok || status == StoreStatus::Created; }
};

struct StoreLoad {
    bool loaded = false;  // `alarms` is what the store holds (ids not set)
    std::vector<Alarm> alarms;
    std::vector<StoreResult> notes;  // what to tell, in order
};

// The version of the store that the program last read or wrote: its size
// and checksum, and its size and last-write time as the file system tells
// them. Kept for the whole run by the caller.
struct StoreSeen {
    bool known = false;
    ContentMark content;
    std::optional<FileStamp> stamp;
};

// What a change finds before it is made.
struct StoreFresh {
    // Ok, or why the store cannot be used now (Unreadable, Damaged).
    StoreResult result;
    // Another program changed the file: what it holds now (ids not set).
    std::optional<std::vector<Alarm>> changed;
};

// A save's write, done where nothing else is touched (it may run off the
// window's thread): what happened, and what was written.
struct StoreWritten {
    StoreResult result;
    ContentMark mark;
    std::optional<FileStamp> stamp;
};

class AlarmStore {
public:
    // The store is kStoreFileName in the data folder `dataDir`. With `seen`, every change first
    // compares the file with it, and keeps it up to date.
    AlarmStore(FileOps& fs, const std::string& dataDir, StoreSeen* seen = nullptr);
    const std::string& path() const { return path_; }

    // Start-up: reads the store, or makes it when it is really absent. A
    // complete temporary file left by an interrupted save is adopted; a
    // damaged file (store or temporary) is kept aside under
    // "<name>.damaged-<stamp>" (never overwritten) and replaced by an empty
    // store. A file that cannot be read or probed is left alone. With
    // `tellFirst`, setting a file aside is told before it is done (its note
    // then says `told`): a stop meanwhile leaves the damaged file where the
    // next start finds and tells it again, never a file set aside untold.
    StoreLoad loadOrCreate(const std::string& stamp,
                           const std::function<void(const StoreResult&)>& tellFirst = {});

    // Before a change: is the file still the version last read or written
    // here? Asked of its size and write time; read whole only when they
    // differ (or the host cannot tell them). A store that is gone is fine:
    // the change makes it again.
    StoreFresh checkFresh();

    // The whole store becomes `alarms`, in this order, in one write. A store
    // that was deleted is made again (recreated).
    StoreResult save(const std::vector<Alarm>& alarms);
    // The two halves of save: `write` reads `alarms` and touches only the
    // file (safe on another thread while nothing changes `alarms`);
    // `settle` then remembers what was written, where the store is used.
    StoreWritten write(const std::vector<Alarm>& alarms) const;
    StoreResult settle(const StoreWritten& w);

private:
    StoreResult setAside(const std::string& file, const std::string& why, const std::string& stamp,
                         const std::function<void(const StoreResult&)>& tellFirst);
    OpenResult read(const std::string& file, std::vector<Alarm>& out, ContentMark& mark);
    void remember(const ContentMark& mark);
    void remember(const ContentMark& mark, const std::optional<FileStamp>& stamp);
    std::optional<FileStamp> stampNow() const;

    FileOps& fs_;
    std::string path_;
    StoreSeen* seen_;
};

}  // namespace ny
