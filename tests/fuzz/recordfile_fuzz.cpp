// libFuzzer target for the record file's reader: any bytes must give a clean
// refusal or a file whose records can be walked, never a crash or memory
// taken by the header's counts. Not part of the test run; see README.
#include <cstddef>
#include <cstdint>
#include <string>

#include "store/recordfile.h"

namespace {

// One file in memory: what the fuzzer gave.
class OneFile final : public ny::FileOps {
public:
    std::string bytes;
    std::optional<std::string> readFile(const std::string&, std::string*) override { return bytes; }
    ny::IoResult probeFile(const std::string&) override { return {}; }
    ny::IoResult createFile(const std::string&, int64_t* h) override {
        *h = 1;
        written.clear();
        return {};
    }
    ny::IoResult writeHandle(int64_t, std::string_view b) override {
        written += b;
        return {};
    }
    ny::IoResult flushHandle(int64_t) override { return {}; }
    ny::IoResult closeHandle(int64_t) override { return {}; }
    ny::IoResult renameFile(const std::string&, const std::string&, bool) override {
        bytes = written;
        return {};
    }
    ny::IoResult removeFile(const std::string&) override { return {}; }
    void pauseBeforeRetry(int64_t) override {}

private:
    std::string written;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneFile fs;
    fs.bytes.assign(reinterpret_cast<const char*>(data), size);
    ny::RecordFile f(fs);
    if (!f.open("f").ok()) return 0;
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        for (const auto& field : f.fields()) (void)f.read(field.name);
    }
    // A change writes a file that reads back as what memory holds.
    if (f.goTo(1) && f.removeCurrent().ok) {
        ny::RecordFile again(fs);
        if (!again.open("f").ok() || again.count() != f.count()) __builtin_trap();
    }
    return 0;
}
