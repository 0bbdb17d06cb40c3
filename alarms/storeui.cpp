#include "alarms/storeui.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "alarms/alarmview.h"
#include "alarms/editing.h"
#include "host/uitexts.h"

namespace ny {
namespace {

constexpr Ctl kList = Ctl::超级列表框1;
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

AlarmStore StoreOf(App& app) { return AlarmStore(app.host, app.host.dataDir(), &app.storeSeen); }

void ShowAlarms(App& app) {
    if (!app.alarmView) app.alarmView = std::make_unique<AlarmView>(app.book);
    app.host.listShowRows(kList, app.alarmView.get(), static_cast<int>(app.book.size()));
}

namespace {

// The file another program changed is what the book holds now: its rows are
// other alarms, so neither a selection nor an edit can stay.
void TakeFromFile(App& app, std::vector<Alarm> alarms) {
    app.book.assign(std::move(alarms));
    ShowAlarms(app);
    app.host.listSelectRow(kList, -1);
    EndEditIfGone(app);
}

enum class Outside { Appended, NotSaved, Failed };

// One sentence: the list shows what the file now holds.
void TellChangedOutside(App& app, const std::string& file, Outside what,
                        const StoreResult& failure = {}) {
    std::string text = "闹钟数据文件 " + file + " 已被其他程序改动，列表已按文件重新显示";
    switch (what) {
        case Outside::Appended: text += "，新闹钟已加在其后。"; break;
        case Outside::NotSaved: text += "，这次的更改没有保存。"; break;
        case Outside::Failed: text += "。" + TextOf(failure); break;
    }
    app.host.messageBox(text, BoxKind::Exclamation);
}

// A store that cannot be used, told as `telling` says.
void TellFailure(App& app, const StoreResult& r, Telling telling) {
    if (telling == Telling::User) {
        TellStoreResult(app, r);
        return;
    }
    if (app.storeOutageTold) return;
    app.storeOutageTold = true;
    app.host.messageBox("闹钟数据文件 " + r.file + " 现在无法读写（" + r.reason +
                            "）。在它恢复之前，闹钟照列表响铃，但响过的闹钟记不下来，"
                            "可能会错过闹钟。",
                        BoxKind::Exclamation);
}

// What a change did to the book, to be undone when the file refuses it.
struct Undo {
    std::vector<AlarmId> added;
    std::vector<Alarm> changed;  // as they were
    std::vector<std::pair<size_t, Alarm>> removed;
    std::optional<std::vector<Alarm>> cleared;

    bool empty() const { return added.empty() && changed.empty() && removed.empty() && !cleared; }
    void apply(AlarmBook& book) {
        for (auto it = removed.rbegin(); it != removed.rend(); ++it)
            book.restore(it->first, std::move(it->second));
        for (const Alarm& a : changed) book.replace(a);
        for (AlarmId id : added) book.remove(id);
        if (cleared) book.restoreAll(std::move(*cleared));
    }
};

Undo Apply(AlarmBook& book, const AlarmChange& c) {
    Undo u;
    if (c.clear) u.cleared = book.takeAll();
    for (AlarmId id : c.removed)
        if (auto r = book.remove(id)) u.removed.push_back(std::move(*r));
    for (const Alarm& a : c.changed) {
        const Alarm* before = book.find(a.id);
        if (!before) continue;
        u.changed.push_back(*before);
        book.replace(a);
    }
    for (const Alarm& a : c.added) u.added.push_back(book.append(a));
    return u;
}

// A change that did not reach ny.edb: the rings it carried are remembered.
void RememberRings(App& app, const std::vector<AlarmId>& rings) {
    for (AlarmId id : rings)
        if (app.book.find(id) &&
            std::find(app.rungUnmarked.begin(), app.rungUnmarked.end(), id) == app.rungUnmarked.end())
            app.rungUnmarked.push_back(id);
}

// What the end of a write does on the window's thread.
struct WriteEnd {
    std::shared_ptr<StoreWritten> written;
    Undo undo;
    std::vector<AlarmId> rings;
    AlarmId edits;
    Telling telling;
    bool afterOutside;  // the book had just taken another program's file

    // Whether the change reached ny.edb.
    bool operator()(App& app) {
        AlarmStore store = StoreOf(app);
        const StoreResult saved = store.settle(*written);
        if (!saved.ok()) {
            // The file is as it was: so must the book and the list be.
            undo.apply(app.book);
            ShowAlarms(app);
            EndEditIfGone(app);
            RememberRings(app, rings);
            if (edits != 0 && app.editingId == 0 && app.book.find(edits)) SetEditingAlarm(app, edits);
            if (saved.changedOutside) {  // a file appeared where there was none
                StoreFresh again = store.checkFresh();
                if (again.changed) TakeFromFile(app, std::move(*again.changed));
                TellChangedOutside(app, store.path(), Outside::NotSaved);
            } else if (afterOutside) {
                TellChangedOutside(app, store.path(), Outside::Failed, saved);
            } else {
                TellFailure(app, saved, telling);
            }
            return false;
        }
        app.storeOutageTold = false;
        // Told only now: the file, the book and the list agree again.
        TellStoreResult(app, saved);  // a store made again
        if (afterOutside) TellChangedOutside(app, store.path(), Outside::Appended);
        return true;
    }
};

// The whole book goes to ny.edb off the window's thread. The book is left
// alone until the write has ended: every change waits for it first.
void WriteBehind(App& app, WriteEnd end) {
    const AlarmStore store(app.host, app.host.dataDir());
    auto written = std::make_shared<StoreWritten>();
    // Until the write says otherwise: a job that never finished wrote nothing.
    written->result.status = StoreStatus::WriteFailed;
    written->result.file = store.path();
    written->result.reason = "写入没有完成";
    end.written = written;
    const std::vector<Alarm>* alarms = &app.book.all();
    app.storeWriteEnded = [&app, end = std::move(end)]() mutable { return end(app); };
    app.storeWriteJob =
        app.host.startJob([store, alarms, written] { *written = store.write(*alarms); });
}

}  // namespace

bool FinishStoreWrite(App& app) {
    bool written = true;
    // A box told at the end of one write may let a change start another.
    while (app.storeWriteJob != 0) {
        app.host.finishJob(std::exchange(app.storeWriteJob, 0));
        if (auto ended = std::exchange(app.storeWriteEnded, nullptr)) written = ended();
    }
    return written;
}

void OnJobDone(App& app, int job) {
    if (job != 0 && job == app.storeWriteJob) FinishStoreWrite(app);
}

ChangeOutcome ChangeAlarms(App& app, const AlarmChange& change, Telling telling) {
    ChangeOutcome out;
    if (!AlarmsReady(app, telling == Telling::User)) {
        RememberRings(app, change.rings);
        return out;
    }
    // Later changes wait on earlier writes: a write reads the book, and one
    // the file refused is undone before anything else changes.
    FinishStoreWrite(app);
    AlarmStore store = StoreOf(app);
    StoreFresh fresh = store.checkFresh();
    if (!fresh.result.ok()) {
        TellFailure(app, fresh.result, telling);
        RememberRings(app, change.rings);
        return out;
    }
    const bool namesAlarms = change.clear || !change.removed.empty() || !change.changed.empty();
    if (fresh.changed) {
        TakeFromFile(app, std::move(*fresh.changed));
        // Its rows are not the ones the user chose from.
        if (namesAlarms) {
            TellChangedOutside(app, store.path(), Outside::NotSaved);
            RememberRings(app, change.rings);
            return out;
        }
    }
    Undo undo = Apply(app.book, change);
    if (undo.empty()) return out;  // it named only alarms that are gone
    ShowAlarms(app);
    EndEditIfGone(app);
    out.done = true;
    out.added = undo.added;
    std::vector<AlarmId> rings = change.rings;
    for (AlarmId id : change.setAnew)
        if (std::erase(app.rungUnmarked, id) > 0) rings.push_back(id);  // again if not written
    WriteBehind(app, WriteEnd{nullptr, std::move(undo), std::move(rings), change.edits, telling,
                              fresh.changed.has_value()});
    return out;
}

bool TellStoreResult(App& app, const StoreResult& r) {
    Host& host = app.host;
    if (r.recreated)
        host.messageBox("闹钟数据文件 " + r.file + " 已被删除，已按列表中的闹钟重新建立。",
                        BoxKind::Exclamation);
    if (r.ok()) app.storeOutageTold = false;
    if (const std::string text = TextOf(r); !text.empty()) host.messageBox(text, BoxKind::Exclamation);
    return r.ok();
}

void LoadAlarms(App& app, bool tell) {
    Host& host = app.host;
    // A damaged file is told before it is set aside (when telling at all).
    std::function<void(const StoreResult&)> tellFirst;
    if (tell) tellFirst = [&app](const StoreResult& r) { TellStoreResult(app, r); };
    StoreLoad load = StoreOf(app).loadOrCreate(Stamp(host.now()), tellFirst);
    if (load.loaded) {
        app.book.assign(std::move(load.alarms));
        ShowAlarms(app);
        // Those whose minute passed while the program was not running are
        // told once (at start-up, or at the first check after a late read).
        app.missedStillToTell = true;
    }
    app.alarmsLoaded = load.loaded;
    if (load.loaded) app.storeOutageTold = false;
    // Not read at start-up: the quiet retries of the alarm check say nothing
    // until it can be read again.
    else if (tell && !load.notes.empty()) app.storeOutageTold = true;
    // A quiet retry still tells what it did to the files (a damaged store
    // kept aside, a temporary file adopted); a failing one stays quiet.
    if (tell || load.loaded)
        for (const StoreResult& n : load.notes)
            if (!n.told) TellStoreResult(app, n);
}

bool AlarmsReady(App& app, bool tell) {
    if (app.alarmsLoaded) return true;
    LoadAlarms(app, tell);
    return app.alarmsLoaded;
}

}  // namespace ny
