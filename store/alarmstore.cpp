#include "store/alarmstore.h"

#include <cstdio>
#include <vector>

#include "host/texts.h"
#include "store/recordfile.h"

namespace ny {
namespace {

const std::vector<FieldDef>& AlarmFields() {
    static const std::vector<FieldDef> fields = {
        {"月份", FieldType::Text, 2},
        {"周数", FieldType::Text, 1},
        {"闹钟时间", FieldType::Text, 18},
        {"铃声文件", FieldType::Text, 100},
        {"闹钟提示信息", FieldType::Text, 100},
        {"是否已响铃", FieldType::Text, 4},
    };
    return fields;
}

// The list shows fields 3 to 6 in columns 0 to 3.
constexpr const char* kListedFields[] = {"闹钟时间", "铃声文件", "闹钟提示信息", "是否已响铃"};

void Tell(App& app, const std::string& text) { app.host.messageBox(text, kMbExclamation); }

// Opens the store for one of the changing sequences; tells the user and
// returns false when it cannot be used.
bool OpenForChange(App& app, RecordFile& f, const std::string& path) {
    const OpenResult r = f.open(path, AlarmFields());
    if (r.ok()) return true;
    if (r.damaged())
        Tell(app, "闹钟数据文件 " + path + " 已损坏或不是本程序的文件（" + r.reason +
                      "），这次的更改没有保存。");
    else
        Tell(app, "无法打开闹钟数据文件 " + path + "：" + r.reason);
    return false;
}

bool Saved(App& app, const IoResult& w, const std::string& path) {
    if (!w.ok) Tell(app, "无法保存闹钟数据文件 " + path + "：" + w.reason);
    return w.ok;
}

// "<path>.damaged-YYYYMMDD-HHMMSS", with -2, -3 ... when that name is taken:
// a file kept aside is never overwritten.
std::string AsidePath(Host& host, const std::string& path) {
    const LocalTime t = host.now();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04d%02d%02d-%02d%02d%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    const std::string base = path + ".damaged-" + stamp;
    std::string name = base;
    for (int n = 2; host.fileExists(name); ++n) name = base + "-" + std::to_string(n);
    return name;
}

void ListRecords(App& app, RecordFile& f) {
    const int n = f.count();
    for (int k = 1; k <= n; ++k) {
        const int row = app.host.listAppendRow(Ctl::超级列表框1);
        for (int col = 0; col < 4; ++col)
            app.host.listSetCell(Ctl::超级列表框1, row, col, f.read(kListedFields[col]).value_or(""));
        f.skip();
    }
}

// A damaged or foreign store: keep it aside under a new name and start over
// with an empty one, so the program stays usable and nothing is lost.
void ReplaceDamaged(App& app, const std::string& path, const std::string& why) {
    const std::string head =
        "闹钟数据文件 " + path + " 已损坏或不是本程序的文件（" + why + "）。";
    const std::string aside = AsidePath(app.host, path);
    if (IoResult m = app.host.renameFile(path, aside, false); !m.ok) {
        Tell(app, head + "无法把它改名为 " + aside + "：" + m.reason +
                      "。文件保持原样，这次不显示已保存的闹钟。");
        return;
    }
    RecordFile f(app.host);
    if (IoResult c = f.create(path, AlarmFields()); !c.ok) {
        Tell(app, head + "原文件已改名保存为 " + aside + "，但无法新建闹钟数据文件：" + c.reason);
        return;
    }
    Tell(app, head + "原文件已改名保存为 " + aside + "，并已新建一个空的闹钟数据文件。");
}

}  // namespace

std::string StorePath(Host& host) { return host.programDir() + "\\ny.edb"; }

void LoadOrCreateStore(App& app) {
    const std::string path = StorePath(app.host);
    RecordFile f(app.host);
    if (!app.host.fileExists(path)) {
        if (IoResult c = f.create(path, AlarmFields()); !c.ok)
            Tell(app, "无法创建闹钟数据文件 " + path + "：" + c.reason);
        return;
    }
    const OpenResult r = f.open(path, AlarmFields());
    if (r.ok()) {
        // A delete whose purge failed last time: finish it, so that row i is
        // record i + 1 again.
        bool anyDeleted = false;
        for (int k = 1; k <= f.count() && !anyDeleted; ++k) anyDeleted = f.goTo(k) && f.isDeleted();
        if (anyDeleted) Saved(app, f.purge(), path);
        f.goTo(1);
        ListRecords(app, f);
        f.close();
    } else if (r.damaged()) {
        ReplaceDamaged(app, path, r.reason);
    } else {
        // Unreadable is not damaged: the file may be fine once the cause goes
        // away, so it is neither moved nor overwritten.
        Tell(app, "无法读取闹钟数据文件 " + path + "：" + r.reason +
                      "。文件保持原样，这次不显示已保存的闹钟。");
    }
}

// 月份 and 周数 are written empty whatever the record holds.
bool StoreAppend(App& app, const AlarmRecord& a) {
    const std::string path = StorePath(app.host);
    RecordFile f(app.host);
    if (!OpenForChange(app, f, path)) return false;
    return Saved(app,
                 f.append({"", "", a.闹钟时间, a.铃声文件, a.闹钟提示信息, a.是否已响铃}),
                 path);
}

bool StoreMarkRung(App& app, int row) {
    const std::string path = StorePath(app.host);
    RecordFile f(app.host);
    if (!OpenForChange(app, f, path)) return false;
    // No record for this row (the list and the store went apart): change nothing.
    if (!f.goTo(int64_t{row} + 1)) return false;
    return Saved(app,
                 f.modify({std::nullopt, std::nullopt, std::nullopt, std::nullopt, std::nullopt,
                           std::string(txt::kRung)}),
                 path);
}

bool StoreDeleteRow(App& app, int row) {
    const std::string path = StorePath(app.host);
    RecordFile f(app.host);
    if (!OpenForChange(app, f, path)) return false;
    // No row selected (-1) or no such record: nothing may be deleted.
    if (!f.goTo(int64_t{row} + 1)) return false;
    if (!Saved(app, f.deleteCurrent(), path)) return false;
    return Saved(app, f.purge(), path);
}

bool StoreClear(App& app) {
    const std::string path = StorePath(app.host);
    RecordFile f(app.host);
    if (!OpenForChange(app, f, path)) return false;
    return Saved(app, f.deleteAll(), path);
}

}  // namespace ny
