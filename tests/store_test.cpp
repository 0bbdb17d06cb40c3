// The record file and the alarm store's sequences, on the sim host with a
// real temporary directory.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_host.h"
#include "app/app.h"
#include "alarms/storeui.h"
#include "host/uitexts.h"
#include "store/alarmfields.h"
#include "store/alarmstore.h"
#include "store/gb18030.h"
#include "store/recordfile.h"
#include "tests/forge.h"
#include "tests/program_fixture.h"

namespace ny {
namespace {

using forge::Crc32;
using forge::U16;
using forge::U32;

using Row = std::array<std::string, 6>;

const std::vector<FieldDef> kFields = [] {
    std::vector<FieldDef> v;
    for (const auto& f : ny::kAlarmFields) v.push_back({std::string(f.name), FieldType::Text, f.maxLength});
    return v;
}();

// The store's sequences as the handlers run them: the change goes through
// the one door that writes the file, then the book and the list, and tells
// the user. A book not yet filled is filled first, as the handlers do.
void LoadOrCreateStore(App& a) {
    a.alarmsLoaded = false;
    a.book.takeAll();
    LoadAlarms(a);
}
bool Change(App& a, const AlarmChange& c) { return ChangeAlarms(a, c).done; }
bool StoreAppend(App& a, const Alarm& r) {
    AlarmChange c;
    c.added = {r};
    return Change(a, c);
}
// The alarm of a row, or nullptr (no row: nothing to change).
const Alarm* AtRow(App& a, int row) {
    return row >= 0 && size_t(row) < a.book.size() ? &a.book.at(size_t(row)) : nullptr;
}
bool StoreMarkRung(App& a, std::vector<int> rows) {
    if (!AlarmsReady(a)) return false;
    AlarmChange c;
    for (int row : rows) {
        const Alarm* found = AtRow(a, row);
        if (!found) return false;
        Alarm rung = *found;
        rung.setState(RingState::Rung);
        c.changed.push_back(rung);
    }
    return Change(a, c);
}
bool StoreMarkRung(App& a, int row) { return StoreMarkRung(a, std::vector<int>{row}); }
bool StoreDeleteRow(App& a, int row) {
    if (!AlarmsReady(a)) return false;
    const Alarm* found = AtRow(a, row);
    if (!found) return false;
    AlarmChange c;
    c.removed = {found->id};
    return Change(a, c);
}
bool StoreClear(App& a) {
    AlarmChange c;
    c.clear = true;
    return Change(a, c);
}

// Three alarms whose 月份/周数 are not empty, so that a change that rewrote
// fields 1 to 5 would show.
const std::vector<Row> kThree = {
    {"12", "1", "2026-01-05 07:30", "C:\\ny\\a.mp3", "起床", "未响"},
    {"11", "2", "2026-02-06 08:00", "C:\\ny\\b.mp3", "开会", "已响"},
    {"10", "3", "2026-03-07 09:15", "C:\\ny\\c.mp3", "", "未响"},
};

std::string WithFixedCrc(std::string file) {
    file.resize(file.size() - 4);
    const uint32_t c = Crc32(file);
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<char>(c >> (8 * i)));
    return file;
}

class StoreTest : public ::testing::Test {
protected:
    StoreTest() {
        char tmpl[] = "/tmp/nystoreXXXXXX";
        dir_ = ::mkdtemp(tmpl);
        host_ = std::make_unique<SimHost>(dir_, LocalTime{2026, 12, 10, 14, 5, 3});
        app_ = std::make_unique<App>(*host_);
        host_->loadWindow(Ctl::MainWindow);  // no onEvent: only the controls
        for (const char* c : {"闹钟时间", "铃声文件", "闹钟提示信息", "是否已响铃"})
            host_->listInsertColumn(Ctl::超级列表框1, c, 100);
    }
    ~StoreTest() override { std::filesystem::remove_all(dir_); }

    SimHost& host() { return *host_; }
    App& app() { return *app_; }
    std::string storePath() { return AlarmStore(host(), host().programDir()).path(); }
    std::string real(const std::string& name) { return dir_ + "/" + name; }

    std::string bytesOf(const std::string& name) {
        std::ifstream in(real(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void put(const std::string& name, const std::string& bytes) {
        std::ofstream(real(name), std::ios::binary) << bytes;
    }

    // A store as another program (or an earlier run) left it; the program
    // reads it afresh at its next change, as after a start.
    void makeStore(const std::vector<Row>& rows, const std::vector<FieldDef>& fields = kFields) {
        app().alarmsLoaded = false;
        app().book.takeAll();
        app().storeSeen = {};
        std::filesystem::remove(real("ny.edb"));
        RecordFile f(host());
        ASSERT_TRUE(f.create(storePath(), fields).ok);
        ASSERT_TRUE(f.open(storePath()).ok());
        for (const Row& r : rows) ASSERT_TRUE(f.append({r.begin(), r.end()}).ok);
    }
    // Every record of the store as the file holds it now.
    std::vector<Row> stored() {
        RecordFile f(host());
        OpenResult r = f.open(storePath(), kFields);
        EXPECT_TRUE(r.ok()) << r.reason;
        std::vector<Row> out;
        for (int k = 1; k <= f.count(); ++k, f.skip()) {
            Row row;
            for (size_t i = 0; i < 6; ++i) row[i] = f.read(kFields[i].name).value_or("<none>");
            out.push_back(row);
        }
        return out;
    }
    std::vector<std::array<std::string, 4>> listed() {
        std::vector<std::array<std::string, 4>> out;
        for (int r = 0; r < host().listRowCount(Ctl::超级列表框1); ++r)
            out.push_back({host().listCell(Ctl::超级列表框1, r, 0), host().listCell(Ctl::超级列表框1, r, 1),
                           host().listCell(Ctl::超级列表框1, r, 2), host().listCell(Ctl::超级列表框1, r, 3)});
        return out;
    }

    std::string dir_;
    std::unique_ptr<SimHost> host_;
    std::unique_ptr<App> app_;
};

// ---- record file ------------------------------------------------------------

TEST_F(StoreTest, CreatedFileHasItsFieldsAndNoRecords) {
    RecordFile f(host());
    ASSERT_TRUE(f.create(storePath(), kFields).ok);
    EXPECT_FALSE(f.isOpen());
    ASSERT_TRUE(f.open(storePath(), kFields).ok());
    EXPECT_EQ(f.fields(), kFields);
    EXPECT_EQ(f.count(), 0);
    EXPECT_EQ(f.position(), 1);
    EXPECT_TRUE(f.eof());
    EXPECT_FALSE(f.read("闹钟时间").has_value());
    EXPECT_FALSE(f.skip());
}

TEST_F(StoreTest, RecordsAreKeptInOrderAndWalkedFromRecordOne) {
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_EQ(f.count(), 3);
    for (int k = 1; k <= 3; ++k) {
        EXPECT_EQ(f.position(), k);
        for (size_t i = 0; i < 6; ++i) EXPECT_EQ(f.read(kFields[i].name), kThree[size_t(k - 1)][i]);
        EXPECT_TRUE(f.skip());
    }
    EXPECT_TRUE(f.eof());
    EXPECT_FALSE(f.skip());
    EXPECT_EQ(f.position(), 4);
    EXPECT_FALSE(f.read("闹钟时间").has_value());
    ASSERT_TRUE(f.goTo(2));
    EXPECT_EQ(f.read("闹钟提示信息"), "开会");
    EXPECT_FALSE(f.read("no such field").has_value());
    // A new record goes to the end and becomes the current one.
    ASSERT_TRUE(f.append({"", "", "2026-04-01 10:00", "d.mp3", "新", "未响"}).ok);
    EXPECT_EQ(f.count(), 4);
    EXPECT_EQ(f.position(), 4);
    EXPECT_EQ(f.read("铃声文件"), "d.mp3");
}

TEST_F(StoreTest, GoToOutsideTheRecordsChangesNothing) {
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.goTo(2));
    for (int64_t n : {int64_t{0}, int64_t{-1}, int64_t{4}, int64_t{1} << 40}) {
        EXPECT_FALSE(f.goTo(n)) << n;
        EXPECT_EQ(f.position(), 2) << n;
        EXPECT_EQ(f.read("闹钟时间"), kThree[1][2]) << n;
    }
    RecordFile empty(host());
    ASSERT_TRUE(empty.create(real("empty.edb"), kFields).ok);
    ASSERT_TRUE(empty.open(real("empty.edb")).ok());
    EXPECT_FALSE(empty.goTo(1));
    EXPECT_FALSE(empty.markCurrentDeleted().ok);
    EXPECT_FALSE(empty.modify({"", "", "", "", "", ""}).ok);
}

TEST_F(StoreTest, ModifyChangesOnlyTheGivenFields) {
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.goTo(2));
    ASSERT_TRUE(f.modify({std::nullopt, std::nullopt, std::nullopt, std::string("X.mp3"), std::nullopt,
                          std::string("已响")})
                    .ok);
    std::vector<Row> want = kThree;
    want[1][3] = "X.mp3";
    want[1][5] = "已响";
    EXPECT_EQ(stored(), want);  // as read back from the file
    EXPECT_EQ(f.read("铃声文件"), "X.mp3");
}

TEST_F(StoreTest, DeleteMarksAndPurgeRenumbers) {
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.goTo(1));
    ASSERT_TRUE(f.markCurrentDeleted().ok);
    // Marked only: the record keeps its number, also in the file.
    EXPECT_EQ(f.count(), 3);
    EXPECT_TRUE(f.isDeleted());
    {
        RecordFile again(host());
        ASSERT_TRUE(again.open(storePath()).ok());
        EXPECT_EQ(again.count(), 3);
        EXPECT_TRUE(again.isDeleted());
        ASSERT_TRUE(again.goTo(2));
        EXPECT_FALSE(again.isDeleted());
    }
    ASSERT_TRUE(f.purge().ok);
    EXPECT_EQ(f.count(), 2);
    EXPECT_EQ(f.position(), 1);
    EXPECT_EQ(stored(), (std::vector<Row>{kThree[1], kThree[2]}));
}

TEST_F(StoreTest, DeleteAllKeepsTheFields) {
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.removeAll().ok);
    EXPECT_EQ(f.count(), 0);
    RecordFile again(host());
    ASSERT_TRUE(again.open(storePath(), kFields).ok());
    EXPECT_EQ(again.count(), 0);
}

TEST_F(StoreTest, TextsAreStoredAsGb18030AndWhole) {
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += "闹";
    const std::string path = "D:\\音乐\\café 😀\\" + longText + ".mp3";
    makeStore({{"", "", "2026-05-20 07:30", path, "é😀 𠀀 \u1E3F€", "未响"}});
    const std::string file = bytesOf("ny.edb");
    // The path's text is in the file in GB18030 (闹 = C4 D6), byte for byte.
    EXPECT_NE(file.find(Utf8ToGb18030(path)), std::string::npos);
    EXPECT_NE(file.find(std::string("\xC4\xD6\xC4\xD6")), std::string::npos);
    EXPECT_EQ(file.find("闹"), std::string::npos);  // not the UTF-8 bytes
    auto rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], path);  // not cut at 100 bytes
    EXPECT_EQ(rows[0][4], "é😀 𠀀 \u1E3F€");
}

TEST_F(StoreTest, TrailerIsCrc32OfTheRest) {
    makeStore(kThree);
    const std::string file = bytesOf("ny.edb");
    EXPECT_EQ(file, WithFixedCrc(file));
}

// A change whose write fails leaves the file and the open object as they were.
TEST_F(StoreTest, FailedWriteChangesNeitherFileNorMemory) {
    const std::vector<std::pair<const char*, std::function<IoResult(RecordFile&)>>> ops = {
        {"append", [](RecordFile& f) { return f.append({"", "", "t", "p", "m", "未响"}); }},
        {"modify", [](RecordFile& f) {
             return f.modify({std::string("x"), std::string("y"), std::string("z"), std::string("p"),
                              std::string("m"), std::string("已响")});
         }},
        {"delete", [](RecordFile& f) { return f.markCurrentDeleted(); }},
        {"removeAll", [](RecordFile& f) { return f.removeAll(); }},
    };
    for (const auto& [name, op] : ops) {
        SCOPED_TRACE(name);
        makeStore(kThree);
        const std::string before = bytesOf("ny.edb");
        RecordFile f(host());
        ASSERT_TRUE(f.open(storePath()).ok());
        ASSERT_TRUE(f.goTo(2));
        host().files.faults.failWrites = "设备未就绪。";
        IoResult r = op(f);
        host().files.faults.failWrites.reset();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, "设备未就绪。");
        EXPECT_EQ(bytesOf("ny.edb"), before);
        EXPECT_EQ(f.count(), 3);
        EXPECT_EQ(f.position(), 2);
        EXPECT_FALSE(f.isDeleted());
        for (size_t i = 0; i < 6; ++i) EXPECT_EQ(f.read(kFields[i].name), kThree[1][i]);
    }
    // Purge: a marked record stays marked when the purge cannot be written.
    makeStore(kThree);
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.markCurrentDeleted().ok);
    const std::string before = bytesOf("ny.edb");
    host().files.faults.failWrites = "磁盘已满。";
    EXPECT_FALSE(f.purge().ok);
    host().files.faults.failWrites.reset();
    EXPECT_EQ(bytesOf("ny.edb"), before);
    EXPECT_EQ(f.count(), 3);
    ASSERT_TRUE(f.goTo(1));
    EXPECT_TRUE(f.isDeleted());
}

std::string Header(uint16_t fieldCount) {
    return std::string("NyRec\r\n\x1A", 8) + U16(1) + U16(fieldCount);
}

struct DamageCase {
    const char* name;
    std::function<std::string(const std::string& good)> make;
    OpenStatus status;
};

std::string Flip(std::string s, size_t at) {
    s[at] = static_cast<char>(s[at] ^ 0x20);
    return s;
}

const std::vector<DamageCase>& DamageCases() {
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

TEST_F(StoreTest, OpenTellsDamagedFromGood) {
    makeStore(kThree);
    const std::string good = bytesOf("ny.edb");
    for (const auto& c : DamageCases()) {
        SCOPED_TRACE(c.name);
        put("ny.edb", c.make(good));
        RecordFile f(host());
        OpenResult r = f.open(storePath());
        EXPECT_EQ(r.status, c.status) << r.reason;
        EXPECT_TRUE(r.damaged());
        EXPECT_FALSE(r.reason.empty());
        EXPECT_FALSE(f.isOpen());
    }
}

TEST_F(StoreTest, OpenWithExpectedFieldsRefusesAnotherSchema) {
    std::vector<FieldDef> other = kFields;
    other[4].maxLength = 200;
    const std::vector<std::vector<FieldDef>> schemas = {
        other,
        {kFields.begin(), kFields.end() - 1},
        {{"name", FieldType::Text, 20}},
    };
    for (const auto& fields : schemas) {
        makeStore({}, fields);
        RecordFile f(host());
        EXPECT_EQ(f.open(storePath(), kFields).status, OpenStatus::OtherSchema);
        EXPECT_FALSE(f.isOpen());
        EXPECT_TRUE(f.open(storePath()).ok());  // well-formed all the same
        EXPECT_EQ(f.fields(), fields);
    }
}

TEST_F(StoreTest, OpenTellsUnreadableFromDamaged) {
    RecordFile f(host());
    OpenResult missing = f.open(storePath());
    EXPECT_EQ(missing.status, OpenStatus::Unreadable);
    EXPECT_FALSE(missing.damaged());
    EXPECT_NE(missing.reason.find("No such file"), std::string::npos) << missing.reason;

    std::filesystem::create_directory(real("ny.edb"));
    OpenResult dir = f.open(storePath());
    EXPECT_EQ(dir.status, OpenStatus::Unreadable);
    EXPECT_FALSE(dir.reason.empty());
}

// ---- the alarm store's sequences -------------------------------------------

TEST_F(StoreTest, FirstStartCreatesAnEmptyStoreWithTheSixFields) {
    LoadOrCreateStore(app());
    EXPECT_EQ(storePath(), dir_ + "\\ny.edb");
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    EXPECT_EQ(f.fields(), kFields);
    EXPECT_EQ(f.count(), 0);
    EXPECT_EQ(host().listRowCount(Ctl::超级列表框1), 0);
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, StartupListsEveryRecordInOrder) {
    makeStore(kThree);
    const std::string before = bytesOf("ny.edb");
    LoadOrCreateStore(app());
    ASSERT_EQ(listed().size(), 3u);
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(listed()[i], (std::array<std::string, 4>{kThree[i][2], kThree[i][3], kThree[i][4],
                                                         kThree[i][5]}));
    EXPECT_EQ(bytesOf("ny.edb"), before);  // listing writes nothing
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, StartupWithAnEmptyStoreListsNothing) {
    makeStore({});
    LoadOrCreateStore(app());
    EXPECT_EQ(host().listRowCount(Ctl::超级列表框1), 0);
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, AppendAddsARecordAtTheEndWithEmptyMonthAndWeek) {
    makeStore(kThree);
    // An added alarm is the program's own: its 月份 and 周数 are its own too.
    Alarm a = AlarmOfFields({"", "", "2026-12-08 20:40", "C:\\ny\\alarm.mp3", "喝水", "未响"});
    EXPECT_TRUE(StoreAppend(app(), a));
    std::vector<Row> want = kThree;
    want.push_back({"", "", "2026-12-08 20:40", "C:\\ny\\alarm.mp3", "喝水", "未响"});
    EXPECT_EQ(stored(), want);
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, LongAndNonGbkTextsComeBackUnchangedAtTheNextStart) {
    LoadOrCreateStore(app());
    std::string prompt;
    for (int i = 0; i < 5000; ++i) prompt += i % 2 ? "钟" : "😀";
    const Alarm a = AlarmOfFields({"", "", "2026-12-08 20:40", "/home/café/🎵 tone.mp3", prompt, "未响"});
    ASSERT_TRUE(StoreAppend(app(), a));

    SimHost next(dir_, LocalTime{2026, 12, 11, 8, 0, 0});
    App nextApp(next);
    next.loadWindow(Ctl::MainWindow);
    for (int c = 0; c < 4; ++c) next.listInsertColumn(Ctl::超级列表框1, "c", 100);
    LoadOrCreateStore(nextApp);
    ASSERT_EQ(next.listRowCount(Ctl::超级列表框1), 1);
    EXPECT_EQ(next.listCell(Ctl::超级列表框1, 0, 1), a.tone);
    EXPECT_EQ(next.listCell(Ctl::超级列表框1, 0, 2), prompt);
    EXPECT_TRUE(next.boxes.empty());
}

TEST_F(StoreTest, MarkRungChangesOnlyFieldSixOfThatRecord) {
    makeStore(kThree);
    EXPECT_TRUE(StoreMarkRung(app(), 2));
    std::vector<Row> want = kThree;
    want[2][5] = "已响";
    EXPECT_EQ(stored(), want);
}

// Many alarms missed at once are marked in one write, not one per row.
TEST_F(StoreTest, MarkRungOfSeveralRowsIsOneWrite) {
    makeStore(kThree);
    LoadOrCreateStore(app());
    auto rungAt = [&](int row) {
        Alarm a = app().book.at(size_t(row));
        a.setState(RingState::Rung);
        return a;
    };
    AlarmChange one, two;
    one.changed = {rungAt(1)};
    const int64_t before = host().files.ops;
    ASSERT_TRUE(Change(app(), one));
    const int64_t oneRow = host().files.ops - before;

    makeStore(kThree);
    LoadOrCreateStore(app());
    two.changed = {rungAt(0), rungAt(2)};
    const int64_t start = host().files.ops;
    EXPECT_TRUE(Change(app(), two));
    EXPECT_EQ(host().files.ops - start, oneRow) << "as many file operations as for one row";
    std::vector<Row> want = kThree;
    want[0][5] = want[2][5] = "已响";
    EXPECT_EQ(stored(), want);

    // One row without a record: nothing is changed.
    makeStore(kThree);
    const std::string bytes = bytesOf("ny.edb");
    EXPECT_FALSE(StoreMarkRung(app(), std::vector<int>{0, 3}));
    EXPECT_EQ(bytesOf("ny.edb"), bytes);
}

TEST_F(StoreTest, AfterDeletingTheFirstOfThreeRingingRowZeroMarksTheFormerSecond) {
    makeStore(kThree);
    EXPECT_TRUE(StoreDeleteRow(app(), 0));
    EXPECT_EQ(stored(), (std::vector<Row>{kThree[1], kThree[2]}));
    // The former record 3 (now 2) was not rung; mark it through its new row.
    EXPECT_TRUE(StoreMarkRung(app(), 1));
    std::vector<Row> want = {kThree[1], kThree[2]};
    want[1][5] = "已响";
    EXPECT_EQ(stored(), want);
    // Nothing marked deleted is left behind.
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    for (int k = 1; k <= f.count(); ++k, f.skip()) EXPECT_FALSE(f.isDeleted()) << k;
}

TEST_F(StoreTest, DeletingTheLastRowRemovesTheLastRecord) {
    makeStore(kThree);
    EXPECT_TRUE(StoreDeleteRow(app(), 2));
    EXPECT_EQ(stored(), (std::vector<Row>{kThree[0], kThree[1]}));
}

TEST_F(StoreTest, RowsWithoutARecordChangeNothing) {
    makeStore(kThree);
    const std::string before = bytesOf("ny.edb");
    for (int row : {-1, 3, 100, INT32_MAX}) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(StoreDeleteRow(app(), row));
        EXPECT_FALSE(StoreMarkRung(app(), row));
        EXPECT_EQ(bytesOf("ny.edb"), before);
    }
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, ClearEmptiesTheStoreAndKeepsItsSchema) {
    makeStore(kThree);
    EXPECT_TRUE(StoreClear(app()));
    EXPECT_TRUE(stored().empty());
    EXPECT_TRUE(StoreClear(app()));  // an empty store stays empty
    EXPECT_TRUE(stored().empty());
    LoadOrCreateStore(app());
    EXPECT_EQ(host().listRowCount(Ctl::超级列表框1), 0);
    EXPECT_TRUE(host().boxes.empty());
}

TEST_F(StoreTest, DamagedStoreAtStartupIsKeptAsideAndReplaced) {
    makeStore(kThree);
    const std::string good = bytesOf("ny.edb");
    std::vector<DamageCase> cases = DamageCases();
    cases.push_back({"foreign schema",
                     [this](const std::string&) {
                         std::vector<FieldDef> fields = kFields;
                         fields.pop_back();
                         makeStore({}, fields);
                         return bytesOf("ny.edb");
                     },
                     OpenStatus::OtherSchema});
    const std::string aside = "ny.edb.damaged-20261210-140503";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string bad = c.make(good);
        put("ny.edb", bad);
        std::filesystem::remove(real(aside));
        host().boxes.clear();
        LoadOrCreateStore(app());

        ASSERT_EQ(host().boxes.size(), 1u);
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
        EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos) << host().boxes[0].text;
        EXPECT_NE(host().boxes[0].text.find(aside), std::string::npos) << host().boxes[0].text;
        EXPECT_EQ(bytesOf(aside), bad);
        EXPECT_TRUE(stored().empty());
        EXPECT_EQ(host().listRowCount(Ctl::超级列表框1), 0);
    }
}

TEST_F(StoreTest, AKeptAsideFileIsNeverOverwritten) {
    put("ny.edb.damaged-20261210-140503", "first");
    put("ny.edb.damaged-20261210-140503-2", "second");
    put("ny.edb", "third");
    LoadOrCreateStore(app());
    EXPECT_EQ(bytesOf("ny.edb.damaged-20261210-140503"), "first");
    EXPECT_EQ(bytesOf("ny.edb.damaged-20261210-140503-2"), "second");
    EXPECT_EQ(bytesOf("ny.edb.damaged-20261210-140503-3"), "third");
    EXPECT_TRUE(stored().empty());
}

TEST_F(StoreTest, UnreadableStoreAtStartupIsReportedAndLeftAlone) {
    std::filesystem::create_directory(real("ny.edb"));
    LoadOrCreateStore(app());
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
    EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos);
    EXPECT_NE(host().boxes[0].text.find("Is a directory"), std::string::npos) << host().boxes[0].text;
    EXPECT_TRUE(std::filesystem::is_directory(real("ny.edb")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);  // nothing set aside
    EXPECT_EQ(host().listRowCount(Ctl::超级列表框1), 0);

    // A later change cannot use it either, and says so.
    EXPECT_FALSE(StoreAppend(app(), AlarmOfFields({"", "", "2026-12-10 15:00", "a.mp3", "", "未响"})));
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_NE(host().boxes[1].text.find(storePath()), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(real("ny.edb")));
}

TEST_F(StoreTest, FailedWritesKeepThePreviousFileAndAreReported) {
    const std::vector<std::pair<const char*, std::function<bool(App&)>>> sequences = {
        {"append", [](App& a) { return StoreAppend(a, AlarmOfFields({"", "", "2026-12-10 15:00", "a.mp3", "", "未响"})); }},
        {"mark rung", [](App& a) { return StoreMarkRung(a, 0); }},
        {"delete", [](App& a) { return StoreDeleteRow(a, 1); }},
        {"clear", [](App& a) { return StoreClear(a); }},
    };
    makeStore(kThree);
    const std::string before = bytesOf("ny.edb");
    for (const auto& [name, run] : sequences) {
        SCOPED_TRACE(name);
        host().boxes.clear();
        host().files.faults.failWrites = "磁盘空间不足。";
        EXPECT_FALSE(run(app()));
        host().files.faults.failWrites.reset();
        EXPECT_EQ(bytesOf("ny.edb"), before);
        ASSERT_EQ(host().boxes.size(), 1u);
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
        EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos) << host().boxes[0].text;
        EXPECT_NE(host().boxes[0].text.find("磁盘空间不足"), std::string::npos) << host().boxes[0].text;
    }
}

TEST_F(StoreTest, FailedCreateAtFirstStartIsReported) {
    host().files.faults.failWrites = "拒绝访问。";
    LoadOrCreateStore(app());
    host().files.faults.failWrites.reset();
    EXPECT_FALSE(std::filesystem::exists(real("ny.edb")));
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
    EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos);
    EXPECT_NE(host().boxes[0].text.find("拒绝访问"), std::string::npos);
}

TEST_F(StoreTest, AStoreDamagedWhileRunningIsReportedNotReplaced) {
    makeStore(kThree);
    LoadOrCreateStore(app());
    put("ny.edb", "garbage");
    EXPECT_FALSE(StoreMarkRung(app(), 0));
    EXPECT_EQ(bytesOf("ny.edb"), "garbage");
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos);
}

}  // namespace
}  // namespace ny

namespace ny {
namespace {

// A record left marked deleted by an older version (its purge failed) is not
// a row: row i is the i-th record not so marked, and the next write (the
// whole file from the alarms held) leaves it out.
TEST_F(StoreTest, ARecordLeftMarkedDeletedIsNoRow) {
    makeStore(kThree);
    {
        RecordFile f(host());
        ASSERT_TRUE(f.open(storePath(), kFields).ok());
        ASSERT_TRUE(f.goTo(1));
        ASSERT_TRUE(f.markCurrentDeleted().ok);
    }
    LoadOrCreateStore(app());
    ASSERT_EQ(listed().size(), 2u);
    EXPECT_EQ(listed()[0][0], kThree[1][2]);
    ASSERT_TRUE(StoreMarkRung(app(), 0));
    std::vector<Row> want = kThree;
    want[1][5] = "已响";
    EXPECT_EQ(stored(), (std::vector<Row>{want[1], want[2]}));  // record 2 rung, record 1 gone
    ASSERT_TRUE(StoreDeleteRow(app(), 1));
    EXPECT_EQ(stored(), (std::vector<Row>{want[1]}));
    RecordFile f(host());
    ASSERT_TRUE(f.open(storePath()).ok());
    EXPECT_FALSE(f.isDeleted());
}

}  // namespace
}  // namespace ny

// ---- several alarms changed in one write --------------------------------------

namespace ny::testing {
namespace {

class StoreChange : public ProgramTest {};

TEST_F(StoreChange, SeveralAlarmsInOneWriteAndAGoneOneWritesNothing) {
    start(At(2026, 12, 10, 6, 0, 0));
    add("2026-12-11 07:00:00", "一");
    add("2026-12-11 08:00:00", "二");
    add("2026-12-11 09:00:00", "三");
    Alarm a = app().book.at(0), b = app().book.at(2);
    a.setRepeat(Repeat::Weekdays);
    b.setMinute(*MinuteOfText("2026-12-12 09:30"));
    b.setState(RingState::Rung);
    AlarmChange both;
    both.changed = {a, b};
    const int64_t opsBefore = host().files.ops;
    ASSERT_TRUE(ChangeAlarms(app(), both).done);
    const int64_t opsOfOneChange = host().files.ops - opsBefore;
    const auto records = StoreOf(app()).loadOrCreate("x").alarms;
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].repeat, Repeat::Weekdays);
    EXPECT_EQ(MinuteText(records[0].minute), "2026-12-11 07:00");
    EXPECT_EQ(records[1].repeat, Repeat::Once);
    EXPECT_EQ(records[1].prompt, "二");
    EXPECT_EQ(MinuteText(records[2].minute), "2026-12-12 09:30");
    EXPECT_EQ(records[2].state, RingState::Rung);
    EXPECT_EQ(records[2].prompt, "三");
    EXPECT_EQ(row(2), (std::vector<std::string>{"2026-12-12 09:30", path("alarm.mp3"), "三", "已响"}));
    // One change costs what one alarm's costs: a single rewrite of the file.
    a.setRepeat(Repeat::Daily);
    AlarmChange one;
    one.changed = {a};
    const int64_t opsAt = host().files.ops;
    ASSERT_TRUE(ChangeAlarms(app(), one).done);
    EXPECT_EQ(host().files.ops - opsAt, opsOfOneChange);

    const std::string before = readFile("ny.edb");
    Alarm gone = a;
    gone.id = 999999;
    AlarmChange none;
    none.changed = {gone};
    EXPECT_FALSE(ChangeAlarms(app(), none).done);
    EXPECT_EQ(readFile("ny.edb"), before);
}

}  // namespace
}  // namespace ny::testing
