// A small table file: named, typed fields, records numbered from 1, a current
// record, and deletion marks that purge() clears. The whole file lives in
// memory while open; every change rewrites it through ReplaceWholeFile, so
// the file on disk is always either the old or the new version. If a write
// fails, the in-memory state is left as the file still is.
//
// Texts are UTF-8 here and GB18030 on disk. Values are stored whole: a
// field's maximum length is kept in the file but never cuts a value.
// Format: docs/record-file.md.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/fileops.h"

namespace ny {

enum class FieldType : uint8_t { Text = 1 };

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int maxLength = 20;  // bytes of GB18030 text
    friend bool operator==(const FieldDef&, const FieldDef&) = default;
};

enum class OpenStatus {
    Ok,
    Unreadable,   // the system could not read the file (reason: its words)
    // The file was read but is not a record file we can use:
    Empty,        // no bytes at all
    BadMagic,     // does not start like a record file
    BadVersion,   // a format version this program does not know
    CutShort,     // ends before its own structure does
    BadChecksum,  // the bytes were changed after writing
    BadContent,   // inconsistent although the checksum matches
    OtherSchema,  // well-formed, but not the fields the caller expects
};

struct OpenResult {
    OpenStatus status = OpenStatus::Ok;
    std::string reason;  // empty when ok; otherwise the system's or our words
    bool ok() const { return status == OpenStatus::Ok; }
    bool damaged() const { return status != OpenStatus::Ok && status != OpenStatus::Unreadable; }
};

// One version of a record file: its length and the checksum it ends with.
struct ContentMark {
    uint64_t size = 0;
    uint32_t checksum = 0;
    friend bool operator==(const ContentMark&, const ContentMark&) = default;
};

// One record of a file being read: whether it is marked deleted, and its
// values in field order (the vector is reused for the next record: move out
// what is kept).
using RecordVisitor = std::function<void(bool deleted, std::vector<std::string>& values)>;
// The values of record k (0-based) of a file being written, in field order;
// they need stand only until the next call.
using RecordSource = std::function<std::span<const std::string_view>(size_t k)>;

// Reads the whole file at `path` and hands its records to `each` in order,
// keeping none of them: memory stays near the file's size. With `expected`
// a file of other fields is OtherSchema (and no record reaches `each`). A
// damaged file may have handed some records before it was found out: the
// caller keeps them only on success. `mark`: the version read.
// `expect` hears the number of records first (room can be made at once).
OpenResult ReadRecords(FileOps& fs, const std::string& path, std::span<const FieldDef> expected,
                       const RecordVisitor& each, ContentMark* mark = nullptr,
                       const std::function<void(size_t)>& expect = {});
// Writes a file of `count` live records in one whole-file replace
// (ReplaceWholeFile, `mustBeNew` as there), made and written a piece at a
// time: memory does not grow with the file. `mark`: the version written.
IoResult WriteRecords(FileOps& fs, const std::string& path, std::span<const FieldDef> fields,
                      size_t count, const RecordSource& values, bool mustBeNew = false,
                      ContentMark* mark = nullptr);

class RecordFile {
public:
    explicit RecordFile(FileOps& fs) : fs_(fs) {}

    // Writes a file with these fields and these records (values in field
    // order), in one write. Never replaces a file already at `path`
    // (failure AlreadyExists). Leaves this object as it was: create does
    // not open.
    IoResult create(const std::string& path, std::span<const FieldDef> fields,
                    std::span<const std::vector<std::string>> records = {});

    // Reads the whole file. On success the current record is 1. With
    // `expected`, a file whose fields differ in any way is OtherSchema. On
    // failure the object is closed.
    OpenResult open(const std::string& path);
    OpenResult open(const std::string& path, std::span<const FieldDef> expected);
    void close();
    bool isOpen() const { return open_; }
    // The version this object last read or wrote (while open).
    const ContentMark& mark() const { return mark_; }

    const std::vector<FieldDef>& fields() const { return fields_; }
    // Records, those marked deleted included until purge().
    int count() const { return static_cast<int>(records_.size()); }
    // Current record number; count() + 1 once skipped past the last.
    int position() const { return pos_; }
    bool eof() const { return pos_ > count(); }
    // One record forward; false (and nothing changes) when already past the end.
    bool skip();
    // To record n; false and nothing changes when n is outside 1..count().
    bool goTo(int64_t n);

    // The current record's value of a field; nullopt when there is no such
    // field or no current record.
    std::optional<std::string> read(std::string_view field) const;
    bool isDeleted() const;

    // Adds a record at the end (values in field order, one per field); it
    // becomes the current record.
    IoResult append(const std::vector<std::string>& values);
    // Changes the current record; nullopt leaves that field as it is.
    IoResult modify(const std::vector<std::optional<std::string>>& values);
    // The same change to each of the records numbered (1-based), in one
    // write; nothing is written when a number is out of range.
    IoResult modifyEach(std::span<const int> numbers,
                        const std::vector<std::optional<std::string>>& values);
    // Its own change to each of the records numbered, in one write.
    IoResult modifyEach(std::span<const int> numbers,
                        const std::vector<std::vector<std::optional<std::string>>>& values);
    // Marks the current record deleted; it keeps its number until purge().
    IoResult markCurrentDeleted();
    // Removes the records marked deleted; the rest are renumbered from 1 in
    // their order, and the current record is 1.
    IoResult purge();
    // Removes the current record, and with it any marked deleted, in one
    // write; the rest are renumbered and the current record is 1.
    IoResult removeCurrent();
    // Removes every record; the fields stay.
    IoResult removeAll();

private:
    struct Record {
        bool deleted = false;
        std::vector<std::string> values;
    };
    // Writes the given content; adopts it only when the write succeeded.
    IoResult commit(std::vector<Record> records, int pos);
    IoResult checkCurrent() const;

    FileOps& fs_;
    bool open_ = false;
    std::string path_;
    std::vector<FieldDef> fields_;
    std::vector<Record> records_;
    int pos_ = 1;
    ContentMark mark_;
};

}  // namespace ny
