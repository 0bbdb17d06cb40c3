#include "mainwindow/startup.h"

#include "alarms/clock.h"
#include "alarms/missed.h"
#include "alarms/ring.h"
#include "mainwindow/autostart.h"
#include "alarms/storeui.h"
#include "alarms/wake.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"
#include "store/alarmfields.h"
#include "mainwindow/tray.h"
#include "ringtone/defaulttone.h"

namespace ny {

namespace {

// One copy at a time: "ny.yz" held open with sharing denied. A second copy
// gives way before it touches anything. Returns false when this copy must end.
bool TakeInstanceLock(Host& host) {
    const std::string path = host.programDir() + "\\ny.yz";
    IoResult held;
    if (host.probeFile(path).failure == IoFailure::NotFound) {
        held = host.writeFile(path, std::string_view("\0", 1));
        if (held.ok) host.setHiddenArchive(path);
    }
    if (held.ok) held = host.holdExclusive(path);
    if (held.ok) return true;
    // Only another holder means another copy runs. Anything else (a read-only
    // folder, a full disk) must not stop the alarm clock: it runs unguarded.
    if (held.failure == IoFailure::Sharing) return false;
    host.messageBox("无法使用单实例锁文件 " + path + "：" + held.reason +
                        "。程序照常运行，但不能防止同时运行第二个 Ny闹钟。",
                    kMbExclamation);
    return true;
}

}  // namespace

void OnMainWindowCreated(App& app) {
    Host& host = app.host;
    if (!TakeInstanceLock(host)) {
        host.messageBox("Ny闹钟已经在运行", kMbOk);
        host.exitProcess(0);
        return;
    }

    const int widths[col::kCount] = {130, 130, 200, 80};
    for (int c = 0; c < col::kCount; ++c)
        host.listInsertColumn(Ctl::超级列表框1, kAlarmFields[kFirstListedField + c].name,
                              widths[c]);

    // Both clock labels get their first value now, so nothing ever compares
    // against the design caption of 短位时间.
    UpdateClockLabels(app);
    const LocalTime now = host.now();
    host.setText(Ctl::编辑框1, FormatDateTime(now, Padding::TwoDigits, DateTimeParts::DateAndTime));
    host.setText(Ctl::铃声路径, DefaultRingTonePath(host));

    LoadAlarmList(app);

    // The first alarm check catches up from the minute of the start.
    app.previousCheckMinute = MinuteOf(host.text(Ctl::短位时间));
    app.startMinute = app.previousCheckMinute;
    ArmClockTimers(app);

    // Started with Windows: straight into the tray, the window never shown.
    if (host.startedInTray()) HideToTray(app);
}

void OnMainWindowLoaded(App& app) {
    // The settings' marks in the tray and system menus.
    RefreshStartupCheck(app);
    RefreshRingUntilStoppedCheck(app);
    NotifyMissedAlarms(app);
    RearmWakeTimer(app);
    RefreshTrayTip(app);
}

}  // namespace ny
