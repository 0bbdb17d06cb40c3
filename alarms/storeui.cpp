#include "alarms/storeui.h"

#include <cstdio>

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
            return "无法读取闹钟数据文件 " + r.file + "：" + r.reason + kKeptAsIs;
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

AlarmStore StoreOf(Host& host) { return AlarmStore(host, host.programDir()); }

bool TellStoreResult(Host& host, const StoreResult& r) {
    if (const std::string text = TextOf(r); !text.empty()) host.messageBox(text, kMbExclamation);
    return r.ok();
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
    const StoreLoad load = StoreOf(host).loadOrCreate(Stamp(host.now()));
    const Ctl list = Ctl::超级列表框1;
    if (load.loaded) {
        for (const AlarmRecord& a : load.records) AppendAlarmRow(host, a);
    }
    app.alarmListLoaded = load.loaded;
    // A quiet retry still tells what it did to the files (a damaged store
    // kept aside, a temporary file adopted); a failing one stays quiet.
    if (tell || load.loaded)
        for (const StoreResult& n : load.notes) TellStoreResult(host, n);
}

bool AlarmListReady(App& app, bool tell) {
    if (app.alarmListLoaded) return true;
    app.host.listDeleteAll(Ctl::超级列表框1);
    LoadAlarmList(app, tell);
    return app.alarmListLoaded;
}

}  // namespace ny
