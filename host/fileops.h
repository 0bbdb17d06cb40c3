// Primitive file operations. Deliberately small: sequences built from them
// (such as a whole-file replace) are written once, platform-neutral, and
// every host (the fault-injecting test host too) only provides these.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace ny {

// Why a file operation failed, as far as the caller acts on it.
enum class IoFailure {
    None,
    NotFound,       // no such file (or folder on the way)
    AlreadyExists,  // a create-new or a no-replace rename met a file
    Sharing,        // another program holds the file: may pass in a moment
    Denied,         // the folder or medium allows no writing (access denied, read-only)
    Other,
};

// Outcome of a file operation; `reason` is the system's own words when !ok.
struct IoResult {
    bool ok = true;
    std::string reason;
    IoFailure failure = IoFailure::None;
};

struct FileStamp {
    uint64_t size = 0;
    int64_t writeTime = 0;
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

class FileOps {
public:
    virtual ~FileOps() = default;

    // The whole file; nullopt (and the system's words in `reason`) on failure.
    virtual std::optional<std::string> readFile(const std::string& path,
                                                std::string* reason) = 0;
    // ok: the file is there. failure NotFound: it is really absent. Any other
    // failure: the query itself failed and says nothing about the file.
    virtual IoResult probeFile(const std::string& path) = 0;
    // The file's size and last-write time (in the system's own units, only
    // compared with another reading, never shown), read without opening the
    // file: cheap, and possible while another program holds it. Failure
    // NotFound: the file is absent. A host without it says it failed with
    // Other: callers then go by the content alone.
    virtual IoResult fileStamp(const std::string& path, FileStamp* stamp) {
        (void)path;
        (void)stamp;
        return {false, "not supported", IoFailure::Other};
    }

    // Creates `path` for writing (truncating a file already there) and gives
    // a handle for the three calls below; closeFile ends the handle whatever
    // it returns.
    virtual IoResult createFile(const std::string& path, int64_t* handle) = 0;
    virtual IoResult writeHandle(int64_t handle, std::string_view bytes) = 0;
    virtual IoResult flushHandle(int64_t handle) = 0;
    virtual IoResult closeHandle(int64_t handle) = 0;
    // Atomic rename within one folder. Without `replaceExisting` a file at
    // `to` makes it fail with AlreadyExists.
    virtual IoResult renameFile(const std::string& from, const std::string& to,
                                bool replaceExisting) = 0;
    virtual IoResult removeFile(const std::string& path) = 0;
    // A short pause before a failed operation is tried again.
    virtual void pauseBeforeRetry(int64_t ms) = 0;
};

}  // namespace ny
