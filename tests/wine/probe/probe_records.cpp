// The program's record files: a store listed record by record, and a store
// of many alarms made as test data, through the store's own RecordFile.

#include "probe_commands.h"
#include "probe_common.h"

#include <algorithm>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/datetime.h"
#include "host/uitexts.h"
#include "store/alarmstore.h"
#include "store/recordfile.h"

namespace probe {

namespace {

// RecordFile reaches files only through FileOps; this one keeps what is
// written in memory until flush() (a record file rewrites itself whole on
// every change, and a large test store would otherwise take minutes).
class FileHost final : public ny::FileOps {
public:
    std::optional<std::string> readFile(const std::string& path, std::string* reason) override {
        if (auto p = files_.find(path); p != files_.end()) return p->second;
        HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            if (reason) *reason = "error " + std::to_string(GetLastError());
            return std::nullopt;
        }
        std::string data;
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
        CloseHandle(f);
        return data;
    }
    ny::IoResult probeFile(const std::string& path) override {
        if (files_.count(path) || GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            return {};
        return {false, "not found", ny::IoFailure::NotFound};
    }
    ny::IoResult createFile(const std::string& path, int64_t* handle) override {
        open_.push_back(path);
        files_[path].clear();
        *handle = int64_t(open_.size() - 1);
        return {};
    }
    ny::IoResult writeHandle(int64_t handle, std::string_view bytes) override {
        files_[open_[size_t(handle)]] += bytes;
        return {};
    }
    ny::IoResult flushHandle(int64_t) override { return {}; }
    ny::IoResult closeHandle(int64_t) override { return {}; }
    ny::IoResult renameFile(const std::string& from, const std::string& to, bool) override {
        files_[to] = std::move(files_[from]);
        files_.erase(from);
        return {};
    }
    ny::IoResult removeFile(const std::string& path) override {
        files_.erase(path);
        return {};
    }
    void pauseBeforeRetry(int64_t) override {}

    ny::IoResult flush() {
        for (auto& [path, bytes] : files_) {
            HANDLE f = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                   nullptr);
            if (f == INVALID_HANDLE_VALUE)
                return {false, "error " + std::to_string(GetLastError())};
            DWORD put = 0;
            BOOL ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
            CloseHandle(f);
            if (!ok || put != bytes.size()) return {false, "write failed"};
        }
        files_.clear();
        return {};
    }

private:
    std::map<std::string, std::string> files_;
    std::vector<std::string> open_;
};

// The alarm store's fields, as the program creates them.
const std::vector<ny::FieldDef>& AlarmFields() { return ny::AlarmFields(); }

}  // namespace

int CmdStore(const std::string& path) {
    FileHost host;
    ny::RecordFile f(host);
    ny::OpenResult r = f.open(path, AlarmFields());
    if (!r.ok()) {
        Out("BAD store: " + r.reason);
        return 1;
    }
    Out("records=" + std::to_string(f.count()));
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        std::string line = "record " + std::to_string(k) + ":";
        bool first = true;
        for (const auto& d : AlarmFields()) {
            line += (first ? " " : "|") + OneLine(f.read(d.name).value_or("?"));
            first = false;
        }
        Out(line);
    }
    return 0;
}

// A store of n alarms, `step` minutes apart from `first` ("YYYY-MM-DD
// HH:MM"), all with the given tone: test data for start-up with many records
// and for many alarms at once (step 0).
int CmdMakeStore(const std::string& path, int n, const std::string& first,
                 const std::string& tone, int stepMinutes, const std::string& repeat) {
    auto start = ny::ParseDateTime(first);
    if (!start) {
        Out("BAD time " + first);
        return 2;
    }
    const int64_t t0 = ny::MsFromCivil(*start);
    // All records in the one write of create: appended one by one, each
    // append rewrites the file, and 100,000 would take hours.
    std::vector<std::vector<std::string>> records;
    records.reserve(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        ny::LocalTime t = ny::CivilFromMs(t0 + int64_t(i) * stepMinutes * 60000);
        std::string when = ny::FormatDateTime(t, ny::Padding::TwoDigits, ny::DateTimeParts::DateAndTime).substr(0, 16);
        records.push_back({"", repeat, when, tone, "提醒 " + std::to_string(i + 1), std::string(ny::txt::kNotRung)});
    }
    FileHost host;
    ny::RecordFile f(host);
    if (ny::IoResult c = f.create(path, AlarmFields(), records); !c.ok) {
        Out("BAD create: " + c.reason);
        return 1;
    }
    if (ny::IoResult w = host.flush(); !w.ok) {
        Out("BAD write: " + w.reason);
        return 1;
    }
    if (!f.open(path, AlarmFields()).ok()) return 1;
    Out("records=" + std::to_string(f.count()));
    return 0;
}

}  // namespace probe
