// libFuzzer target for the record file's reader: any bytes must give a clean
// refusal or a file whose records can be walked, never a crash or memory
// taken by the header's counts. Not part of the test run; see README.
//
// Built with -DNY_FUZZ_FIX_CHECKSUM, the last four bytes are first set to
// the checksum of the rest, so that almost every input gets past the
// checksum and the fuzzer spends its time in the parsing of the records.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

#ifdef NY_FUZZ_FIX_CHECKSUM
// CRC-32 (IEEE), written apart from the reader's so that a fault in its
// checksum is not copied here.
uint32_t Crc32(std::string_view s) {
    uint32_t c = 0xFFFFFFFFu;
    for (unsigned char b : s) {
        c ^= b;
        for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
    }
    return ~c;
}

void FixChecksum(std::string& bytes) {
    if (bytes.size() < 4) return;
    const uint32_t c = Crc32(std::string_view(bytes).substr(0, bytes.size() - 4));
    for (int i = 0; i < 4; ++i) bytes[bytes.size() - 4 + size_t(i)] = static_cast<char>(c >> (8 * i));
}
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    OneFile fs;
    fs.bytes.assign(reinterpret_cast<const char*>(data), size);
#ifdef NY_FUZZ_FIX_CHECKSUM
    FixChecksum(fs.bytes);
#endif
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
