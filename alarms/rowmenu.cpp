#include "alarms/rowmenu.h"

#include <algorithm>

#include "alarms/editing.h"
#include "alarms/storeui.h"

namespace ny {

namespace {

constexpr Ctl kList = Ctl::超级列表框1;
// The entry field holds a full time; an alarm keeps only its minute.
constexpr std::string_view kWholeMinute = ":00";
// The on/off item's captions.
constexpr std::string_view kSwitchOff = "停用";
constexpr std::string_view kSwitchOn = "启用";

struct RepeatItem {
    Ctl item;
    Repeat rule;
};
constexpr RepeatItem kRepeatItems[] = {
    {Ctl::重复_不重复, Repeat::Once},
    {Ctl::重复_每天, Repeat::Daily},
    {Ctl::重复_工作日, Repeat::Weekdays},
    {Ctl::重复_每周, Repeat::Weekly},
    {Ctl::重复_自定义, Repeat::Custom},
};

void Change(App& app, Alarm a) {
    AlarmChange change;
    change.changed.push_back(std::move(a));
    ChangeAlarms(app, change);
}

// The first occurrence of a repeating alarm from now on: its own minute when
// that is still ahead, else the next after the current minute.
std::optional<Minute> ComingOccurrence(const Alarm& a, Minute now) {
    if (a.minute != kNoMinute && a.minute > now) return a.minute;
    return NextOccurrence(a, now);
}

// The alarm of the selected row; nullptr when none is selected.
const Alarm* SelectedAlarm(App& app) {
    const int r = app.host.listSelectedRow(kList);
    if (r < 0 || size_t(r) >= app.book.size()) return nullptr;
    return &app.book.at(size_t(r));
}

}  // namespace

void PrepareListMenu(App& app) {
    Host& host = app.host;
    const Alarm* a = SelectedAlarm(app);
    for (const RepeatItem& i : kRepeatItems) host.setMenuChecked(i.item, a && i.rule == a->repeat);
    host.setVisible(Ctl::取消修改, app.editingId != 0);
    // Items keep their places (the keyboard counts on them): they change
    // their caption or grey out instead of coming and going.
    host.setText(Ctl::停用, a && !a->on() ? kSwitchOn : kSwitchOff);
    host.setEnabled(Ctl::停用, a != nullptr);
    host.setEnabled(Ctl::跳过下一次, a && a->on() && a->repeat != Repeat::Once);
}

void OnRepeatChosen(App& app, Repeat rule) {
    const Alarm* a = SelectedAlarm(app);
    if (!a) return;
    Weekdays days = 0;
    if (rule == Repeat::Custom) {
        // The days it has, or its own weekday for a start.
        const Weekdays current = a->repeat == Repeat::Custom ? a->days
                                 : a->minute != kNoMinute    ? WeekdayBit(StartOfMinute(a->minute))
                                                             : Weekdays(0);
        const std::optional<uint8_t> chosen = app.host.weekdayDialog(current);
        a = SelectedAlarm(app);  // the dialog let the list change
        if (!chosen || !a) return;
        days = *chosen & kAllWeekdays;
    }
    Alarm c = *a;
    c.setRepeat(rule, days);
    // A rule set on an alarm that has rung makes it come again.
    if (c.state == RingState::Rung && c.repeat != Repeat::Once) {
        if (auto next = ComingOccurrence(c, MinuteAt(app.host.now()))) {
            c.setMinute(*next);
            c.setState(RingState::NotRung);
        }
    }
    Change(app, std::move(c));
}

void SwitchAlarm(App& app, AlarmId id, bool on) {
    const Alarm* a = app.book.find(id);
    if (!a || a->on() == on) return;
    Alarm c = *a;
    if (!on) {
        c.setState(RingState::Off);
        Change(app, std::move(c));
        return;
    }
    const Minute now = MinuteAt(app.host.now());
    if (c.repeat != Repeat::Once) {
        if (auto next = ComingOccurrence(c, now)) c.setMinute(*next);
    } else if (c.minute == kNoMinute || c.minute <= now) {
        // A one-time alarm whose time has passed needs a new time first.
        app.host.messageBox("这个闹钟的时间已经过了，请改好时间后按“保存”。", BoxKind::Exclamation);
        if (const std::optional<size_t> r = app.book.rowOf(id)) {
            app.host.listSelectRow(kList, int(*r));
            OnEditChosen(app);
        }
        return;
    }
    c.setState(RingState::NotRung);
    Change(app, std::move(c));
}

void OnSwitchChosen(App& app) {
    if (const Alarm* a = SelectedAlarm(app)) SwitchAlarm(app, a->id, !a->on());
}

void OnRowCheckClicked(App& app, int row) {
    if (row < 0 || size_t(row) >= app.book.size()) return;
    const Alarm& a = app.book.at(size_t(row));
    SwitchAlarm(app, a.id, !a.on());
}

void OnSkipNextChosen(App& app) {
    const Alarm* a = SelectedAlarm(app);
    if (!a || !a->on() || a->repeat == Repeat::Once) return;
    // Its next occurrence is passed over: the one after it comes instead.
    const Minute now = MinuteAt(app.host.now());
    const std::optional<Minute> coming = ComingOccurrence(*a, now);
    if (!coming) return;
    const std::optional<Minute> after = NextOccurrence(*a, *coming);
    if (!after) return;
    Alarm c = *a;
    c.setMinute(*after);
    c.setState(RingState::NotRung);
    Change(app, std::move(c));
}

void OnDeleteRungChosen(App& app) {
    std::vector<AlarmId> rung;
    for (const Alarm& a : app.book.all())
        if (a.state == RingState::Rung && a.repeat == Repeat::Once) rung.push_back(a.id);
    if (rung.empty()) {
        app.host.messageBox("没有已响的闹钟。", BoxKind::Ok);
        return;
    }
    const std::string question = "确定删除 " + std::to_string(rung.size()) + " 个已响的闹钟吗？";
    if (app.host.messageBox(question, BoxKind::YesNoDefaultNo, "提示") != BoxAnswer::Yes) return;
    AlarmChange change;
    change.removed = std::move(rung);  // those deleted meanwhile are passed over
    if (ChangeAlarms(app, change).done) app.host.listSelectRow(kList, -1);
}

void OnEditChosen(App& app) {
    Host& host = app.host;
    const Alarm* a = SelectedAlarm(app);
    if (!a) return;
    host.setText(Ctl::编辑框1, AlarmTimeText(*a) + std::string(kWholeMinute));
    host.setText(Ctl::铃声路径, a->tone);
    host.setText(Ctl::闹钟提示信息输入, a->prompt);
    SetEditingAlarm(app, a->id);
}

void OnCancelEditChosen(App& app) { SetEditingAlarm(app, 0); }

bool SaveEditedAlarm(App& app, const Alarm& entered) {
    const AlarmId id = app.editingId;
    if (id == 0) return false;
    const Alarm* a = app.book.find(id);
    if (!a) {  // gone meanwhile: this press adds
        SetEditingAlarm(app, 0);
        return false;
    }
    Alarm c = *a;
    c.setMinute(entered.minute);
    c.tone = entered.tone;
    c.prompt = entered.prompt;
    c.setState(RingState::NotRung);
    AlarmChange change;
    change.changed.push_back(std::move(c));
    change.edits = id;
    change.setAnew = {id};
    // Not saved: still editing, the user may try again (a book filled again
    // from a file another program changed has ended the edit if the alarm
    // is not in it).
    if (!ChangeAlarms(app, change).done) return true;
    SetEditingAlarm(app, 0);
    return true;
}

}  // namespace ny
