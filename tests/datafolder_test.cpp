// Where the alarms live: the program's folder, or the per-user folder when
// the program's folder allows no writing and holds no store yet.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace ny::testing {
namespace {

namespace fs = std::filesystem;

class DataFolder : public ProgramTest {
protected:
    DataFolder() {
        beforeStart = [this] {
            host().userDir = userDir();
            if (readOnly) host().files.readOnlyDirs = {dir()};
        };
    }
    std::string userDir() const { return dir() + "/LocalAppData/Ny闹钟"; }
    std::string inUser(const std::string& name) const { return userDir() + "/" + name; }
    bool readOnly = false;
};

TEST_F(DataFolder, WritableProgramFolderKeepsEverythingBesideTheProgram) {
    start(At(2026, 3, 7, 9, 0, 0));
    add("2026-03-07 10:00:00", "旁边");
    EXPECT_TRUE(host().boxes.empty());
    EXPECT_TRUE(fs::exists(path("ny.yz")));
    EXPECT_TRUE(fs::exists(path("ny.edb")));
    EXPECT_FALSE(fs::exists(userDir())) << "the per-user folder was made for nothing";
}

TEST_F(DataFolder, ReadOnlyProgramFolderUsesThePerUserFolderWithTheSameRules) {
    readOnly = true;
    start(At(2026, 3, 7, 9, 0, 0));
    EXPECT_TRUE(host().boxes.empty()) << host().boxes[0].text;
    EXPECT_EQ(readFile(inUser("ny.yz").substr(dir().size() + 1)), std::string(1, '\0'));
    EXPECT_EQ(host().files.hiddenFiles, std::vector<std::string>{inUser("ny.yz")});
    EXPECT_FALSE(fs::exists(path("ny.yz")));
    EXPECT_FALSE(fs::exists(path("ny.edb")));
    // The default tone is still the one beside the program.
    EXPECT_EQ(host().text(Ctl::铃声路径), dir() + "/alarm.mp3");

    add("2026-03-07 10:00:00", "只读文件夹");
    EXPECT_TRUE(host().boxes.empty());
    ASSERT_EQ(rows(), 1);
    EXPECT_TRUE(fs::exists(inUser("ny.edb")));
    EXPECT_FALSE(fs::exists(path("ny.edb")));

    // The lock holds there: a second copy from the same folder gives way.
    SimHost second(dir(), host().now());
    second.userDir = userDir();
    second.files.readOnlyDirs = {dir()};
    App secondApp(second);
    second.onEvent = [&](const Event& e) { return Dispatch(secondApp, e); };
    int code = -1;
    try {
        second.loadWindow(Ctl::MainWindow);
    } catch (const SimExit& e) {
        code = e.code;
    }
    second.onEvent = nullptr;
    EXPECT_EQ(code, 0);
    ASSERT_EQ(second.boxes.size(), 1u);
    EXPECT_EQ(second.boxes[0].text, "Ny闹钟已经在运行");

    // Next start finds the alarm in the per-user folder (which now exists).
    restart();
    EXPECT_TRUE(host().boxes.empty());
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[2], "只读文件夹");
}

// Cases that must not move to the per-user folder: the lock's own failure
// is told as before and the store stays beside the program.
TEST_F(DataFolder, StaysBesideTheProgramUnlessTheFolderRefusesAndHoldsNoStore) {
    struct Case {
        const char* name;
        bool readOnly;
        bool storeThere;     // a store already beside the program
        bool tempThere;      // only the temporary file of a save beside it
        bool lockThere;      // a lock file already there (that cannot be opened)
        bool noUserFolder;   // the system names no per-user folder
        bool userReadOnly;   // the per-user folder cannot be made either
        bool diskNotReady;   // the lock fails for another reason than rights
    } cases[] = {
        {"existing store in a read-only folder", true, true, false, false, false, false, false},
        {"a save's temporary file in a read-only folder", true, false, true, false, false, false, false},
        {"a lock file there that cannot be opened", true, false, false, true, false, false, false},
        {"no per-user folder named", true, false, false, false, true, false, false},
        {"per-user folder cannot be made", true, false, false, false, false, true, false},
        {"a failure other than access denied", false, false, false, false, false, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(dir() + "/LocalAppData");
        fs::remove(path("ny.yz"));
        fs::remove(path("ny.edb"));
        fs::remove(path("ny.edb.tmp"));
        beforeStart = nullptr;
        if (c.storeThere) {
            start(At(2026, 3, 7, 9, 0, 0));
            add("2026-03-07 10:00:00", "原来的");
            fs::remove(path("ny.yz"));
        }
        if (c.tempThere) writeFile("ny.edb.tmp", "a save's leftover");
        if (c.lockThere) writeFile("ny.yz", std::string(1, '\0'));
        readOnly = c.readOnly;
        beforeStart = [&, this] {
            host().userDir = c.noUserFolder ? "" : userDir();
            if (c.readOnly) host().files.readOnlyDirs = {dir()};
            if (c.userReadOnly) host().files.readOnlyDirs.push_back(dir() + "/LocalAppData");
            if (c.diskNotReady) host().files.faults.failWrites = "设备未就绪。";
        };
        start(At(2026, 3, 7, 9, 30, 0));

        ASSERT_FALSE(host().boxes.empty());
        EXPECT_EQ(host().boxes[0].text.rfind("无法使用单实例锁文件 " + dir() + "\\ny.yz：", 0), 0u)
            << host().boxes[0].text;
        EXPECT_FALSE(fs::exists(inUser("ny.yz")));
        EXPECT_FALSE(fs::exists(inUser("ny.edb")));
        if (c.storeThere) {
            ASSERT_EQ(rows(), 1);
            EXPECT_EQ(row(0)[2], "原来的");
            // A change is refused with the program folder's store named.
            const size_t before = host().boxes.size();
            add("2026-03-07 11:00:00", "新的");
            ASSERT_EQ(host().boxes.size(), before + 1);
            EXPECT_NE(host().boxes.back().text.find(dir() + "\\ny.edb"), std::string::npos)
                << host().boxes.back().text;
            EXPECT_EQ(rows(), 1);
        }
    }
}

}  // namespace
}  // namespace ny::testing
