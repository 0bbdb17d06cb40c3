// Deleting one alarm through the list's menu and clearing the whole list:
// the list and the store must stay row for record in step.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "program_fixture.h"

namespace ny::testing {
namespace {

using Row = std::vector<std::string>;

class ListEdit : public ProgramTest {
protected:
    // Three alarms whose times are not in list order, so that which record a
    // ring marks tells the rows apart.
    void startWithThree() {
        std::filesystem::remove(path("ny.edb"));
        start(At(2026, 12, 8, 6, 0, 0));
        add("2026-12-08 09:00:00", "一");
        add("2026-12-08 07:00:00", "二");
        add("2026-12-08 08:00:00", "三");
        ASSERT_EQ(rows(), 3);
    }
    std::vector<Row> allRows() {
        std::vector<Row> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r));
        return out;
    }
    // Prompt and rung state of every row.
    std::vector<Row> summary() {
        std::vector<Row> out;
        for (int r = 0; r < rows(); ++r) out.push_back({row(r)[2], row(r)[3]});
        return out;
    }
    void deleteRow(int r) {
        host().selectRow(Ctl::超级列表框1, r);
        host().raise(Ev::RightClick, Ctl::超级列表框1);
        click(Ctl::删除);
    }
};

TEST_F(ListEdit, RightClickPopsUpTheListMenuOnly) {
    startWithThree();
    host().selectRow(Ctl::超级列表框1, 1);
    host().raise(Ev::RightClick, Ctl::超级列表框1);
    EXPECT_EQ(host().popups, std::vector<Ctl>{Ctl::指定时间列表框右键菜单});
    EXPECT_EQ(rows(), 3);
    EXPECT_EQ(host().listSelectedRow(Ctl::超级列表框1), 1);
    EXPECT_TRUE(host().boxes.empty());
}

// After a delete, the next ring marks the record of the row that rang: the
// store closed its gap exactly as the list did.
TEST_F(ListEdit, DeleteRemovesTheSelectedRowAndItsRecord) {
    struct Case {
        int deleted;
        LocalTime ringUntil;  // lets exactly one of the remaining alarms ring
        std::vector<Row> after;
    } cases[] = {
        {0, At(2026, 12, 8, 7, 0, 5), {{"二", "已响"}, {"三", "未响"}}},
        {1, At(2026, 12, 8, 8, 0, 5), {{"一", "未响"}, {"三", "已响"}}},
        {2, At(2026, 12, 8, 7, 0, 5), {{"一", "未响"}, {"二", "已响"}}},
    };
    for (const Case& c : cases) {
        const std::string what = "deleting row " + std::to_string(c.deleted);
        startWithThree();
        deleteRow(c.deleted);
        ASSERT_EQ(rows(), 2) << what;
        EXPECT_EQ(host().listSelectedRow(Ctl::超级列表框1), -1) << what;

        const std::vector<Row> listed = allRows();
        restart();
        EXPECT_EQ(allRows(), listed) << what << ": store and list differ";

        host().advanceTo(c.ringUntil);
        ASSERT_EQ(host().boxes.size(), 1u) << what;
        EXPECT_EQ(summary(), c.after) << what;
        restart();
        EXPECT_EQ(summary(), c.after) << what << ", after a restart";
    }
}

// The keyboard's way to the same: Delete is 删除 on the selected row, and the
// context-menu key (Shift+F10 too) opens the menu at that row.
TEST_F(ListEdit, DeleteKeyAndMenuKeyWorkOnTheSelectedRow) {
    startWithThree();
    const auto key = [&](Key k) { host().raise(Ev::KeyDown, Ctl::超级列表框1, static_cast<int>(k)); };
    host().selectRow(Ctl::超级列表框1, 1);
    key(Key::ContextMenu);
    EXPECT_EQ(host().popups, std::vector<Ctl>{Ctl::指定时间列表框右键菜单});
    EXPECT_EQ(host().popupRows, std::vector<int>{1});
    EXPECT_EQ(rows(), 3);
    key(Key::Delete);
    EXPECT_EQ(summary(), (std::vector<Row>{{"一", "未响"}, {"三", "未响"}}));
    restart();
    EXPECT_EQ(summary(), (std::vector<Row>{{"一", "未响"}, {"三", "未响"}}));
    // Nothing selected: Delete deletes nothing, the menu opens at no row.
    const std::string store = readFile("ny.edb");
    key(Key::Delete);
    key(Key::ContextMenu);
    EXPECT_EQ(rows(), 2);
    EXPECT_EQ(readFile("ny.edb"), store);
    EXPECT_EQ(host().popupRows, std::vector<int>{-1});
    // Other keys in the list do nothing.
    host().selectRow(Ctl::超级列表框1, 0);
    key(Key::Enter);
    key(Key::Backspace);
    EXPECT_EQ(rows(), 2);
}

TEST_F(ListEdit, DeletingEveryRowOneByOneLeavesAnEmptyStore) {
    for (int first : {0, 2}) {
        startWithThree();
        for (int left = 3; left > 0; --left) deleteRow(first == 0 ? 0 : left - 1);
        EXPECT_EQ(rows(), 0);
        restart();
        EXPECT_EQ(rows(), 0) << "deleting from row " << first;
        EXPECT_TRUE(std::filesystem::exists(path("ny.edb")));
        // The emptied store takes new alarms as record 1 onwards.
        add("2026-12-08 10:00:00", "新");
        restart();
        EXPECT_EQ(summary(), (std::vector<Row>{{"新", "未响"}}));
    }
}

TEST_F(ListEdit, DeleteWithoutASelectionDeletesNothing) {
    startWithThree();
    const std::vector<Row> before = allRows();
    const std::string store = readFile("ny.edb");
    host().raise(Ev::RightClick, Ctl::超级列表框1);
    click(Ctl::删除);
    EXPECT_EQ(allRows(), before);
    EXPECT_EQ(readFile("ny.edb"), store);
    EXPECT_TRUE(host().boxes.empty());
    restart();
    EXPECT_EQ(allRows(), before);
}

TEST_F(ListEdit, ClearAsksFirstAndEmptiesListAndStoreOnlyOnOk) {
    struct Case {
        bool withAlarms;
        int button;  // 0 OK, 1 Cancel
    } cases[] = {{true, 0}, {true, 1}, {false, 0}, {false, 1}};
    for (const Case& c : cases) {
        const std::string what =
            std::string(c.withAlarms ? "three alarms, " : "no alarms, ") + (c.button ? "Cancel" : "OK");
        if (c.withAlarms) {
            startWithThree();
        } else {
            std::filesystem::remove(path("ny.edb"));
            start(At(2026, 12, 8, 6, 0, 0));
        }
        const std::vector<Row> before = allRows();
        const std::string store = readFile("ny.edb");

        host().boxAnswers.push_back({c.button, 0, {}});
        click(Ctl::清空列表);
        ASSERT_EQ(host().boxes.size(), 1u) << what;
        EXPECT_EQ(host().boxes[0].text, "确定清空全部闹钟数据吗？") << what;
        EXPECT_EQ(host().boxes[0].kind, BoxKind::OkCancel) << what;
        EXPECT_EQ(host().boxes[0].caption, std::optional<std::string>("提示")) << what;
        EXPECT_FALSE(host().boxes[0].urgent) << what;

        if (c.button == 0) {
            EXPECT_EQ(rows(), 0) << what;
        } else {
            EXPECT_EQ(allRows(), before) << what;
            EXPECT_EQ(readFile("ny.edb"), store) << what << ": cancel changed the store";
        }
        restart();
        EXPECT_TRUE(std::filesystem::exists(path("ny.edb"))) << what;
        EXPECT_EQ(allRows(), c.button == 0 ? std::vector<Row>{} : before) << what;
    }
}

TEST_F(ListEdit, AlarmsAddedAfterAClearRingAndAreMarkedInTheirOwnRecord) {
    startWithThree();
    click(Ctl::清空列表);
    ASSERT_EQ(rows(), 0);
    add("2026-12-08 06:30:00", "甲");
    add("2026-12-08 06:20:00", "乙");
    host().advanceTo(At(2026, 12, 8, 6, 20, 5));
    EXPECT_EQ(boxTexts(), (std::vector<std::string>{"确定清空全部闹钟数据吗？", "乙"}));
    restart();
    EXPECT_EQ(summary(), (std::vector<Row>{{"甲", "未响"}, {"乙", "已响"}}));
    // None of the cleared alarms comes back at its time.
    host().advanceTo(At(2026, 12, 8, 9, 30, 0));
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"甲"});
}

}  // namespace
}  // namespace ny::testing
