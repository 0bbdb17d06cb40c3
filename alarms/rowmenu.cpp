#include "alarms/rowmenu.h"

#include <algorithm>

#include "alarms/editing.h"
#include "alarms/storeui.h"

namespace ny {

namespace {

constexpr Ctl kList = Ctl::超级列表框1;
// The entry field holds a full time; an alarm keeps only its minute.
constexpr std::string_view kWholeMinute = ":00";

struct RepeatItem {
    Ctl item;
    Repeat rule;
};
constexpr RepeatItem kRepeatItems[] = {
    {Ctl::重复_不重复, Repeat::Once},
    {Ctl::重复_每天, Repeat::Daily},
    {Ctl::重复_工作日, Repeat::Weekdays},
    {Ctl::重复_每周, Repeat::Weekly},
};

}  // namespace

namespace {

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
}

void OnRepeatChosen(App& app, Repeat rule) {
    const Alarm* a = SelectedAlarm(app);
    if (!a) return;
    Alarm c = *a;
    c.setRepeat(rule);
    AlarmChange change;
    change.changed.push_back(std::move(c));
    ChangeAlarms(app, change);
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
    // Not saved: still editing, the user may try again (a book filled again
    // from a file another program changed has ended the edit if the alarm
    // is not in it).
    if (!ChangeAlarms(app, change).done) return true;
    // Set anew by the user: a ring it could not record no longer applies.
    std::erase(app.rungUnmarked, id);
    SetEditingAlarm(app, 0);
    return true;
}

}  // namespace ny
