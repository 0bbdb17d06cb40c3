// The alarm store's sequences as the handlers run them: the store filled
// at start, changes written whole (and what the user is told when a write
// fails), a damaged store kept aside; on the sim host in a temporary folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/sim/sim_host.h"
#include "app/app.h"
#include "alarms/storeui.h"
#include "store/alarmstore.h"
#include "store/recordfile.h"
#include "tests/program_fixture.h"
#include "tests/records.h"
#include "tests/tempfolder.h"

namespace ny {
namespace {

using namespace records;

// The store's sequences as the handlers run them: the change goes through
// the one door that writes the file, then the book and the list, and tells
// the user. A book not yet filled is filled first, as the handlers do.
void LoadOrCreateStore(App& a) {
    a.alarmsLoaded = false;
    a.book.takeAll();
    LoadAlarms(a);
}
// The change made and its write ended: whether it reached ny.edb.
bool Change(App& a, const AlarmChange& c) {
    const bool done = ChangeAlarms(a, c).done;
    return FinishStoreWrite(a) && done;
}
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

class StoreTest : public ::testing::Test, protected TempFolder {
protected:
    StoreTest() { newProgram(); }
    // A program not yet started (on a host of its own): its window's
    // controls and the list's columns, nothing read.
    void newProgram() {
        app_.reset();
        host_ = std::make_unique<SimHost>(dir(), LocalTime{2026, 12, 10, 14, 5, 3});
        app_ = std::make_unique<App>(*host_);
        host_->loadWindow(Ctl::MainWindow);  // no onEvent: only the controls
        for (const char* c : {"闹钟时间", "铃声文件", "闹钟提示信息", "是否已响铃"})
            host_->listInsertColumn(Ctl::超级列表框1, c, 100);
    }
    // The names in the folder, sorted.
    std::vector<std::string> names() const {
        std::vector<std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir())) out.push_back(e.path().filename());
        std::sort(out.begin(), out.end());
        return out;
    }

    SimHost& host() { return *host_; }
    App& app() { return *app_; }
    std::string storePath() { return AlarmStore(host(), host().programDir()).path(); }

    // A store as another program (or an earlier run) left it; the program
    // reads it afresh at its next change, as after a start.
    void makeStore(const std::vector<Row>& rows, const std::vector<FieldDef>& fields = kFields) {
        app().alarmsLoaded = false;
        app().book.takeAll();
        app().storeSeen = {};
        std::filesystem::remove(path("ny.edb"));
        WriteRecords(host(), storePath(), rows, fields);
    }
    // Every record of the store as the file holds it now.
    std::vector<Row> stored() { return ReadRecords(host(), storePath()); }
    std::vector<std::array<std::string, 4>> listed() {
        std::vector<std::array<std::string, 4>> out;
        for (int r = 0; r < host().listRowCount(Ctl::超级列表框1); ++r)
            out.push_back({host().listCell(Ctl::超级列表框1, r, 0), host().listCell(Ctl::超级列表框1, r, 1),
                           host().listCell(Ctl::超级列表框1, r, 2), host().listCell(Ctl::超级列表框1, r, 3)});
        return out;
    }

    std::unique_ptr<SimHost> host_;
    std::unique_ptr<App> app_;
};

using Listed = std::vector<std::array<std::string, 4>>;

// The four cells a row of the list shows of a record.
Listed Shown(const std::vector<Row>& rows) {
    Listed out;
    for (const Row& r : rows) out.push_back({r[2], r[3], r[4], r[5]});
    return out;
}

// What start-up lists and tells for each state the store can be found in:
// absent, good, empty, unknowable, unreadable, left only as a temporary
// file (whole, half-written or unreadable), damaged in every way the file
// can be, and a store that cannot be created.
TEST_F(StoreTest, StartUpListsAndTellsByWhatIsFound) {
    const std::string stamp = "20261210-140503";  // the start's time
    const std::string aside = "ny.edb.damaged-" + stamp;
    const Row recovered = {"", "", "2026-12-10 09:00", "a.mp3", "断电前", "未响"};
    makeStore({});
    const std::string empty = readFile("ny.edb");
    makeStore(kThree);
    const std::string good = readFile("ny.edb");
    struct Case {
        std::string name;
        std::function<void()> make;             // the folder before the start
        Listed listed;                          // the list after it
        std::vector<std::string> told;          // parts of the one box; none: no box
        std::vector<std::string> namesAfter;    // the folder after it
        std::function<void()> also = [] {};     // what else the case must show
    };
    std::vector<Case> cases = {
        {"absent: created with the six fields", [] {}, {}, {}, {"ny.edb"},
         [this] {
             EXPECT_EQ(storePath(), dir() + "\\ny.edb");
             RecordFile f(host());
             ASSERT_TRUE(f.open(storePath()).ok());
             EXPECT_EQ(f.fields(), kFields);
             EXPECT_EQ(f.count(), 0);
         }},
        {"every record, in order, nothing written", [&] { writeFile("ny.edb", good); }, Shown(kThree), {},
         {"ny.edb"}, [&] { EXPECT_EQ(readFile("ny.edb"), good); }},
        {"empty: nothing listed, nothing written", [&] { writeFile("ny.edb", empty); }, {}, {}, {"ny.edb"},
         [&] { EXPECT_EQ(readFile("ny.edb"), empty); }},
        // The query fails (a link that loops): nothing may be created over it.
        {"existence unknowable", [this] { std::filesystem::create_symlink("ny.edb", path("ny.edb")); }, {},
         {"无法确定闹钟数据文件"}, {"ny.edb"}},
        {"unreadable: told and left alone", [this] { std::filesystem::create_directory(path("ny.edb")); }, {},
         {"无法读取闹钟数据文件", "Is a directory"}, {"ny.edb"},
         [this] { EXPECT_TRUE(std::filesystem::is_directory(path("ny.edb"))); }},
        {"only a complete temporary file",
         [&] { WriteRecords(host(), storePath() + ".tmp", {recovered}); }, Shown({recovered}),
         {"已用它恢复闹钟数据"}, {"ny.edb"}},
        {"only a half-written temporary file",
         [&] {
             WriteRecords(host(), storePath() + ".tmp", {recovered});
             const std::string tmp = path("ny.edb.tmp");
             std::filesystem::resize_file(tmp, std::filesystem::file_size(tmp) - 7);
         },
         {}, {"已改名保存为"}, {"ny.edb", "ny.edb.tmp.damaged-" + stamp}},
        {"temporary file unreadable", [this] { std::filesystem::create_directory(path("ny.edb.tmp")); }, {},
         {"无法读取闹钟数据文件"}, {"ny.edb.tmp"}},
        {"a kept-aside file is never overwritten",
         [&] {
             writeFile(aside, "first");
             writeFile(aside + "-2", "second");
             writeFile("ny.edb", "third");
         },
         {}, {aside + "-3"}, {"ny.edb", aside, aside + "-2", aside + "-3"},
         [&] {
             EXPECT_EQ(readFile(aside), "first");
             EXPECT_EQ(readFile(aside + "-2"), "second");
             EXPECT_EQ(readFile(aside + "-3"), "third");
         }},
        {"cannot be created", [this] { host().files.faults.failWrites = "拒绝访问。"; }, {}, {"拒绝访问"}, {}},
    };
    std::vector<DamageCase> damage = DamageCases();
    damage.push_back({"foreign schema",
                      [this](const std::string&) {
                          std::vector<FieldDef> fields = kFields;
                          fields.pop_back();
                          makeStore({}, fields);
                          return readFile("ny.edb");
                      },
                      OpenStatus::OtherSchema});
    for (const DamageCase& d : damage) {
        auto bad = std::make_shared<std::string>();  // as the case made it
        cases.push_back({std::string("damaged: ") + d.name,
                         [this, &good, d, bad] {
                             *bad = d.make(good);
                             writeFile("ny.edb", *bad);
                         },
                         {}, {aside}, {"ny.edb", aside},
                         [this, &aside, bad] { EXPECT_EQ(readFile(aside), *bad); }});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const auto& e : std::filesystem::directory_iterator(dir())) std::filesystem::remove_all(e.path());
        newProgram();
        c.make();
        LoadOrCreateStore(app());
        host().files.faults = {};
        EXPECT_EQ(listed(), c.listed);
        if (c.told.empty()) {
            EXPECT_TRUE(host().boxes.empty());
        } else {
            ASSERT_EQ(host().boxes.size(), 1u);
            EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
            for (const std::string& part : c.told)
                EXPECT_NE(host().boxes[0].text.find(part), std::string::npos) << host().boxes[0].text;
            EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos) << host().boxes[0].text;
        }
        EXPECT_EQ(names(), c.namesAfter);
        std::error_code ec;
        if (std::filesystem::is_regular_file(path("ny.edb"), ec)) EXPECT_EQ(Shown(stored()), c.listed);
        c.also();
    }
}

// A store unreadable at start-up cannot be changed later either, and the
// change says so.
TEST_F(StoreTest, AStoreUnreadableAtStartRefusesALaterChangeToo) {
    std::filesystem::create_directory(path("ny.edb"));
    LoadOrCreateStore(app());
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_FALSE(StoreAppend(app(), AlarmOfFields({"", "", "2026-12-10 15:00", "a.mp3", "", "未响"})));
    ASSERT_EQ(host().boxes.size(), 2u);
    EXPECT_NE(host().boxes[1].text.find(storePath()), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(path("ny.edb")));
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

    SimHost next(dir(), LocalTime{2026, 12, 11, 8, 0, 0});
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
    const std::string bytes = readFile("ny.edb");
    EXPECT_FALSE(StoreMarkRung(app(), std::vector<int>{0, 3}));
    EXPECT_EQ(readFile("ny.edb"), bytes);
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
    const std::string before = readFile("ny.edb");
    for (int row : {-1, 3, 100, INT32_MAX}) {
        SCOPED_TRACE(row);
        EXPECT_FALSE(StoreDeleteRow(app(), row));
        EXPECT_FALSE(StoreMarkRung(app(), row));
        EXPECT_EQ(readFile("ny.edb"), before);
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

TEST_F(StoreTest, FailedWritesKeepThePreviousFileAndAreReported) {
    const std::vector<std::pair<const char*, std::function<bool(App&)>>> sequences = {
        {"append", [](App& a) { return StoreAppend(a, AlarmOfFields({"", "", "2026-12-10 15:00", "a.mp3", "", "未响"})); }},
        {"mark rung", [](App& a) { return StoreMarkRung(a, 0); }},
        {"delete", [](App& a) { return StoreDeleteRow(a, 1); }},
        {"clear", [](App& a) { return StoreClear(a); }},
    };
    makeStore(kThree);
    const std::string before = readFile("ny.edb");
    for (const auto& [name, run] : sequences) {
        SCOPED_TRACE(name);
        host().boxes.clear();
        host().files.faults.failWrites = "磁盘空间不足。";
        EXPECT_FALSE(run(app()));
        host().files.faults.failWrites.reset();
        EXPECT_EQ(readFile("ny.edb"), before);
        ASSERT_EQ(host().boxes.size(), 1u);
        EXPECT_EQ(host().boxes[0].kind, BoxKind::Exclamation);
        EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos) << host().boxes[0].text;
        EXPECT_NE(host().boxes[0].text.find("磁盘空间不足"), std::string::npos) << host().boxes[0].text;
    }
}

TEST_F(StoreTest, AStoreDamagedWhileRunningIsReportedNotReplaced) {
    makeStore(kThree);
    LoadOrCreateStore(app());
    writeFile("ny.edb", "garbage");
    EXPECT_FALSE(StoreMarkRung(app(), 0));
    EXPECT_EQ(readFile("ny.edb"), "garbage");
    ASSERT_EQ(host().boxes.size(), 1u);
    EXPECT_NE(host().boxes[0].text.find(storePath()), std::string::npos);
}

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
