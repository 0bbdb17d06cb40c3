#include "store/recordfile.h"

#include <array>
#include <new>
#include <set>

#include "store/filereplace.h"
#include "store/gb18030.h"

namespace ny {
namespace {

// "\r\n" and "\x1A" catch a file mangled by a text-mode copy.
constexpr std::string_view kMagic{"NyRec\r\n\x1A", 8};
constexpr uint16_t kVersion = 1;
constexpr uint8_t kLive = 0;
constexpr uint8_t kDeleted = 1;

// CRC-32 (IEEE 802.3, as zip and png use it). Twenty lines do not justify a
// compression library as a dependency of the program.
// Sixteen bytes a step ("slicing by sixteen"): a store of 100,000 alarms is
// over ten megabytes, summed at every write.
using CrcTables = std::array<std::array<uint32_t, 256>, 16>;
const CrcTables& CrcTable() {
    static const CrcTables table = [] {
        CrcTables t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (size_t s = 1; s < t.size(); ++s) t[s][i] = (t[s - 1][i] >> 8) ^ t[0][t[s - 1][i] & 0xFF];
        return t;
    }();
    return table;
}

// Carries the sum over one more piece: start from kCrcStart, end with
// CrcEnd. The pieces may be cut anywhere.
constexpr uint32_t kCrcStart = 0xFFFFFFFFu;
uint32_t CrcAdd(uint32_t c, std::string_view bytes) {
    const CrcTables& t = CrcTable();
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    size_t n = bytes.size();
    const auto word = [](const unsigned char* q) {
        return uint32_t(q[0]) | uint32_t(q[1]) << 8 | uint32_t(q[2]) << 16 | uint32_t(q[3]) << 24;
    };
    // Each of the 16 bytes goes through the table for its distance from the end.
    const auto four = [&t](uint32_t w, size_t last) {
        return t[last][w & 0xFF] ^ t[last - 1][(w >> 8) & 0xFF] ^ t[last - 2][(w >> 16) & 0xFF] ^
               t[last - 3][w >> 24];
    };
    for (; n >= 16; p += 16, n -= 16)
        c = four(c ^ word(p), 15) ^ four(word(p + 4), 11) ^ four(word(p + 8), 7) ^ four(word(p + 12), 3);
    for (; n > 0; ++p, --n) c = t[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return c;
}
uint32_t CrcEnd(uint32_t c) { return c ^ 0xFFFFFFFFu; }
uint32_t Crc32(std::string_view bytes) { return CrcEnd(CrcAdd(kCrcStart, bytes)); }

void PutU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }
void PutU16(std::string& out, uint16_t v) {
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
}
void PutU32(std::string& out, uint32_t v) {
    const char b[4] = {char(v), char(v >> 8), char(v >> 16), char(v >> 24)};
    out.append(b, sizeof b);
}

// Bounds-checked little-endian reader; once it runs out it stays out.
class Reader {
public:
    explicit Reader(std::string_view s) : s_(s) {}
    bool exhausted() const { return exhausted_; }
    size_t offset() const { return at_; }
    uint32_t u(int bytes) {
        if (!take(size_t(bytes))) return 0;
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(static_cast<unsigned char>(s_[at_ - bytes + i])) << (8 * i);
        return v;
    }
    std::string_view bytes(size_t n) {
        if (!take(n)) return {};
        return s_.substr(at_ - n, n);
    }

private:
    bool take(size_t n) {
        if (exhausted_ || s_.size() - at_ < n) {
            exhausted_ = true;
            return false;
        }
        at_ += n;
        return true;
    }
    std::string_view s_;
    size_t at_ = 0;
    bool exhausted_ = false;
};

struct Parsed {
    std::vector<FieldDef> fields;
    std::vector<std::pair<bool, std::vector<std::string>>> records;
};

OpenResult Fail(OpenStatus s, std::string reason) { return {s, std::move(reason)}; }

// Walks the structure. Without `fieldsOut` nothing is decoded: that pass only
// finds where the body ends, so that the checksum is checked before the
// counts in the header are trusted with any memory. The second pass hands
// each record to `each` in one reused vector, so that no copy of the whole
// file's records is ever built here.
OpenResult Walk(std::string_view file, std::vector<FieldDef>* fieldsOut, const RecordVisitor* each,
                size_t& bodyEnd, std::span<const FieldDef> expected = {},
                const std::function<void(size_t)>* expect = nullptr) {
    const bool decode = fieldsOut != nullptr;
    if (file.empty()) return Fail(OpenStatus::Empty, "文件是空的");
    const size_t head = std::min(file.size(), kMagic.size());
    if (file.substr(0, head) != kMagic.substr(0, head))
        return Fail(OpenStatus::BadMagic, "文件头不对，不是闹钟数据文件");
    Reader r(file);
    r.bytes(kMagic.size());
    const uint32_t version = r.u(2);
    if (r.exhausted()) return Fail(OpenStatus::CutShort, "文件不完整（被截断）");
    if (version != kVersion)
        return Fail(OpenStatus::BadVersion, "文件格式版本 " + std::to_string(version) + " 无法识别");

    // Running out of bytes means the file was cut. Anything else odd is
    // judged only after the checksum, which tells a damaged file from one
    // that is well-formed but inconsistent.
    bool contentOk = true;
    const uint32_t fieldCount = r.u(2);
    std::set<std::string> names;
    for (uint32_t i = 0; i < fieldCount && !r.exhausted(); ++i) {
        const std::string_view rawName = r.bytes(r.u(2));
        const uint32_t type = r.u(1);
        const uint32_t maxLength = r.u(4);
        if (!decode) continue;
        auto name = Gb18030ToUtf8(rawName);
        if (!name || name->empty() || !names.insert(*name).second ||
            type != uint32_t(FieldType::Text) || maxLength > 0x7FFFFFFF)
            contentOk = false;
        FieldDef f;
        f.name = name.value_or("");
        f.type = FieldType::Text;
        f.maxLength = static_cast<int>(maxLength & 0x7FFFFFFF);
        fieldsOut->push_back(std::move(f));
    }
    // A file of other fields is refused before any record reaches `each`.
    if (decode && !expected.empty() && !r.exhausted() &&
        !std::equal(fieldsOut->begin(), fieldsOut->end(), expected.begin(), expected.end()))
        return contentOk ? Fail(OpenStatus::OtherSchema, "字段定义与本程序的不同")
                         : Fail(OpenStatus::BadContent, "文件内容无效");
    // Every record takes at least one byte, so this loop ends with the bytes
    // whatever the count says.
    const uint32_t recordCount = r.u(4);
    // Trusted only now: the checksum pass has shown the count is the file's.
    if (decode && expect && *expect && !r.exhausted()) (*expect)(recordCount);
    std::vector<std::string> values;
    for (uint32_t i = 0; i < recordCount && !r.exhausted(); ++i) {
        const uint32_t flag = r.u(1);
        if (flag != kLive && flag != kDeleted) contentOk = false;
        values.resize(decode ? fieldCount : 0);
        for (uint32_t k = 0; k < fieldCount && !r.exhausted(); ++k) {
            const std::string_view raw = r.bytes(r.u(4));
            if (!decode) continue;
            if (!Gb18030ToUtf8(raw, values[k])) contentOk = false;
        }
        if (decode && each && !r.exhausted()) (*each)(flag == kDeleted, values);
    }
    bodyEnd = r.offset();
    const uint32_t stored = r.u(4);
    if (r.exhausted()) return Fail(OpenStatus::CutShort, "文件不完整（被截断）");
    if (r.offset() != file.size() || Crc32(file.substr(0, bodyEnd)) != stored)
        return Fail(OpenStatus::BadChecksum, "校验和不符，文件内容已损坏");
    if (decode && !contentOk) return Fail(OpenStatus::BadContent, "文件内容无效");
    return {};
}

OpenResult Scan(std::string_view file, std::vector<FieldDef>& fields, const RecordVisitor& each) {
    size_t bodyEnd = 0;
    if (OpenResult r = Walk(file, nullptr, nullptr, bodyEnd); !r.ok()) return r;
    return Walk(file, &fields, &each, bodyEnd);
}

OpenResult Parse(std::string_view file, Parsed& out) {
    const RecordVisitor keep = [&out](bool deleted, std::vector<std::string>& values) {
        out.records.emplace_back(deleted, std::move(values));
    };
    return Scan(file, out.fields, keep);
}

bool IsAscii(std::string_view v) {
    for (const char c : v)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// The file's bytes, produced record by record. Given somewhere to `put`
// them, they leave in pieces of about kPiece bytes as they are made, so a
// large store is never held twice in memory; otherwise they are kept whole
// for `bytes()`.
class Writer {
public:
    static constexpr size_t kPiece = size_t(256) << 10;

    Writer(std::span<const FieldDef> fields, size_t records, BytePut put = {})
        : fieldCount_(fields.size()), put_(std::move(put)) {
        if (put_) out_.reserve(kPiece + (kPiece >> 2));
        out_.assign(kMagic);
        PutU16(out_, kVersion);
        PutU16(out_, static_cast<uint16_t>(fields.size()));
        for (const auto& f : fields) {
            const std::string name = Utf8ToGb18030(f.name);
            PutU16(out_, static_cast<uint16_t>(name.size()));
            out_ += name;
            PutU8(out_, static_cast<uint8_t>(f.type));
            PutU32(out_, static_cast<uint32_t>(f.maxLength));
        }
        PutU32(out_, static_cast<uint32_t>(records));
        last_.resize(fieldCount_);
    }
    // False once a piece could not be put: the rest is not worth making.
    bool record(bool deleted, std::span<const std::string_view> values) {
        if (!failed_.ok) return false;
        PutU8(out_, deleted ? kDeleted : kLive);
        for (size_t k = 0; k < fieldCount_; ++k) {
            const std::string_view v = k < values.size() ? values[k] : std::string_view();
            if (IsAscii(v)) {  // the same bytes in both encodings
                PutU32(out_, static_cast<uint32_t>(v.size()));
                out_ += v;
                continue;
            }
            const std::string& encoded = encode(k, v);
            PutU32(out_, static_cast<uint32_t>(encoded.size()));
            out_ += encoded;
        }
        if (put_ && out_.size() >= kPiece) {
            crc_ = CrcAdd(crc_, out_);
            send();
        }
        return failed_.ok;
    }
    // Ends the content with its checksum (and puts what is left).
    IoResult finish() {
        if (!failed_.ok) return failed_;
        crc_ = CrcAdd(crc_, out_);
        PutU32(out_, CrcEnd(crc_));
        mark_.checksum = CrcEnd(crc_);
        if (put_) send();
        else mark_.size += out_.size();
        return failed_;
    }
    // The whole content, when nothing was put.
    std::string& bytes() { return out_; }
    ContentMark mark() const { return mark_; }

private:
    // Successive records often repeat a value (everyone's alarms share a
    // tone): its encoding is then copied, not made again.
    const std::string& encode(size_t k, std::string_view v) {
        Last& l = last_[k];
        if (!l.valid || l.text != v) {
            l.text = v;
            l.encoded.clear();
            AppendGb18030(v, l.encoded);
            l.valid = true;
        }
        return l.encoded;
    }
    // Puts what is made so far (already summed).
    void send() {
        if (!failed_.ok || out_.empty()) return;
        failed_ = put_(out_);
        mark_.size += out_.size();
        out_.clear();
    }

    struct Last {
        bool valid = false;
        std::string text, encoded;
    };
    size_t fieldCount_;
    BytePut put_;
    std::string out_;
    std::vector<Last> last_;
    uint32_t crc_ = kCrcStart;
    ContentMark mark_;
    IoResult failed_;
};

std::string Serialize(std::span<const FieldDef> fields,
                      const std::vector<std::pair<bool, const std::vector<std::string>*>>& recs) {
    Writer w(fields, recs.size());
    std::vector<std::string_view> views;
    for (const auto& [deleted, values] : recs) {
        views.assign(values->begin(), values->end());
        w.record(deleted, views);
    }
    w.finish();
    return std::move(w.bytes());
}

// What a value reads back as once stored (malformed UTF-8 becomes U+FFFD),
// so that memory holds exactly what the file holds.
std::string AsStored(const std::string& v) { return *Gb18030ToUtf8(Utf8ToGb18030(v)); }

ContentMark MarkOf(std::string_view bytes) {
    ContentMark m;
    m.size = bytes.size();
    Reader tail(bytes.substr(bytes.size() < 4 ? 0 : bytes.size() - 4));
    m.checksum = tail.u(4);
    return m;
}

}  // namespace

IoResult RecordFile::create(const std::string& path, std::span<const FieldDef> fields,
                            std::span<const std::vector<std::string>> records) {
    std::set<std::string> names;
    for (const auto& f : fields) {
        if (f.name.empty() || !names.insert(f.name).second || f.type != FieldType::Text ||
            f.maxLength < 0 || Utf8ToGb18030(f.name).size() > 0xFFFF)
            return {false, "字段定义无效：" + f.name};
    }
    if (fields.size() > 0xFFFF) return {false, "字段太多"};
    std::vector<std::pair<bool, const std::vector<std::string>*>> view;
    for (const auto& values : records) {
        if (values.size() != fields.size()) return {false, "字段个数不符"};
        view.emplace_back(false, &values);
    }
    return ReplaceWholeFile(fs_, path, Serialize(fields, view), true);
}

OpenResult RecordFile::open(const std::string& path) {
    close();
    std::string reason;
    std::optional<std::string> bytes;
    Parsed p;
    OpenResult r;
    try {
        bytes = fs_.readFile(path, &reason);
        if (!bytes) return Fail(OpenStatus::Unreadable, reason);
        r = Parse(*bytes, p);
    } catch (const std::bad_alloc&) {
        // Not the file's fault: left alone, like any file that cannot be read.
        return Fail(OpenStatus::Unreadable, "内存不足");
    }
    if (!r.ok()) return r;
    mark_ = MarkOf(*bytes);
    path_ = path;
    fields_ = std::move(p.fields);
    records_.clear();
    records_.reserve(p.records.size());
    for (auto& [deleted, values] : p.records) records_.push_back({deleted, std::move(values)});
    pos_ = 1;
    open_ = true;
    return {};
}

OpenResult RecordFile::open(const std::string& path, std::span<const FieldDef> expected) {
    OpenResult r = open(path);
    if (r.ok() && !std::equal(fields_.begin(), fields_.end(), expected.begin(), expected.end())) {
        close();
        return Fail(OpenStatus::OtherSchema, "字段定义与本程序的不同");
    }
    return r;
}

void RecordFile::close() {
    open_ = false;
    path_.clear();
    fields_.clear();
    records_.clear();
    pos_ = 1;
    mark_ = {};
}

bool RecordFile::skip() {
    if (!open_ || eof()) return false;
    ++pos_;
    return true;
}

bool RecordFile::goTo(int64_t n) {
    if (!open_ || n < 1 || n > count()) return false;
    pos_ = static_cast<int>(n);
    return true;
}

std::optional<std::string> RecordFile::read(std::string_view field) const {
    if (!open_ || eof()) return std::nullopt;
    for (size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name == field) return records_[size_t(pos_ - 1)].values[i];
    return std::nullopt;
}

bool RecordFile::isDeleted() const { return open_ && !eof() && records_[size_t(pos_ - 1)].deleted; }

IoResult RecordFile::checkCurrent() const {
    if (!open_) return {false, "文件未打开"};
    if (eof()) return {false, "没有当前记录"};
    return {};
}

IoResult RecordFile::commit(std::vector<Record> records, int pos) {
    std::vector<std::pair<bool, const std::vector<std::string>*>> view;
    view.reserve(records.size());
    for (const auto& r : records) view.emplace_back(r.deleted, &r.values);
    const std::string bytes = Serialize(fields_, view);
    IoResult w = ReplaceWholeFile(fs_, path_, bytes);
    if (w.ok) {
        mark_ = MarkOf(bytes);
        records_ = std::move(records);
        pos_ = pos;
    }
    return w;
}

IoResult RecordFile::append(const std::vector<std::string>& values) {
    if (!open_) return {false, "文件未打开"};
    if (values.size() != fields_.size()) return {false, "字段个数不符"};
    Record rec;
    for (const auto& v : values) rec.values.push_back(AsStored(v));
    std::vector<Record> next = records_;
    next.push_back(std::move(rec));
    const int pos = static_cast<int>(next.size());
    return commit(std::move(next), pos);
}

IoResult RecordFile::modify(const std::vector<std::optional<std::string>>& values) {
    if (IoResult c = checkCurrent(); !c.ok) return c;
    if (values.size() != fields_.size()) return {false, "字段个数不符"};
    std::vector<Record> next = records_;
    auto& rec = next[size_t(pos_ - 1)];
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i]) rec.values[i] = AsStored(*values[i]);
    return commit(std::move(next), pos_);
}

IoResult RecordFile::modifyEach(std::span<const int> numbers,
                               const std::vector<std::optional<std::string>>& values) {
    if (!open_) return {false, "文件未打开"};
    if (values.size() != fields_.size()) return {false, "字段个数不符"};
    std::vector<Record> next = records_;
    for (int n : numbers) {
        if (n < 1 || n > count()) return {false, "没有第 " + std::to_string(n) + " 条记录"};
        auto& rec = next[size_t(n - 1)];
        for (size_t i = 0; i < values.size(); ++i)
            if (values[i]) rec.values[i] = AsStored(*values[i]);
    }
    return commit(std::move(next), pos_);
}

IoResult RecordFile::modifyEach(std::span<const int> numbers,
                               const std::vector<std::vector<std::optional<std::string>>>& values) {
    if (!open_) return {false, "文件未打开"};
    if (values.size() != numbers.size()) return {false, "更改个数不符"};
    std::vector<Record> next = records_;
    for (size_t k = 0; k < numbers.size(); ++k) {
        const int n = numbers[k];
        if (n < 1 || n > count()) return {false, "没有第 " + std::to_string(n) + " 条记录"};
        if (values[k].size() != fields_.size()) return {false, "字段个数不符"};
        auto& rec = next[size_t(n - 1)];
        for (size_t i = 0; i < values[k].size(); ++i)
            if (values[k][i]) rec.values[i] = AsStored(*values[k][i]);
    }
    return commit(std::move(next), pos_);
}

IoResult RecordFile::markCurrentDeleted() {
    if (IoResult c = checkCurrent(); !c.ok) return c;
    if (records_[size_t(pos_ - 1)].deleted) return {};
    std::vector<Record> next = records_;
    next[size_t(pos_ - 1)].deleted = true;
    return commit(std::move(next), pos_);
}

IoResult RecordFile::purge() {
    if (!open_) return {false, "文件未打开"};
    std::vector<Record> next;
    next.reserve(records_.size());
    for (const auto& r : records_)
        if (!r.deleted) next.push_back(r);
    return commit(std::move(next), 1);
}

IoResult RecordFile::removeCurrent() {
    if (IoResult c = checkCurrent(); !c.ok) return c;
    std::vector<Record> next;
    next.reserve(records_.size());
    for (size_t i = 0; i < records_.size(); ++i)
        if (!records_[i].deleted && i != size_t(pos_ - 1)) next.push_back(records_[i]);
    return commit(std::move(next), 1);
}

OpenResult ReadRecords(FileOps& fs, const std::string& path, std::span<const FieldDef> expected,
                       const RecordVisitor& each, ContentMark* mark,
                       const std::function<void(size_t)>& expect) {
    std::string reason;
    try {
        std::optional<std::string> bytes = fs.readFile(path, &reason);
        if (!bytes) return Fail(OpenStatus::Unreadable, reason);
        std::vector<FieldDef> fields;
        size_t bodyEnd = 0;
        if (OpenResult r = Walk(*bytes, nullptr, nullptr, bodyEnd); !r.ok()) return r;
        if (OpenResult r = Walk(*bytes, &fields, &each, bodyEnd, expected, &expect); !r.ok()) return r;
        if (mark) *mark = MarkOf(*bytes);
        return {};
    } catch (const std::bad_alloc&) {
        return Fail(OpenStatus::Unreadable, "内存不足");
    }
}

IoResult WriteRecords(FileOps& fs, const std::string& path, std::span<const FieldDef> fields,
                      size_t count, const RecordSource& values, bool mustBeNew,
                      ContentMark* mark) {
    ContentMark written;
    const ByteProducer produce = [&](const BytePut& put) -> IoResult {
        try {
            Writer w(fields, count, put);
            for (size_t k = 0; k < count; ++k) {
                const std::span<const std::string_view> rec = values(k);
                if (rec.size() != fields.size()) return {false, "字段个数不符"};
                if (!w.record(false, rec)) break;
            }
            IoResult r = w.finish();
            written = w.mark();
            return r;
        } catch (const std::bad_alloc&) {
            return {false, "内存不足", IoFailure::Other};
        }
    };
    IoResult r = ReplaceWholeFile(fs, path, produce, mustBeNew);
    if (r.ok && mark) *mark = written;
    return r;
}

IoResult RecordFile::removeAll() {
    if (!open_) return {false, "文件未打开"};
    return commit({}, 1);
}

}  // namespace ny
