// Editing an alarm through the list menu: 修改, 保存, 取消修改.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "host/layout.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {

class EditRow : public ProgramTest {
protected:
    static constexpr Ctl kList = Ctl::超级列表框1;
    void SetUp() override {
        writeFile("b.mp3", "ID3 tone b");
        start(At(2026, 12, 10, 6, 0, 0));
        add("2026-12-11 07:00:00", "一");
        add("2026-12-11 08:00:00", "二");
        add("2026-12-11 09:00:00", "三");
    }
    void menu(int r, Ctl item) {
        host().selectRow(kList, r);
        host().raise(Ev::RightClick, kList);
        click(item);
    }
    std::vector<std::vector<std::string>> all() {
        std::vector<std::vector<std::string>> out;
        for (int r = 0; r < rows(); ++r) out.push_back(row(r));
        return out;
    }
    std::string tone() { return path("alarm.mp3"); }
};

TEST_F(EditRow, EditFillsTheFieldsAndSaveReplacesTheRowInPlace) {
    const std::string before = readFile("ny.edb");
    menu(1, Ctl::修改);
    EXPECT_EQ(host().text(Ctl::编辑框1), "2026-12-11 08:00:00");
    EXPECT_EQ(host().text(Ctl::铃声路径), tone());
    EXPECT_EQ(host().text(Ctl::闹钟提示信息输入), "二");
    EXPECT_EQ(host().text(Ctl::添加), "保存");
    EXPECT_EQ(readFile("ny.edb"), before) << "nothing written until 保存";
    host().raise(Ev::RightClick, kList);
    EXPECT_TRUE(host().visible(Ctl::取消修改));

    host().setText(Ctl::编辑框1, "2026-12-12 06:45:00");
    host().setText(Ctl::铃声路径, path("b.mp3"));
    host().setText(Ctl::闹钟提示信息输入, "二改");
    click(Ctl::添加);
    const std::vector<std::vector<std::string>> expected = {
        {"2026-12-11 07:00", tone(), "一", "未响"},
        {"2026-12-12 06:45", path("b.mp3"), "二改", "未响"},
        {"2026-12-11 09:00", tone(), "三", "未响"},
    };
    EXPECT_EQ(all(), expected);
    EXPECT_EQ(host().text(Ctl::添加), "添加");
    host().raise(Ev::RightClick, kList);
    EXPECT_FALSE(host().visible(Ctl::取消修改));
    EXPECT_EQ(host().wakeAt, At(2026, 12, 11, 7, 0, 0));
    // The next press adds again.
    add("2026-12-13 07:00:00", "四");
    EXPECT_EQ(rows(), 4);
    restart();
    EXPECT_EQ(row(1), expected[1]);
    EXPECT_EQ(rows(), 4);
}

TEST_F(EditRow, SaveKeepsTheRepeatAndMakesARungRowNotRungAgain) {
    menu(0, Ctl::重复_工作日);
    host().advanceTo(At(2026, 12, 11, 8, 0, 30));  // 一 moved on to Monday, 二 rang
    ASSERT_EQ(row(0)[0], "2026-12-14 07:00  工作日");
    ASSERT_EQ(row(1)[3], "已响");
    menu(0, Ctl::修改);
    host().setText(Ctl::编辑框1, "2026-12-14 06:30:00");
    click(Ctl::添加);
    EXPECT_EQ(row(0)[0], "2026-12-14 06:30  工作日");
    menu(1, Ctl::修改);
    host().setText(Ctl::编辑框1, "2026-12-12 08:00:00");
    click(Ctl::添加);
    EXPECT_EQ(row(1), (std::vector<std::string>{"2026-12-12 08:00", tone(), "二", "未响"}));
    restart();
    EXPECT_EQ(row(0)[0], "2026-12-14 06:30  工作日");
    EXPECT_EQ(row(1)[3], "未响");
}

TEST_F(EditRow, SaveValidatesAsAddDoesAndStaysEditing) {
    struct Case {
        const char* entry;
        const char* tone;
        const char* box;
    } cases[] = {
        {"2026-12-10 05:00:00", "x", "你设置的闹钟时间小于当前时间，请重新设置！"},
        {"2026-13-10 05:00:00", "x", "闹钟时间格式不正确，请按“年-月-日 时:分:秒”（如 2026-12-08 07:30:00）重新设置！"},
        {"明天早上", "x", "闹钟时间格式不正确，请按“年-月-日 时:分:秒”（如 2026-12-08 07:30:00）重新设置！"},
        {"2026-12-12 05:00:00", "", "请选择铃声！"},
    };
    const auto rowsBefore = all();
    const std::string before = readFile("ny.edb");
    menu(2, Ctl::修改);
    for (const Case& c : cases) {
        host().setText(Ctl::编辑框1, c.entry);
        host().setText(Ctl::铃声路径, *c.tone ? tone() : "");
        click(Ctl::添加);
        ASSERT_FALSE(host().boxes.empty());
        EXPECT_EQ(host().boxes.back().text, c.box);
        EXPECT_EQ(all(), rowsBefore) << c.entry;
        EXPECT_EQ(readFile("ny.edb"), before) << c.entry;
        EXPECT_EQ(host().text(Ctl::添加), "保存");
    }
}

TEST_F(EditRow, AFailedWriteKeepsTheRowAndTheEdit) {
    menu(0, Ctl::修改);
    host().setText(Ctl::编辑框1, "2026-12-12 07:00:00");
    host().files.faults.failWrites = "磁盘已满。";
    click(Ctl::添加);
    EXPECT_EQ(row(0)[0], "2026-12-11 07:00");
    EXPECT_NE(host().boxes.back().text.find("磁盘已满"), std::string::npos);
    EXPECT_EQ(host().text(Ctl::添加), "保存");
    host().files.faults.failWrites.reset();
    click(Ctl::添加);  // tried again
    EXPECT_EQ(row(0)[0], "2026-12-12 07:00");
    EXPECT_EQ(rows(), 3);
}

TEST_F(EditRow, EditAnotherRowSwitchesAndCancelRestoresAdd) {
    menu(0, Ctl::修改);
    menu(2, Ctl::修改);
    EXPECT_EQ(host().text(Ctl::闹钟提示信息输入), "三");
    host().setText(Ctl::编辑框1, "2026-12-11 10:00:00");
    click(Ctl::添加);
    EXPECT_EQ(row(0)[0], "2026-12-11 07:00");
    EXPECT_EQ(row(2)[0], "2026-12-11 10:00");

    const std::string before = readFile("ny.edb");
    menu(1, Ctl::修改);
    menu(1, Ctl::取消修改);
    EXPECT_EQ(host().text(Ctl::添加), "添加");
    EXPECT_EQ(readFile("ny.edb"), before);
    click(Ctl::添加);  // adds what the fields hold
    EXPECT_EQ(rows(), 4);
    EXPECT_EQ(row(3)[0], "2026-12-11 08:00");
    EXPECT_EQ(row(1)[0], "2026-12-11 08:00");
}

TEST_F(EditRow, TheRowGoneMeanwhile) {
    struct Case {
        const char* what;
        std::function<void()> meanwhile;
        const char* caption;   // of 添加 afterwards
        int rowsAfterPress;
        std::vector<std::string> firstColumn;  // after the press
    } cases[] = {
        {"the edited row deleted",
         [this] { menu(1, Ctl::删除); }, "添加", 3,
         {"2026-12-11 07:00", "2026-12-11 09:00", "2026-12-12 12:00"}},
        {"a row above deleted: the edit follows its row",
         [this] { menu(0, Ctl::删除); }, "保存", 2,
         {"2026-12-12 12:00", "2026-12-11 09:00"}},
        {"a row below deleted",
         [this] { menu(2, Ctl::删除); }, "保存", 2,
         {"2026-12-11 07:00", "2026-12-12 12:00"}},
        {"the list cleared",
         [this] { click(Ctl::清空列表); }, "添加", 1, {"2026-12-12 12:00"}},
    };
    for (const Case& c : cases) {
        start(At(2026, 12, 10, 6, 0, 0));
        click(Ctl::清空列表);
        add("2026-12-11 07:00:00", "一");
        add("2026-12-11 08:00:00", "二");
        add("2026-12-11 09:00:00", "三");
        menu(1, Ctl::修改);
        c.meanwhile();
        EXPECT_EQ(host().text(Ctl::添加), c.caption) << c.what;
        EXPECT_EQ(host().visible(Ctl::取消), std::string(c.caption) == "保存") << c.what;
        host().setText(Ctl::编辑框1, "2026-12-12 12:00:00");
        click(Ctl::添加);
        EXPECT_EQ(host().text(Ctl::添加), "添加") << c.what;
        EXPECT_FALSE(host().visible(Ctl::取消)) << c.what;
        ASSERT_EQ(rows(), c.rowsAfterPress) << c.what;
        std::vector<std::string> first;
        for (int r = 0; r < rows(); ++r) first.push_back(row(r)[0]);
        EXPECT_EQ(first, c.firstColumn) << c.what;
    }
}

// 取消 shows beside 保存 only while a row is edited; it, Esc in the entry
// and 取消修改 give the edit up alike, leaving list, file and fields as they are.
TEST_F(EditRow, CancelButtonEscAndTheMenuGiveUpAlike) {
    EXPECT_FALSE(host().visible(Ctl::取消)) << "not editing";
    const std::string before = readFile("ny.edb");
    const auto rowsBefore = all();
    struct Case {
        const char* what;
        std::function<void()> giveUp;
    } cases[] = {
        {"取消", [this] { click(Ctl::取消); }},
        {"Esc in the entry",
         [this] {
             EXPECT_EQ(host().raise(Ev::KeyDown, Ctl::编辑框1, static_cast<int>(Key::Escape)), Reply::Taken)
                 << "taken: the window must not close";
         }},
        {"取消修改", [this] { menu(1, Ctl::取消修改); }},
    };
    for (const Case& c : cases) {
        menu(1, Ctl::修改);
        EXPECT_TRUE(host().visible(Ctl::取消)) << c.what;
        EXPECT_EQ(host().text(Ctl::取消), "取消") << c.what;
        host().setText(Ctl::编辑框1, "2026-12-13 10:00:00");
        c.giveUp();
        EXPECT_EQ(host().text(Ctl::添加), "添加") << c.what;
        EXPECT_FALSE(host().visible(Ctl::取消)) << c.what;
        EXPECT_EQ(app().editingId, 0u) << c.what;
        EXPECT_EQ(host().text(Ctl::编辑框1), "2026-12-13 10:00:00") << c.what << ": the fields are kept";
        EXPECT_EQ(all(), rowsBefore) << c.what;
        EXPECT_EQ(readFile("ny.edb"), before) << c.what;
        EXPECT_TRUE(host().visible(Ctl::MainWindow)) << c.what;
    }
    // 取消 had the focus and is hidden: the entry has it.
    menu(1, Ctl::修改);
    host().setFocus(Ctl::取消);
    click(Ctl::取消);
    EXPECT_EQ(host().focused(), Ctl::编辑框1);
    // Not editing, Esc in the entry is the window's (it hides to the tray).
    EXPECT_EQ(host().raise(Ev::KeyDown, Ctl::编辑框1, static_cast<int>(Key::Escape)), Reply::None);
    // 添加 adds again.
    click(Ctl::添加);
    EXPECT_EQ(rows(), 4);
}

// 取消 lies in the page's free space: on the alarm page, beside no other
// control, its caption never covered, and below 添加 within 添加's column.
TEST(EditRowDesign, CancelSitsUnder添加WithoutCoveringAnything) {
    const ControlDesign* cancel = FindDesign(Ctl::取消);
    const ControlDesign* add = FindDesign(Ctl::添加);
    ASSERT_TRUE(cancel && add);
    EXPECT_TRUE(cancel->hidden);
    EXPECT_EQ(cancel->kind, Kind::Button);
    EXPECT_EQ(cancel->origin, Ctl::选择夹1);
    EXPECT_EQ(cancel->page, 0);
    EXPECT_EQ(cancel->x, add->x);
    EXPECT_EQ(cancel->w, add->w);
    EXPECT_GT(cancel->y, add->y + add->h);
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.id == Ctl::取消 || d.window != Ctl::MainWindow || d.origin != Ctl::选择夹1 || d.page != 0 ||
            d.hidden || d.kind == Kind::Timer || d.kind == Kind::FileDialog)
            continue;
        const bool apart = cancel->x + cancel->w <= d.x || d.x + d.w <= cancel->x ||
                           cancel->y + cancel->h <= d.y || d.y + d.h <= cancel->y;
        EXPECT_TRUE(apart) << d.name;
    }
}

}  // namespace
}  // namespace ny::testing
