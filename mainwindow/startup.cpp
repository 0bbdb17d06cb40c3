#include "mainwindow/startup.h"

#include "alarms/clock.h"
#include "host/text.h"
#include "store/alarmstore.h"

namespace ny {

std::string DefaultRingTonePath(Host& host) { return host.programDir() + "/alarm.mp3"; }

namespace {

// One copy at a time: "ny.yz" held open with sharing denied. A second copy
// gives way before it touches anything. Returns false when this copy must end.
bool TakeInstanceLock(Host& host) {
    const std::string path = host.programDir() + "\\ny.yz";
    if (host.fileExists(path)) return host.holdExclusive(path).ok;
    host.writeFile(path, std::string_view("\0", 1));
    host.setHiddenArchive(path);
    host.holdExclusive(path);
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

    host.listInsertColumn(Ctl::超级列表框1, "闹钟时间", 130);
    host.listInsertColumn(Ctl::超级列表框1, "铃声文件", 130);
    host.listInsertColumn(Ctl::超级列表框1, "闹钟提示信息", 200);
    host.listInsertColumn(Ctl::超级列表框1, "是否已响铃", 80);

    // Both clock labels get their first value now, so nothing ever compares
    // against the design caption of 短位时间.
    UpdateClockLabels(app);
    const LocalTime now = host.now();
    host.setText(Ctl::编辑框1, FormatDateTime(now, 1, 1));
    host.setText(Ctl::铃声路径, DefaultRingTonePath(host));

    LoadOrCreateStore(app);

    // The first alarm check catches up from the minute of the start.
    app.previousCheckMinute = LeftChars(host.text(Ctl::短位时间), 16);
    ArmClockTimers(app);
}

}  // namespace ny
