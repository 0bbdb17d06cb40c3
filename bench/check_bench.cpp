// The alarm book at scale on the sim host: the handlers alone (no window
// system; real files in a temporary folder), with 1,000, 10,000 and 100,000
// alarms in ny.edb. Prints figures; never fails on them.
//
// For each size: reading the store at start-up, the memory the process
// grew by for it, the minute check with none due and with one due (it rings,
// marks it and rewrites the file), and 添加, 删除 and a change of one alarm
// (each a whole rewrite of the file, as the program does).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "alarms/check.h"
#include "alarms/storeui.h"
#include "mainwindow/dispatch.h"
#include "platform/sim/sim_host.h"
#include "store/alarmstore.h"

namespace {

using namespace ny;

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

// Resident memory of this process, in KiB (Linux).
long RssKiB() {
    std::ifstream in("/proc/self/status");
    std::string key;
    long value = 0;
    while (in >> key) {
        if (key == "VmRSS:") {
            in >> value;
            return value;
        }
        std::getline(in, key);
    }
    return 0;
}

// N alarms one minute apart from 2026-06-01 08:00 (after the check's
// minute), a typical tone path and a short Chinese prompt; with `dueAt`
// the last one is due then.
void WriteStore(const std::string& dir, int n) {
    std::vector<Alarm> alarms;
    alarms.reserve(size_t(n));
    for (int i = 0; i < n; ++i) {
        Alarm a;
        a.minute = *MinuteOfText("2026-06-01 08:00") + i;
        a.tone = "C:\\Users\\用户\\AppData\\Local\\Programs\\Ny闹钟\\铃声\\早晨的闹钟.mp3";
        a.prompt = "提醒 " + std::to_string(i + 1) + " 起床喝水";
        alarms.push_back(std::move(a));
    }
    SimHost fs(dir, {2026, 1, 1, 0, 0, 0, 0});
    AlarmStore(fs, dir).save(alarms);
}

void Measure(int n) {
    const std::string dir = std::filesystem::temp_directory_path() / "ny_book_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    WriteStore(dir, n);
    const auto fileBytes = std::filesystem::file_size(dir + "/ny.edb");

    // The check's minute: 2026-05-20 07:30:00, a little after the tick.
    SimHost host(dir, {2026, 5, 20, 7, 29, 59, 500});
    App app(host);
    host.onEvent = [&](const Event& e) { return Dispatch(app, e); };
    const long rss0 = RssKiB();
    auto t0 = Clock::now();
    host.loadWindow(Ctl::MainWindow);
    const double startMs = MsSince(t0);
    const long grew = RssKiB() - rss0;
    host.advanceTo({2026, 5, 20, 7, 30, 0, 100});  // the minute's check has run

    t0 = Clock::now();
    app.lastCheckedMinute.reset();
    OnAlarmCheckTick(app);
    const double noneMs = MsSince(t0);

    // One due now: it rings (the sim's box answers at once) and is marked.
    Alarm due = app.book.at(app.book.size() - 1);
    due.setMinute(MinuteAt(host.now()));
    AlarmChange c;
    c.changed = {due};
    ChangeAlarms(app, c);
    app.lastCheckedMinute.reset();
    t0 = Clock::now();
    OnAlarmCheckTick(app);
    const double dueMs = MsSince(t0);

    auto timed = [&](const std::function<void()>& act) {
        const auto s = Clock::now();
        act();
        return MsSince(s);
    };
    const double addMs = timed([&] {
        host.setText(Ctl::编辑框1, "2027-01-01 08:00:00");
        host.raise(Ev::Click, Ctl::添加);
    });
    const double deleteMs = timed([&] {
        host.selectRow(Ctl::超级列表框1, n / 2);
        host.raise(Ev::Click, Ctl::删除);
    });
    const double changeMs = timed([&] {
        host.selectRow(Ctl::超级列表框1, n / 3);
        host.raise(Ev::Click, Ctl::重复_每天);
    });
    std::printf("%7d alarms (%5.1f MB file): start %8.1f ms, +%6ld KiB; check none due %6.2f ms, "
                "one due %7.1f ms; 添加 %6.1f ms, 删除 %6.1f ms, 重复 %6.1f ms\n",
                n, double(fileBytes) / 1e6, startMs, grew, noneMs, dueMs, addMs, deleteMs, changeMs);
    std::filesystem::remove_all(dir);
}

}  // namespace

int main() {
    for (int n : {1000, 10000, 100000}) Measure(n);
    return 0;
}
