// The record file's reader against files whose header promises more than
// the bytes hold: it must refuse them without taking memory by the counts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "platform/sim/sim_files.h"
#include "store/recordfile.h"
#include "tests/forge.h"
#include "tests/tempfolder.h"

// Counts the bytes allocated while `counting` is on (this test binary only).
namespace {

bool counting = false;
size_t allocated = 0;
}  // namespace

void* operator new(std::size_t n) {
    if (counting) allocated += n;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace ny {
namespace {

using forge::Crc32;
using forge::U16;
using forge::U32;

const std::string kMagic("NyRec\r\n\x1A", 8);
constexpr size_t kMiB = 1 << 20;

TEST(Reader, HugeCountsOrCutFilesAreRefusedInMemoryByTheirSize) {
    // One field, then a good file of one record, to cut short below.
    const std::string oneField = kMagic + U16(1) + U16(1) + U16(1) + "a" + "\x01" + U32(20);
    std::string good = oneField + U32(1) + '\0' + U32(2) + "hi";
    good += U32(Crc32(good));
    struct Case {
        const char* name;
        std::string bytes;
        OpenStatus status;
    } cases[] = {
        // Two hundred thousand records of one empty value (five bytes each)
        // and a checksum that does not match.
        {"many records, wrong checksum",
         oneField + U32(200000) + std::string(200000 * 5, '\0') + U32(0), OpenStatus::BadChecksum},
        // The same count over one field: the bytes end long before the records.
        {"huge count, cut short", oneField + U32(0xFFFFFFFF) + std::string(kMiB, '\0'),
         OpenStatus::CutShort},
        {"65535 fields of nothing", kMagic + U16(1) + U16(0xFFFF) + std::string(kMiB, '\0'),
         OpenStatus::BadChecksum},
        {"good file cut short", good.substr(0, good.size() - 5), OpenStatus::CutShort},
        {"good file, checksum changed", good.substr(0, good.size() - 1) + char(good.back() ^ 1),
         OpenStatus::BadChecksum},
    };
    const TempFolder folder;
    SimFiles files;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        folder.writeFile("f.edb", c.bytes);
        RecordFile f(files);
        allocated = 0;
        counting = true;
        const OpenResult r = f.open(folder.path("f.edb"));
        counting = false;
        EXPECT_EQ(r.status, c.status) << r.reason;
        EXPECT_TRUE(r.damaged());
        // Reading the file whole costs a few times its size; building
        // records by the counts would cost tens of times more.
        EXPECT_LT(allocated, 4 * c.bytes.size() + 64 * 1024) << allocated << " bytes";
    }
}

}  // namespace
}  // namespace ny
