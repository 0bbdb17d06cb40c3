// The record file: its records walked, changed and purged, its texts in
// GB18030, and every way of telling a good file from a damaged or
// unreadable one; on the sim host's files in a temporary folder.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/sim/sim_files.h"
#include "store/gb18030.h"
#include "store/recordfile.h"
#include "tests/records.h"
#include "tests/tempfolder.h"

namespace ny {
namespace {

using namespace records;

class RecordFileTest : public ::testing::Test, protected TempFolder {
protected:
    // The path as the program writes it.
    std::string storePath() const { return dir() + "\\ny.edb"; }
    // A store made anew holding `rows`.
    void makeStore(const std::vector<Row>& rows, const std::vector<FieldDef>& fields = kFields) {
        std::filesystem::remove(path("ny.edb"));
        WriteRecords(files, storePath(), rows, fields);
    }
    std::vector<Row> stored() { return ReadRecords(files, storePath()); }

    SimFiles files;
};

TEST_F(RecordFileTest, CreatedFileHasItsFieldsAndNoRecords) {
    RecordFile f(files);
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

TEST_F(RecordFileTest, RecordsAreKeptInOrderAndWalkedFromRecordOne) {
    makeStore(kThree);
    RecordFile f(files);
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

TEST_F(RecordFileTest, GoToOutsideTheRecordsChangesNothing) {
    makeStore(kThree);
    RecordFile f(files);
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.goTo(2));
    for (int64_t n : {int64_t{0}, int64_t{-1}, int64_t{4}, int64_t{1} << 40}) {
        EXPECT_FALSE(f.goTo(n)) << n;
        EXPECT_EQ(f.position(), 2) << n;
        EXPECT_EQ(f.read("闹钟时间"), kThree[1][2]) << n;
    }
    RecordFile empty(files);
    ASSERT_TRUE(empty.create(path("empty.edb"), kFields).ok);
    ASSERT_TRUE(empty.open(path("empty.edb")).ok());
    EXPECT_FALSE(empty.goTo(1));
    EXPECT_FALSE(empty.markCurrentDeleted().ok);
    EXPECT_FALSE(empty.modify({"", "", "", "", "", ""}).ok);
}

TEST_F(RecordFileTest, ModifyChangesOnlyTheGivenFields) {
    makeStore(kThree);
    RecordFile f(files);
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

TEST_F(RecordFileTest, DeleteMarksAndPurgeRenumbers) {
    makeStore(kThree);
    RecordFile f(files);
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.goTo(1));
    ASSERT_TRUE(f.markCurrentDeleted().ok);
    // Marked only: the record keeps its number, also in the file.
    EXPECT_EQ(f.count(), 3);
    EXPECT_TRUE(f.isDeleted());
    {
        RecordFile again(files);
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

TEST_F(RecordFileTest, DeleteAllKeepsTheFields) {
    makeStore(kThree);
    RecordFile f(files);
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.removeAll().ok);
    EXPECT_EQ(f.count(), 0);
    RecordFile again(files);
    ASSERT_TRUE(again.open(storePath(), kFields).ok());
    EXPECT_EQ(again.count(), 0);
}

TEST_F(RecordFileTest, TextsAreStoredAsGb18030AndWhole) {
    std::string longText;
    for (int i = 0; i < 5000; ++i) longText += "闹";
    const std::string path = "D:\\音乐\\café 😀\\" + longText + ".mp3";
    makeStore({{"", "", "2026-05-20 07:30", path, "é😀 𠀀 \u1E3F€", "未响"}});
    const std::string file = readFile("ny.edb");
    // The path's text is in the file in GB18030 (闹 = C4 D6), byte for byte.
    EXPECT_NE(file.find(Utf8ToGb18030(path)), std::string::npos);
    EXPECT_NE(file.find(std::string("\xC4\xD6\xC4\xD6")), std::string::npos);
    EXPECT_EQ(file.find("闹"), std::string::npos);  // not the UTF-8 bytes
    auto rows = stored();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][3], path);  // not cut at 100 bytes
    EXPECT_EQ(rows[0][4], "é😀 𠀀 \u1E3F€");
}

TEST_F(RecordFileTest, TrailerIsCrc32OfTheRest) {
    makeStore(kThree);
    const std::string file = readFile("ny.edb");
    EXPECT_EQ(file, WithFixedCrc(file));
}

// A store too large to be made in one piece (as 100,000 alarms are) is
// written a piece at a time, its checksum carried across the pieces; a
// failure or a stop between two pieces leaves the old file whole.
TEST_F(RecordFileTest, LargeStoreIsWrittenInPiecesAndAFailureBetweenThemKeepsTheOldFile) {
    std::vector<Row> many;
    for (int i = 0; i < 6000; ++i)  // about half a megabyte: two pieces at least
        many.push_back({"", i % 3 ? "0" : "1", "2026-06-01 08:00", "C:\\用户\\铃声\\早晨.mp3",
                        "提醒 " + std::to_string(i) + " 起床喝水", i % 2 ? "已响" : "未响"});
    std::array<std::string_view, 6> views;
    const RecordSource source = [&many, &views](size_t k) {
        for (size_t i = 0; i < views.size(); ++i) views[i] = many[k][i];
        return std::span<const std::string_view>(views);
    };
    ContentMark mark;
    ASSERT_TRUE(ny::WriteRecords(files, storePath(), kFields, many.size(), source, true, &mark).ok);
    const std::string file = readFile("ny.edb");
    ASSERT_GT(file.size(), size_t(400) << 10);
    EXPECT_EQ(file, WithFixedCrc(file));
    EXPECT_EQ(mark.size, file.size());
    EXPECT_EQ(stored(), many);

    many.pop_back();
    const int64_t before = files.ops;
    // The operations of a rewrite: the temporary file made, then its pieces.
    for (const bool crash : {false, true}) {
        files.faults = {};
        (crash ? files.faults.crashAt : files.faults.failAt) = files.ops + 3;  // the second piece
        bool stopped = false;
        try {
            EXPECT_FALSE(ny::WriteRecords(files, storePath(), kFields, many.size(), source).ok);
        } catch (const SimCrash&) {
            stopped = true;
        }
        EXPECT_EQ(stopped, crash);
        EXPECT_EQ(readFile("ny.edb"), file);
        if (!crash) EXPECT_FALSE(std::filesystem::exists(path("ny.edb.tmp")));
    }
    EXPECT_GT(files.ops, before + 3);
    files.faults = {};
    ASSERT_TRUE(ny::WriteRecords(files, storePath(), kFields, many.size(), source).ok);
    EXPECT_EQ(stored(), many);
}

// A change whose write fails leaves the file and the open object as they were.
TEST_F(RecordFileTest, FailedWriteChangesNeitherFileNorMemory) {
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
        const std::string before = readFile("ny.edb");
        RecordFile f(files);
        ASSERT_TRUE(f.open(storePath()).ok());
        ASSERT_TRUE(f.goTo(2));
        files.faults.failWrites = "设备未就绪。";
        IoResult r = op(f);
        files.faults.failWrites.reset();
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.reason, "设备未就绪。");
        EXPECT_EQ(readFile("ny.edb"), before);
        EXPECT_EQ(f.count(), 3);
        EXPECT_EQ(f.position(), 2);
        EXPECT_FALSE(f.isDeleted());
        for (size_t i = 0; i < 6; ++i) EXPECT_EQ(f.read(kFields[i].name), kThree[1][i]);
    }
    // Purge: a marked record stays marked when the purge cannot be written.
    makeStore(kThree);
    RecordFile f(files);
    ASSERT_TRUE(f.open(storePath()).ok());
    ASSERT_TRUE(f.markCurrentDeleted().ok);
    const std::string before = readFile("ny.edb");
    files.faults.failWrites = "磁盘已满。";
    EXPECT_FALSE(f.purge().ok);
    files.faults.failWrites.reset();
    EXPECT_EQ(readFile("ny.edb"), before);
    EXPECT_EQ(f.count(), 3);
    ASSERT_TRUE(f.goTo(1));
    EXPECT_TRUE(f.isDeleted());
}

TEST_F(RecordFileTest, OpenTellsDamagedFromGood) {
    makeStore(kThree);
    const std::string good = readFile("ny.edb");
    for (const auto& c : DamageCases()) {
        SCOPED_TRACE(c.name);
        writeFile("ny.edb", c.make(good));
        RecordFile f(files);
        OpenResult r = f.open(storePath());
        EXPECT_EQ(r.status, c.status) << r.reason;
        EXPECT_TRUE(r.damaged());
        EXPECT_FALSE(r.reason.empty());
        EXPECT_FALSE(f.isOpen());
    }
}

TEST_F(RecordFileTest, OpenWithExpectedFieldsRefusesAnotherSchema) {
    std::vector<FieldDef> other = kFields;
    other[4].maxLength = 200;
    const std::vector<std::vector<FieldDef>> schemas = {
        other,
        {kFields.begin(), kFields.end() - 1},
        {{"name", FieldType::Text, 20}},
    };
    for (const auto& fields : schemas) {
        makeStore({}, fields);
        RecordFile f(files);
        EXPECT_EQ(f.open(storePath(), kFields).status, OpenStatus::OtherSchema);
        EXPECT_FALSE(f.isOpen());
        EXPECT_TRUE(f.open(storePath()).ok());  // well-formed all the same
        EXPECT_EQ(f.fields(), fields);
    }
}

TEST_F(RecordFileTest, OpenTellsUnreadableFromDamaged) {
    RecordFile f(files);
    OpenResult missing = f.open(storePath());
    EXPECT_EQ(missing.status, OpenStatus::Unreadable);
    EXPECT_FALSE(missing.damaged());
    EXPECT_NE(missing.reason.find("No such file"), std::string::npos) << missing.reason;

    std::filesystem::create_directory(path("ny.edb"));
    OpenResult dir = f.open(storePath());
    EXPECT_EQ(dir.status, OpenStatus::Unreadable);
    EXPECT_FALSE(dir.reason.empty());
}

}  // namespace
}  // namespace ny
