// The alarm book: ids that stay, the index by minute, the record texts an
// alarm comes from and goes back to, and the list as a view of the book.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "alarms/storeui.h"
#include "app/alarmbook.h"
#include "program_fixture.h"
#include "store/alarm.h"

namespace ny::testing {
namespace {

Minute M(const char* text) { return *MinuteOfText(text); }

Alarm A(const char* minute, const char* prompt, RingState s = RingState::NotRung) {
    return MakeAlarm(minute, prompt, "t.mp3", s);
}

std::vector<std::string> Prompts(const AlarmBook& b, const std::vector<AlarmId>& ids) {
    std::vector<std::string> out;
    for (AlarmId id : ids) out.push_back(b.find(id)->prompt);
    return out;
}

TEST(AlarmBook, TheIndexFindsExactlyTheAlarmsOfAMinuteRange) {
    AlarmBook b;
    b.append(A("2026-12-10 09:02", "丙"));
    b.append(A("2026-12-10 09:00", "甲"));
    b.append(A("2026-12-10 09:01", "乙", RingState::Rung));
    b.append(A("2026-12-10 09:02", "丁"));
    b.append(MakeAlarm("2026-12-10 9:01", "坏"));  // not a minute: never found
    struct Case {
        const char* from;
        const char* to;
        std::vector<std::string> prompts;
    } cases[] = {
        {"2026-12-10 09:00", "2026-12-10 09:00", {"甲"}},
        {"2026-12-10 09:01", "2026-12-10 09:02", {"乙", "丙", "丁"}},
        {"2026-12-10 08:00", "2026-12-10 08:59", {}},
        {"2026-12-10 09:02", "2026-12-10 09:01", {}},
        {"2000-01-01 00:00", "2099-01-01 00:00", {"甲", "乙", "丙", "丁"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Prompts(b, b.inMinutes(M(c.from), M(c.to))), c.prompts) << c.from << " " << c.to;
    EXPECT_EQ(b.earliestPending(M("2026-12-10 09:01"))->prompt, "丙");  // 乙 has rung
    EXPECT_EQ(b.earliestPending(M("2026-12-10 09:03")), nullptr);
    EXPECT_EQ(Prompts(b, b.pendingBefore(M("2026-12-10 09:02"))), std::vector<std::string>{"甲"});
    EXPECT_EQ(Prompts(b, b.pendingBefore(M("2026-12-10 09:03"))), (std::vector<std::string>{"丙", "甲", "丁"}))
        << "in record order";
}

TEST(AlarmBook, IdsStayThroughDeletesChangesAndAReplacedFile) {
    AlarmBook b;
    const AlarmId a = b.append(A("2026-12-10 09:00", "甲"));
    const AlarmId x = b.append(A("2026-12-10 09:01", "乙"));
    const AlarmId c = b.append(A("2026-12-10 09:02", "丙"));
    ASSERT_TRUE(b.remove(x));
    EXPECT_EQ(b.rowOf(c), 1u);
    EXPECT_EQ(b.find(x), nullptr);
    Alarm changed = *b.find(c);
    changed.setState(RingState::Rung);
    ASSERT_TRUE(b.replace(changed));
    EXPECT_EQ(b.earliestPending(M("2026-12-10 09:01")), nullptr) << "the index follows a change";

    // Another program's file: 丙 as held, a new 丁, 甲 changed, and a second
    // 丙 — one of two equal alarms keeps the id, the other is new.
    Alarm c2 = changed;
    b.assign({A("2026-12-10 10:00", "丁"), changed, A("2026-12-10 09:30", "甲"), c2});
    ASSERT_EQ(b.size(), 4u);
    EXPECT_EQ(b.at(1).id, c);
    EXPECT_NE(b.at(3).id, c);
    EXPECT_NE(b.at(2).id, a) << "a changed alarm is another one";
    EXPECT_EQ(b.find(a), nullptr);
    EXPECT_EQ(b.rowOf(c), 1u);
    const AlarmId fresh = b.append(A("2026-12-10 11:00", "戊"));
    for (size_t r = 0; r + 1 < b.size(); ++r) EXPECT_NE(b.at(r).id, fresh) << "ids are never reused";
}

TEST(AlarmRecord, FieldsGoBothWaysAndWhatThisVersionDoesNotKnowIsKept) {
    struct Case {
        std::vector<std::string> fields;
        std::string minute;  // as the alarm holds it ("" = none)
        Repeat repeat;
        RingState state;
    } cases[] = {
        {{"", "", "2026-12-10 07:30", "a.mp3", "起床", "未响"}, "2026-12-10 07:30", Repeat::Once, RingState::NotRung},
        {{"", "D", "2026-12-10 07:30", "a.mp3", "", "已响"}, "2026-12-10 07:30", Repeat::Daily, RingState::Rung},
        {{"", "W", "2026-12-10 07:30", "", "", "未响"}, "2026-12-10 07:30", Repeat::Weekdays, RingState::NotRung},
        {{"", "7", "2026-12-10 07:30", "", "", "未响"}, "2026-12-10 07:30", Repeat::Weekly, RingState::NotRung},
        // from another version or a damaged program: read as safely as can be, written back as they were
        {{"12", "X", "2026-12-10 07:30", "", "", "未响"}, "2026-12-10 07:30", Repeat::Once, RingState::NotRung},
        {{"", "", "2026-2-30 7:30", "", "", "未响"}, "", Repeat::Once, RingState::NotRung},
        {{"", "", "2026-02-30 07:30", "", "", "未响"}, "", Repeat::Once, RingState::NotRung},
        {{"", "", "2026-12-10 07:30", "", "", "响过"}, "2026-12-10 07:30", Repeat::Once, RingState::Rung},
    };
    for (const Case& c : cases) {
        const Alarm a = AlarmOfFields(std::vector<std::string>(c.fields));
        EXPECT_EQ(MinuteText(a.minute), c.minute) << c.fields[2];
        EXPECT_EQ(a.repeat, c.repeat) << c.fields[1];
        EXPECT_EQ(a.state, c.state) << c.fields[5];
        std::vector<std::string> back;
        AlarmToFields(a, back);
        EXPECT_EQ(back, c.fields);
    }
    // The alarm's own change replaces its stored text.
    Alarm odd = AlarmOfFields({"", "X", "2026-12-10 07:30", "", "", "响过"});
    odd.setRepeat(Repeat::Daily);
    odd.setState(RingState::NotRung);
    std::vector<std::string> back;
    AlarmToFields(odd, back);
    EXPECT_EQ(back, (std::vector<std::string>{"", "D", "2026-12-10 07:30", "", "", "未响"}));
}

// After every kind of change the list shows exactly what the book holds.
class BookView : public ProgramTest {
protected:
    void expectViewIsBook(const char* after) {
        ASSERT_EQ(rows(), int(app().book.size())) << after;
        for (size_t r = 0; r < app().book.size(); ++r) {
            const Alarm& a = app().book.at(r);
            const std::string minute = MinuteText(a.minute);
            EXPECT_EQ(row(int(r))[0].substr(0, minute.size()), minute) << after << " row " << r;
            EXPECT_EQ(row(int(r))[1], a.tone) << after;
            EXPECT_EQ(row(int(r))[2], a.prompt) << after;
            EXPECT_EQ(row(int(r))[3], std::string(RingStateCode(a.state))) << after;
        }
    }
};

TEST_F(BookView, TheListShowsTheBookAfterEveryKindOfChange) {
    start(At(2026, 12, 10, 9, 0, 0));
    expectViewIsBook("start");
    add("2026-12-10 09:01:00", "甲");
    add("2026-12-10 09:30:00", "乙");
    add("2026-12-10 10:00:00", "丙");
    expectViewIsBook("add");
    host().advanceTo(At(2026, 12, 10, 9, 1, 30));
    expectViewIsBook("ring");
    EXPECT_EQ(row(0)[3], "已响");
    host().selectRow(Ctl::超级列表框1, 1);
    host().raise(Ev::RightClick, Ctl::超级列表框1);
    click(Ctl::重复_每天);
    expectViewIsBook("repeat");
    EXPECT_EQ(row(1)[0], "2026-12-10 09:30  每天");
    click(Ctl::修改);
    add("2026-12-10 09:45:00", "乙改");
    expectViewIsBook("edit");
    host().selectRow(Ctl::超级列表框1, 0);
    click(Ctl::删除);
    expectViewIsBook("delete");
    EXPECT_EQ(host().listSelectedRow(Ctl::超级列表框1), -1) << "nothing selected after a delete";
    writeStore({MakeAlarm("2026-12-10 11:00", "外", path("alarm.mp3"))});
    add("2026-12-10 12:00:00", "丁");
    expectViewIsBook("a file another program replaced");
    EXPECT_EQ(rows(), 2);
    click(Ctl::清空列表);
    expectViewIsBook("clear");
    EXPECT_EQ(rows(), 0);
}

}  // namespace
}  // namespace ny::testing
