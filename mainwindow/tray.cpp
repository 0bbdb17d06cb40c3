#include "mainwindow/tray.h"

#include "app/window.h"

#include <algorithm>
#include <limits>
#include <string>

#include "alarms/ring.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"
#include "mainwindow/autostart.h"
#include "mainwindow/trayhint.h"

namespace ny {

namespace {

constexpr std::string_view kNextLine = "\n下一个：";

// UTF-16 units of one UTF-8 character starting with byte b.
int UnitsOfChar(unsigned char b) { return b >= 0xF0 ? 2 : 1; }
int CharBytes(unsigned char b) { return b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1; }

int Utf16Units(std::string_view s) {
    int n = 0;
    for (size_t i = 0; i < s.size(); i += size_t(CharBytes(static_cast<unsigned char>(s[i]))))
        n += UnitsOfChar(static_cast<unsigned char>(s[i]));
    return n;
}

// The longest start of s that takes at most `units` UTF-16 units, whole
// characters only.
std::string FitUnits(std::string_view s, int units) {
    std::string out;
    for (size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        const size_t len = std::min(s.size() - i, size_t(CharBytes(b)));
        if ((units -= UnitsOfChar(b)) < 0) break;
        out.append(s.substr(i, len));
        i += len;
    }
    return out;
}

}  // namespace

std::string TrayTipText(App& app) {
    std::string tip(kTrayTip);
    const Alarm* next = app.book.earliestPending(MinuteAt(app.host.now()));
    if (!next) return tip;
    // "MM-DD HH:MM" of "YYYY-MM-DD HH:MM".
    tip += std::string(kNextLine) + MinuteText(next->minute).substr(timetext::kMonth);
    if (!next->prompt.empty()) {
        tip += " ";
        // On one line: the tip has two lines only.
        tip += FitUnits(OneLinePrompt(next->prompt, std::numeric_limits<int>::max()),
                        kTrayTipMaxUnits - Utf16Units(tip));
    }
    return tip;
}

void RefreshTrayTip(App& app) {
    // The icon is there exactly while the window is hidden.
    if (app.host.exists(Ctl::MainWindow) && !app.host.visible(Ctl::MainWindow))
        app.host.setTrayIcon(TrayTipText(app));
}

void HideToTray(App& app) {
    app.host.setVisible(Ctl::MainWindow, false);
    app.host.setTrayIcon(TrayTipText(app));
}

bool OnCloseRequest(App& app) {
    HideToTray(app);
    TellHiddenInTrayOnce(app);
    return false;
}

void OnSizeChanged(App& app) {
    if (app.host.windowState(Ctl::MainWindow) != WindowState::Minimised) return;
    HideToTray(app);
    TellHiddenInTrayOnce(app);
}

void OnTrayEvent(App& app, TrayClick click) {
    if (click == TrayClick::Left) ShowMainWindow(app);
    else {
        RefreshStartupCheck(app);  // the user may have changed it elsewhere
        RefreshRingUntilStoppedCheck(app);
        app.host.popupMenu(Ctl::托盘菜单);
    }
}

void OnOpenChosen(App& app) { ShowMainWindow(app); }

void OnQuitChosen(App& app) {
    // The tray icon goes with the window: the host removes it on destruction.
    app.host.destroyWindow(Ctl::MainWindow);
}

}  // namespace ny
