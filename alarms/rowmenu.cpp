#include "alarms/rowmenu.h"

#include "alarms/editing.h"
#include "alarms/storeui.h"
#include "host/alarmlist.h"
#include "host/uitexts.h"

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

void PrepareListMenu(App& app) {
    Host& host = app.host;
    const int r = host.listSelectedRow(kList);
    const Repeat rule = r >= 0 ? RepeatOfCell(host.listCell(kList, r, col::kMinute)) : Repeat::Once;
    for (const RepeatItem& i : kRepeatItems) host.setMenuChecked(i.item, r >= 0 && i.rule == rule);
    host.setVisible(Ctl::取消修改, app.editingRow >= 0);
}

void OnRepeatChosen(App& app, Repeat rule) {
    Host& host = app.host;
    const int r = host.listSelectedRow(kList);
    if (r < 0) return;
    AlarmChange c;
    c.row = r;
    c.周数 = std::string(RepeatCode(rule));
    if (!TellStoreResult(app, StoreOf(app).change({c}))) return;
    const std::string minute = MinuteOf(host.listCell(kList, r, col::kMinute));
    host.listSetCell(kList, r, col::kMinute, MinuteCellText(minute, rule));
}

void OnEditChosen(App& app) {
    Host& host = app.host;
    const int r = host.listSelectedRow(kList);
    if (r < 0) return;
    host.setText(Ctl::编辑框1, MinuteOf(host.listCell(kList, r, col::kMinute)) + std::string(kWholeMinute));
    host.setText(Ctl::铃声路径, host.listCell(kList, r, col::kTone));
    host.setText(Ctl::闹钟提示信息输入, host.listCell(kList, r, col::kPrompt));
    SetEditingRow(app, r);
}

void OnCancelEditChosen(App& app) { SetEditingRow(app, -1); }

bool SaveEditedRow(App& app, const AlarmRecord& rec) {
    Host& host = app.host;
    const int r = app.editingRow;
    if (r < 0) return false;
    if (r >= host.listRowCount(kList)) {  // gone meanwhile: this press adds
        SetEditingRow(app, -1);
        return false;
    }
    AlarmChange c;
    c.row = r;
    c.闹钟时间 = rec.闹钟时间;
    c.铃声文件 = rec.铃声文件;
    c.闹钟提示信息 = rec.闹钟提示信息;
    c.是否已响铃 = std::string(txt::kNotRung);
    const StoreResult done = StoreOf(app).change({c});
    if (done.status == StoreStatus::NoRecord) {  // the file lost the row: add instead
        SetEditingRow(app, -1);
        return false;
    }
    // Not saved: still editing, the user may try again (a list filled again
    // from a file another program changed has ended the edit).
    if (!TellStoreResult(app, done)) return true;
    const Repeat rule = RepeatOfCell(host.listCell(kList, r, col::kMinute));
    host.listSetCell(kList, r, col::kMinute, MinuteCellText(rec.闹钟时间, rule));
    host.listSetCell(kList, r, col::kTone, rec.铃声文件);
    host.listSetCell(kList, r, col::kPrompt, rec.闹钟提示信息);
    host.listSetCell(kList, r, col::kState, txt::kNotRung);
    SetEditingRow(app, -1);
    return true;
}

void OnAlarmRowDeleted(App& app, int r) {
    if (app.editingRow == r) SetEditingRow(app, -1);
    else if (app.editingRow > r) --app.editingRow;
}

void OnAlarmListCleared(App& app) {
    if (app.editingRow >= 0) SetEditingRow(app, -1);
}

}  // namespace ny
