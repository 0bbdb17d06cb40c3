// How long one alarm check takes with 10,000 alarms in the list: the
// handler alone, on the sim host (no window system, no disk in the loop).
// Prints figures; never fails on them.
//
// Cases: no alarm due (what happens every minute), and the last row due
// (the check walks the whole list, then rings that alarm; the sim answers
// its message box at once, and as the store holds no records here, marking
// it writes nothing: this times the walk, not the disk).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "alarms/check.h"
#include "platform/sim/sim_host.h"
#include "host/alarmlist.h"
#include "host/uitexts.h"
#include "mainwindow/dispatch.h"
#include "store/alarmstore.h"

namespace {

using namespace ny;

constexpr int kRows = 10000;
constexpr int kRuns = 20;

struct Figures {
    double min, median, max;
};

Figures Summarise(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return {ms.front(), ms[ms.size() / 2], ms.back()};
}

// 10,000 rows one minute apart from 2026-06-01 08:00, all not rung; with
// `lastDue` the last one is due at `now`.
void FillList(SimHost& host, const LocalTime& now, bool lastDue) {
    host.listDeleteAll(Ctl::超级列表框1);
    const int64_t first = MsFromCivil({2026, 6, 1, 8, 0, 0, 0});
    for (int i = 0; i < kRows; ++i) {
        const int r = host.listAppendRow(Ctl::超级列表框1);
        LocalTime t = CivilFromMs(first + int64_t(i) * 60000);
        if (lastDue && i == kRows - 1) t = now;
        host.listSetCell(Ctl::超级列表框1, r, col::kMinute, FormatDateTime(t, Padding::TwoDigits, DateTimeParts::DateAndTime).substr(0, 16));
        host.listSetCell(Ctl::超级列表框1, r, col::kTone, host.programDir() + "/alarm.mp3");
        host.listSetCell(Ctl::超级列表框1, r, col::kPrompt, "提醒 " + std::to_string(i + 1));
        host.listSetCell(Ctl::超级列表框1, r, col::kState, txt::kNotRung);
    }
}

Figures Measure(const char* what, bool lastDue) {
    const std::string dir = std::filesystem::temp_directory_path() / "ny_check_bench";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    // The check's minute: 2026-05-20 07:30:00, a little after the tick.
    const LocalTime start{2026, 5, 20, 7, 29, 59, 500};
    SimHost host(dir, start);
    App app(host);
    host.onEvent = [&](const Event& e) { return Dispatch(app, e); };
    host.loadWindow(Ctl::MainWindow);
    host.advanceTo({2026, 5, 20, 7, 30, 0, 100});  // the minute's check has run

    std::vector<double> ms;
    for (int run = 0; run < kRuns; ++run) {
        FillList(host, host.now(), lastDue);
        app.previousCheckMinute.clear();
        const auto t0 = std::chrono::steady_clock::now();
        OnAlarmCheckTick(app);
        const auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::filesystem::remove_all(dir);
    const Figures f = Summarise(ms);
    std::printf("alarm check, %d rows, %-13s min %7.2f ms  median %7.2f ms  max %7.2f ms  (%d runs)\n",
                kRows, what, f.min, f.median, f.max, kRuns);
    return f;
}

}  // namespace

int main() {
    Measure("none due:", false);
    Measure("last one due:", true);
    return 0;
}
