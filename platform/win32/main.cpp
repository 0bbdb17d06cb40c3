// The program entry: one main window, its message loop, exit code 0.
#include <windows.h>

#include "platform/win32/quit.h"
#include "platform/win32/syslibs.h"
#include "platform/win32/win32_host.h"
#include "mainwindow/dispatch.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    ny::RestrictDllSearch();  // before anything loads a library
    if (ny::StartedToQuit()) return ny::QuitRunningCopies();  // no window, no lock
    ny::Win32Host host(instance);
    ny::App app(host);
    host.onEvent = [&app](const ny::Event& e) { return ny::Dispatch(app, e); };
    host.loadWindow(ny::Ctl::MainWindow);
    host.run();
    return 0;
}
