// Bringing the main window back from the tray or from behind other windows,
// as a click on the tray icon does and as a ringing alarm must.
#pragma once

#include "app/app.h"

namespace ny {

inline void ShowMainWindow(App& app) {
    Host& host = app.host;
    host.setVisible(Ctl::MainWindow, true);
    host.setWindowState(Ctl::MainWindow, WindowState::Normal);
    host.removeTrayIcon();
    host.bringToFront(Ctl::MainWindow);
}

}  // namespace ny
