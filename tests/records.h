// The record file as the alarm store lays it out, for the tests of the file
// and of the store: its six fields, three records to start from, and the
// ways a file can be damaged.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/fileops.h"
#include "store/alarmfields.h"
#include "store/recordfile.h"
#include "tests/forge.h"

namespace ny::records {

using Row = std::array<std::string, 6>;

inline const std::vector<FieldDef> kFields = [] {
    std::vector<FieldDef> v;
    for (const auto& f : ny::kAlarmFields) v.push_back({std::string(f.name), FieldType::Text, f.maxLength});
    return v;
}();

// Three alarms whose 月份/周数 are not empty, so that a change that rewrote
// fields 1 to 5 would show.
inline const std::vector<Row> kThree = {
    {"12", "1", "2026-01-05 07:30", "C:\\ny\\a.mp3", "起床", "未响"},
    {"11", "2", "2026-02-06 08:00", "C:\\ny\\b.mp3", "开会", "已响"},
    {"10", "3", "2026-03-07 09:15", "C:\\ny\\c.mp3", "", "未响"},
};

// A record file made at `path` (where there is none) holding `rows`, as
// another program (or an earlier run) may have left it.
inline void WriteRecords(FileOps& fs, const std::string& path, const std::vector<Row>& rows,
                         const std::vector<FieldDef>& fields = kFields) {
    RecordFile f(fs);
    ASSERT_TRUE(f.create(path, fields).ok);
    ASSERT_TRUE(f.open(path).ok());
    for (const Row& r : rows) ASSERT_TRUE(f.append({r.begin(), r.end()}).ok);
}

// Every record of the file at `path` as it holds it now.
inline std::vector<Row> ReadRecords(FileOps& fs, const std::string& path) {
    RecordFile f(fs);
    OpenResult r = f.open(path, kFields);
    EXPECT_TRUE(r.ok()) << r.reason;
    std::vector<Row> out;
    for (int k = 1; k <= f.count(); ++k, f.skip()) {
        Row row;
        for (size_t i = 0; i < 6; ++i) row[i] = f.read(kFields[i].name).value_or("<none>");
        out.push_back(row);
    }
    return out;
}

// The file with its last four bytes made the checksum of the rest.
inline std::string WithFixedCrc(std::string file) {
    file.resize(file.size() - 4);
    const uint32_t c = forge::Crc32(file);
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<char>(c >> (8 * i)));
    return file;
}

// A damaged file made from a good one, and what opening it must say.
struct DamageCase {
    const char* name;
    std::function<std::string(const std::string& good)> make;
    OpenStatus status;
};

inline std::string Header(uint16_t fieldCount) {
    return std::string("NyRec\r\n\x1A", 8) + forge::U16(1) + forge::U16(fieldCount);
}

inline std::string Flip(std::string s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x20);
    return s;
}

inline const std::vector<DamageCase>& DamageCases() {
    using forge::U16;
    using forge::U32;
    static const std::vector<DamageCase> cases = {
        {"empty", [](const std::string&) { return std::string(); }, OpenStatus::Empty},
        {"bad magic", [](const std::string& g) { return Flip(g, 0); }, OpenStatus::BadMagic},
        {"a text file", [](const std::string&) { return std::string("月份,周数,闹钟时间\r\n"); },
         OpenStatus::BadMagic},
        {"wrong version", [](const std::string& g) { std::string s = g; s[8] = 2; return s; },
         OpenStatus::BadVersion},
        {"flipped byte", [](const std::string& g) { return Flip(g, g.size() - 8); },
         OpenStatus::BadChecksum},
        {"extra byte", [](const std::string& g) { return g + "x"; }, OpenStatus::BadChecksum},
        {"truncated", [](const std::string& g) { return g.substr(0, g.size() - 10); },
         OpenStatus::CutShort},
        {"truncated header", [](const std::string& g) { return g.substr(0, 5); }, OpenStatus::CutShort},
        {"trailer missing", [](const std::string& g) { return g.substr(0, g.size() - 4); },
         OpenStatus::CutShort},
        // Right checksum, impossible content (forged by hand, format version 1).
        {"unknown record flag",
         [](const std::string&) {
             return WithFixedCrc(Header(0) + U32(1) + "\x07" + U32(0));
         },
         OpenStatus::BadContent},
        {"invalid text bytes",
         [](const std::string&) {
             return WithFixedCrc(Header(1) + U16(1) + "a" + "\x01" + U32(20) + U32(1) + '\0' + U32(1) +
                                 "\x80" + U32(0));
         },
         OpenStatus::BadContent},
    };
    return cases;
}

}  // namespace ny::records
