#include "mainwindow/tray.h"

#include "app/window.h"

#include "mainwindow/autostart.h"

namespace ny {

void HideToTray(App& app) {
    app.host.setVisible(Ctl::MainWindow, false);
    app.host.setTrayIcon(kTrayTip);
}

bool OnCloseRequest(App& app) {
    HideToTray(app);
    return false;
}

void OnSizeChanged(App& app) {
    if (app.host.windowState(Ctl::MainWindow) == kStateMinimised) HideToTray(app);
}

void OnTrayEvent(App& app, int code) {
    if (code == 1) ShowMainWindow(app);
    else if (code == 3) {
        RefreshStartupCheck(app);  // the user may have changed it elsewhere
        app.host.popupMenu(Ctl::托盘菜单);
    }
}

void OnOpenChosen(App& app) { ShowMainWindow(app); }

void OnQuitChosen(App& app) {
    // The tray icon goes with the window: the host removes it on destruction.
    app.host.destroyWindow(Ctl::MainWindow);
}

}  // namespace ny
