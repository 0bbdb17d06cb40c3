// The few program-wide values that the handlers share besides the controls.
// Every feature folder's handlers are plain functions taking App&; they reach
// the platform only through app.host. Kept apart from mainwindow/ so that
// the features need nothing of the main window's code.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/alarmbook.h"
#include "host/host.h"
#include "store/alarmstore.h"

namespace ny {

struct App {
    explicit App(Host& h) : host(h) {}
    Host& host;

    // Countdown: seconds left, and the monotonic start and tick count that
    // keep its ticks on the real clock.
    int32_t CountdownRemaining = 0;
    int64_t countdownStartMs = 0;
    int64_t countdownTicks = 0;
    bool countdownRunning = false;  // its button then cancels

    // Calendar popup state.
    bool CalendarPressed = false;  // on a day, since the last tick
    int32_t CalendarChangeCount = 0;
    Ctl CalendarTarget = Ctl::None;
    Ctl TimePickerTarget = Ctl::None;
    // The entry the left button was last pressed in (None once released).
    Ctl entryPressed = Ctl::None;

    // The alarms: the one model the list shows and ny.edb stores. `alarmView`
    // gives the list its cells from it.
    AlarmBook book;
    std::unique_ptr<ListSource> alarmView;
    // The book holds what ny.edb holds (false while start-up could not read
    // it: the book is then empty and the store untouched).
    bool alarmsLoaded = false;

    // What the label of the next alarm shows (it is set only when it changes).
    std::string nextAlarmText;

    // Alarm check: one at a time, and the minute it checked last, so that a
    // minute no check fell into is caught up.
    bool checkRunning = false;
    std::optional<Minute> lastCheckedMinute;

    // The minute the program started in: alarms before it were missed.
    std::optional<Minute> startMinute;
    // The store was read only after start-up: its missed alarms are still to
    // be told.
    bool missedStillToTell = false;

    // The version of ny.edb last read or written: another program's change
    // is noticed before the next write.
    StoreSeen storeSeen;
    // The write of ny.edb running off the window's thread (0: none), and
    // what is done here once it has ended: its outcome told, or the change
    // it carried undone when the file refused it (false).
    int storeWriteJob = 0;
    std::function<bool()> storeWriteEnded;
    // The user has been told that ny.edb cannot be read or written; not
    // again until it could be.
    bool storeOutageTold = false;
    // Alarms that rang while ny.edb could not be written: they do not ring
    // again, and are marked once it can be.
    std::vector<AlarmId> rungUnmarked;
    // The sound asked of the host and not yet answered (0: none), and the
    // tones still to try when it cannot be played; `mustBeHeard` ends the
    // tries with the chime (a ringing alarm, the countdown's end).
    int soundRequest = 0;
    std::vector<std::string> soundFallbacks;
    bool soundMustBeHeard = false;
    // The request is a preview (试听): its start enables 停止, its failure is told.
    bool soundIsPreview = false;
    // The file chosen with 铃声选择 while it is checked (0: none), and the
    // tone it replaces once found playable (unless the tone changed meanwhile).
    int toneProbe = 0;
    std::string toneProbePath;
    std::string toneProbeReplaces;
    // The alarm that 修改 put into the entry fields (保存 replaces it); 0
    // while 添加 adds.
    AlarmId editingId = 0;

    // A ringing alarm repeats its tone until stopped, its box closes or the
    // ring's time limit passes.
    bool ringLooping = false;
};

}  // namespace ny
