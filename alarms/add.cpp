#include "alarms/add.h"

#include <string>

#include "host/alarmlist.h"
#include "host/textops.h"
#include "alarms/entrytime.h"
#include "alarms/rowmenu.h"
#include "alarms/storeui.h"

namespace ny {


namespace {

// "YYYY-MM-DD HH:MM:SS" naming a real date and time. Anything else would be
// stored as an alarm that can never ring.
bool IsFullTimeText(std::string_view s) {
    return MatchesPattern(s, "dddd-dd-dd dd:dd:dd") && ParseDateTime(s).has_value();
}

}  // namespace

void OnAddClicked(App& app) {
    Host& host = app.host;
    const std::string ringTone = host.text(Ctl::铃声路径);
    if (ringTone.empty()) {
        host.messageBox("请选择铃声！", BoxKind::Ok);
        return;
    }
    // A time typed alone ("7:30") stands for the next such minute; the entry
    // then shows it whole.
    if (auto whole = EntryTimeText(host.text(Ctl::编辑框1), host.now()))
        host.setText(Ctl::编辑框1, *whole);
    host.setText(Ctl::已设置闹钟时间, host.text(Ctl::编辑框1));
    const std::string entered = host.text(Ctl::已设置闹钟时间);
    if (!IsFullTimeText(entered)) {
        host.messageBox("闹钟时间格式不正确，请按“年-月-日 时:分:秒”（如 2026-12-08 07:30:00）重新设置！",
                        BoxKind::Exclamation);
        return;
    }
    const int64_t now = TimeNumber(host.text(Ctl::短位时间));
    const int64_t alarm = TimeNumber(entered);
    if (!(alarm > now)) {
        host.messageBox("你设置的闹钟时间小于当前时间，请重新设置！", BoxKind::Exclamation);
        return;
    }

    Alarm a;
    a.minute = *MinuteOfText(MinuteOf(entered));
    a.tone = ringTone;
    a.prompt = host.text(Ctl::闹钟提示信息输入);
    if (SaveEditedAlarm(app, a)) return;  // 保存 of an alarm being edited
    // The row comes together with the record: row i is the store's i-th alarm.
    AlarmChange change;
    change.added.push_back(std::move(a));
    ChangeAlarms(app, change);
}

}  // namespace ny
