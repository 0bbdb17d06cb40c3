// The running copy of this very .exe, asked from another process: the quit
// switch (an installer or uninstaller has it end, as its tray menu's 关闭
// would, before replacing its files), and a second start (it shows its window).
#pragma once

namespace ny {

// The main window's class: how a copy finds the others' windows.
constexpr wchar_t kMainWindowClass[] = L"NyMainWindow";

// The private message the main window takes as 关闭; registered by name, so
// that the asking process and the running copy agree on its number.
constexpr wchar_t kQuitMessageName[] = L"Ny闹钟.quit";

// The private message the main window takes as 打开; its wParam is the id of
// the asking process, which may then take the foreground back for its box.
constexpr wchar_t kShowMessageName[] = L"Ny闹钟.show";

// True when the command line holds the switch (kQuitSwitch).
bool StartedToQuit();

// Asks every running copy of this .exe (same full path) to end and waits a
// few seconds for them to be gone. Returns the exit code: 0, also when none
// runs or one did not end in time (the installer then reports the locked file).
int QuitRunningCopies();

// Has every running copy of this .exe show its window in front, and waits
// (a few seconds at most) until each has. False when none answered.
bool ShowRunningCopies();

}  // namespace ny
