// The sim host's files: real ones, in the directory a test gives, with the
// faults a test asks for. Paths as the program writes them ("dir\\ny.edb")
// are turned into real ones; every primitive operation is counted.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/fileops.h"

namespace ny {

// Thrown when fault injection stops the "process" at a file operation.
struct SimCrash {
    int64_t atOp;
};

class SimFiles final : public FileOps {
public:
    SimFiles() = default;
    SimFiles(const SimFiles&) = delete;
    SimFiles& operator=(const SimFiles&) = delete;
    ~SimFiles() override;

    // What goes wrong, as a test sets it (all off by default).
    struct Faults {
        // Every file write (plain writes and creates) fails with this reason.
        std::optional<std::string> failWrites;
        // Files (real paths) another program holds open without sharing: they
        // cannot be read, written, replaced or removed; their attributes can
        // still be read.
        std::vector<std::string> heldElsewhere;
        // Primitive operations failAt .. failAt + failRun - 1 (1-based, as
        // counted in `ops`) fail with failReason / failKind and do nothing.
        // At operation crashAt the process stops (SimCrash); a write stopped
        // there leaves half its bytes behind. 0 = off.
        int64_t failAt = 0;
        int failRun = 1;
        IoFailure failKind = IoFailure::Other;
        std::string failReason = "设备未就绪。";
        int64_t crashAt = 0;
    };
    Faults faults;

    // Folders that allow no writing (access denied, a read-only medium):
    // creating, writing, renaming or removing a file in them, or holding one
    // open for writing, fails with IoFailure::Denied.
    std::vector<std::string> readOnlyDirs;
    // The primitive operations (FileOps) done so far.
    int64_t ops = 0;
    int64_t pausedMs = 0;  // time spent in pauseBeforeRetry
    // Attributes set through setHiddenArchive (the sim has no real ones).
    std::vector<std::string> hiddenFiles;

    static std::string realPath(const std::string& path);

    // The file calls Host adds to FileOps.
    IoResult makeFolder(const std::string& path);
    IoResult writeFile(const std::string& path, std::string_view bytes);
    void setHiddenArchive(const std::string& path);
    IoResult holdExclusive(const std::string& path);

    // ---- FileOps ---------------------------------------------------------
    std::optional<std::string> readFile(const std::string& path, std::string* reason) override;
    IoResult probeFile(const std::string& path) override;
    IoResult fileStamp(const std::string& path, FileStamp* stamp) override;
    IoResult createFile(const std::string& path, int64_t* handle) override;
    IoResult writeHandle(int64_t handle, std::string_view bytes) override;
    IoResult flushHandle(int64_t handle) override;
    IoResult closeHandle(int64_t handle) override;
    IoResult renameFile(const std::string& from, const std::string& to,
                        bool replaceExisting) override;
    IoResult removeFile(const std::string& path) override;
    // Only counts the pause: the host lets its time pass.
    void pauseBeforeRetry(int64_t ms) override { pausedMs += ms; }

private:
    std::optional<IoResult> deniedIn(const std::string& path) const;
    std::optional<IoResult> held(const std::string& path) const;
    // Counts one primitive operation; the injected failure when it is due.
    std::optional<IoResult> injected(bool isWrite = false, int fd = -1,
                                     std::string_view bytes = {});

    std::vector<std::string> held_;  // held exclusively by this "process"
    std::vector<int> heldFds_;
    std::map<int64_t, int> handles_;
    int64_t nextHandle_ = 1;
};

}  // namespace ny
