#include "alarms/storeui.h"

#include <cstdio>
#include <functional>
#include <vector>

#include "alarms/editing.h"
#include "alarms/repeat.h"
#include "host/alarmlist.h"
#include "host/uitexts.h"

namespace ny {
namespace {

constexpr const char* kKeptAsIs = "。文件保持原样，这次不显示已保存的闹钟。";

std::string Damaged(const StoreResult& r) {
    return "闹钟数据文件 " + r.file + " 已损坏或不是本程序的文件（" + r.reason + "）。";
}

std::string TextOf(const StoreResult& r) {
    switch (r.status) {
        case StoreStatus::Unreadable:
            return "无法读取闹钟数据文件 " + r.file + "：" + r.reason + "。这次的更改没有保存。";
        case StoreStatus::Damaged:
            return "闹钟数据文件 " + r.file + " 已损坏或不是本程序的文件（" + r.reason +
                   "），这次的更改没有保存。";
        case StoreStatus::WriteFailed:
            return "无法保存闹钟数据文件 " + r.file + "：" + r.reason + "。这次的更改没有保存。";
        case StoreStatus::CreateFailed:
            return "无法创建闹钟数据文件 " + r.file + "：" + r.reason + "。";
        case StoreStatus::ProbeFailed:
            return "无法确定闹钟数据文件 " + r.file + " 是否存在：" + r.reason + kKeptAsIs;
        case StoreStatus::LoadUnreadable:
            // The alarm check tries again every minute and rings what fell
            // due as soon as it can read the file.
            return "无法读取闹钟数据文件 " + r.file + "：" + r.reason +
                   "。文件保持原样；在能读取它之前，已保存的闹钟不显示，可能会错过闹钟。";
        case StoreStatus::SetAside:
            return Damaged(r) + "原文件已改名保存为 " + r.aside + "，并已新建一个空的闹钟数据文件。";
        case StoreStatus::SetAsideCreateFailed:
            return Damaged(r) + "原文件已改名保存为 " + r.aside + "，但无法新建闹钟数据文件：" +
                   r.detail + "。";
        case StoreStatus::SetAsideFailed:
            return Damaged(r) + "无法把它改名为 " + r.aside + "：" + r.detail + kKeptAsIs;
        case StoreStatus::TempAdopted:
            return "闹钟数据文件不见了，上次保存时留下的临时文件 " + r.file +
                   " 完整无损，已用它恢复闹钟数据。";
        case StoreStatus::TempAdoptFailed:
            return "闹钟数据文件不见了，上次保存时留下的临时文件 " + r.file +
                   " 完整无损，但无法把它改名为闹钟数据文件：" + r.detail + kKeptAsIs;
        case StoreStatus::RecreateFailed:
            return "闹钟数据文件 " + r.file + " 已被删除，无法按列表重新建立它：" + r.reason +
                   "。这次的更改没有保存。";
        case StoreStatus::ChangedOutside:
        case StoreStatus::Ok:
        case StoreStatus::NoRecord:
        case StoreStatus::Created:
            return "";
    }
    return "";
}

std::string Stamp(const LocalTime& t) {
    char s[32];
    std::snprintf(s, sizeof s, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second);
    return s;
}

}  // namespace

// The alarms the list shows, in row order.
std::vector<AlarmRecord> ListedAlarms(Host& host) {
    const Ctl list = Ctl::超级列表框1;
    std::vector<AlarmRecord> out;
    for (int r = 0, n = host.listRowCount(list); r < n; ++r) {
        AlarmRecord a;
        const std::string cell = host.listCell(list, r, col::kMinute);
        // The cell may show the repeat after the minute.
        const Repeat rule = RepeatOfCell(cell);
        a.闹钟时间 = rule == Repeat::Once ? cell : MinuteOf(cell);
        a.周数 = std::string(RepeatCode(rule));
        a.铃声文件 = host.listCell(list, r, col::kTone);
        a.闹钟提示信息 = host.listCell(list, r, col::kPrompt);
        a.是否已响铃 = host.listCell(list, r, col::kState);
        out.push_back(std::move(a));
    }
    return out;
}

AlarmStore StoreOf(App& app) {
    Host& host = app.host;
    // Only a list that shows the store may make it again.
    std::function<std::vector<AlarmRecord>()> listed;
    if (app.alarmListLoaded) listed = [&host] { return ListedAlarms(host); };
    return AlarmStore(host, host.dataDir(), &app.storeSeen, std::move(listed));
}

namespace {

// One sentence, then the list shows what the file now holds.
void TellChangedOutside(App& app, const StoreResult& r) {
    app.alarmListLoaded = false;
    AlarmListReady(app);
    std::string text = "闹钟数据文件 " + r.file + " 已被其他程序改动，列表已按文件重新显示";
    if (r.ok())
        text += "，新闹钟已加在其后。";
    else if (r.status == StoreStatus::ChangedOutside)
        text += "，这次的更改没有保存。";
    else
        text += "。" + TextOf(r);
    app.host.messageBox(text, kMbExclamation);
}

}  // namespace

bool TellStoreResult(App& app, const StoreResult& r) {
    Host& host = app.host;
    if (r.recreated)
        host.messageBox("闹钟数据文件 " + r.file + " 已被删除，已按列表中的闹钟重新建立。",
                        kMbExclamation);
    if (r.ok()) app.storeOutageTold = false;
    if (r.changedOutside) {
        TellChangedOutside(app, r);
        return false;  // the list already shows the change, if it was made
    }
    if (const std::string text = TextOf(r); !text.empty()) host.messageBox(text, kMbExclamation);
    return r.ok();
}

bool TellStoreOutage(App& app, const StoreResult& r) {
    if (r.ok() || r.status == StoreStatus::NoRecord) return false;
    if (r.changedOutside) {
        TellChangedOutside(app, r);
        return true;
    }
    if (app.storeOutageTold) return true;
    app.storeOutageTold = true;
    app.host.messageBox("闹钟数据文件 " + r.file + " 现在无法读写（" + r.reason +
                            "）。在它恢复之前，闹钟照列表响铃，但响过的闹钟记不下来，"
                            "可能会错过闹钟。",
                        kMbExclamation);
    return true;
}

void AppendAlarmRow(Host& host, const AlarmRecord& a) {
    const Ctl list = Ctl::超级列表框1;
    const int row = host.listAppendRow(list);
    host.listSetCell(list, row, col::kMinute, MinuteCellText(a.闹钟时间, RepeatOfCode(a.周数)));
    host.listSetCell(list, row, col::kTone, a.铃声文件);
    host.listSetCell(list, row, col::kPrompt, a.闹钟提示信息);
    host.listSetCell(list, row, col::kState, a.是否已响铃);
}

void LoadAlarmList(App& app, bool tell) {
    Host& host = app.host;
    const StoreLoad load = StoreOf(app).loadOrCreate(Stamp(host.now()));
    if (load.loaded) {
        for (const AlarmRecord& a : load.records) AppendAlarmRow(host, a);
    }
    app.alarmListLoaded = load.loaded;
    if (load.loaded) app.storeOutageTold = false;
    // Not read at start-up: the quiet retries of the alarm check say nothing
    // until it can be read again.
    else if (tell && !load.notes.empty()) app.storeOutageTold = true;
    // A quiet retry still tells what it did to the files (a damaged store
    // kept aside, a temporary file adopted); a failing one stays quiet.
    if (tell || load.loaded)
        for (const StoreResult& n : load.notes) TellStoreResult(app, n);
}

bool AlarmListReady(App& app, bool tell) {
    if (app.alarmListLoaded) return true;
    app.host.listDeleteAll(Ctl::超级列表框1);
    // The rows are numbered anew: an edit in progress would replace another.
    if (app.editingRow >= 0) SetEditingRow(app, -1);
    LoadAlarmList(app, tell);
    return app.alarmListLoaded;
}

}  // namespace ny
