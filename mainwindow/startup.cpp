#include "mainwindow/startup.h"

#include "alarms/clock.h"
#include "alarms/missed.h"
#include "alarms/nextalarm.h"
#include "alarms/ring.h"
#include "alarms/snooze.h"
#include "mainwindow/autostart.h"
#include "mainwindow/listcolumns.h"
#include "alarms/storeui.h"
#include "alarms/wake.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"
#include "mainwindow/tray.h"
#include "ringtone/defaulttone.h"
#include "store/alarmstore.h"

namespace ny {

namespace {

constexpr const char* kLockName = "\\ny.yz";

// One copy at a time: "ny.yz" in the data folder, held open with sharing
// denied. Creates it first when it is not there (`creating` then says so).
IoResult HoldLockIn(Host& host, const std::string& dir, bool* creating = nullptr) {
    const std::string path = dir + kLockName;
    IoResult held;
    if (host.probeFile(path).failure == IoFailure::NotFound) {
        if (creating) *creating = true;
        held = host.writeFile(path, std::string_view("\0", 1));
        if (held.ok) host.setHiddenArchive(path);
    }
    if (held.ok) held = host.holdExclusive(path);
    return held;
}

bool Absent(Host& host, const std::string& path) {
    return host.probeFile(path).failure == IoFailure::NotFound;
}

// The data folder is the program's own, so that a portable copy keeps its
// alarms beside itself and existing stores are found where they are. Only
// when that folder refuses to let the lock file be created (no rights, a
// read-only medium) and holds no store yet, the per-user folder takes over.
// A store already in the program's folder (or the temporary file a save
// left) stays there and its write failures are told as ever: moving the
// user's alarms silently would hide them. A lock file that is there but
// cannot be opened is told as ever too: the folder itself may be fine.
// Returns the lock attempt's result in the folder chosen.
IoResult ChooseDataFolder(Host& host) {
    const std::string own = host.programDir();
    host.setDataDir(own);
    bool creating = false;
    const IoResult held = HoldLockIn(host, own, &creating);
    if (held.ok || !creating || held.failure != IoFailure::Denied) return held;
    const std::string store = own + "\\" + std::string(kStoreFileName);
    if (!Absent(host, store) || !Absent(host, store + std::string(kTempSuffix))) return held;
    const std::string user = host.perUserDataDir();
    if (user.empty() || !host.makeFolder(user).ok) return held;
    const IoResult there = HoldLockIn(host, user);
    if (!there.ok && there.failure != IoFailure::Sharing) return held;
    host.setDataDir(user);
    return there;
}

// Returns false when this copy must end: another copy holds the lock.
bool TakeInstanceLock(Host& host) {
    const IoResult held = ChooseDataFolder(host);
    if (held.ok) return true;
    // Only another holder means another copy runs. Anything else (a read-only
    // folder, a full disk) must not stop the alarm clock: it runs unguarded.
    if (held.failure == IoFailure::Sharing) return false;
    host.messageBox("无法使用单实例锁文件 " + host.dataDir() + kLockName + "：" + held.reason +
                        "。程序照常运行，但不能防止同时运行第二个 Ny闹钟。",
                    BoxKind::Exclamation);
    return true;
}

}  // namespace

void OnMainWindowCreated(App& app) {
    Host& host = app.host;
    if (!TakeInstanceLock(host)) {
        // The user started it to see the window: the running copy shows its
        // own, and the message comes in front of it.
        host.showRunningCopy();
        host.messageBox("Ny闹钟已经在运行", BoxKind::Ok);
        host.exitProcess(0);
        return;
    }

    CreateListColumns(app);

    // Both clock labels get their first value now, so nothing ever compares
    // against the design caption of 短位时间.
    UpdateClockLabels(app);
    const LocalTime now = host.now();
    host.setText(Ctl::编辑框1, FormatDateTime(now, Padding::TwoDigits, DateTimeParts::DateAndTime));
    host.setText(Ctl::铃声路径, DefaultRingTonePath(host));

    // Taken before anything can open a box: alarms before this minute were
    // missed while the program was not running, and the first alarm check
    // catches up from it however long a box about the store stays open.
    app.startMinute = MinuteAt(now);
    app.lastCheckedMinute = app.startMinute;

    LoadAlarms(app);
    ArmClockTimers(app);

    // Started with Windows: straight into the tray, the window never shown.
    if (host.startedInTray()) HideToTray(app);
}

void OnMainWindowLoaded(App& app) {
    // The settings' marks in the tray and system menus.
    RefreshStartupCheck(app);
    RefreshRingUntilStoppedCheck(app);
    RefreshSnoozeMenu(app);
    NotifyMissedAlarms(app);
    RearmWakeTimer(app);
    RefreshTrayTip(app);
    RefreshNextAlarmLabel(app);
}

}  // namespace ny
