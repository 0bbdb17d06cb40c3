// The quit switch: an installer or uninstaller has the running copy of this
// very .exe end, as its tray menu's 关闭 would, before replacing its files.
#pragma once

namespace ny {

// The private message the main window takes as 关闭; registered by name, so
// that the asking process and the running copy agree on its number.
constexpr wchar_t kQuitMessageName[] = L"Ny闹钟.quit";

// True when the command line holds the switch (kQuitSwitch).
bool StartedToQuit();

// Asks every running copy of this .exe (same full path) to end and waits a
// few seconds for them to be gone. Returns the exit code: 0, also when none
// runs or one did not end in time (the installer then reports the locked file).
int QuitRunningCopies();

}  // namespace ny
