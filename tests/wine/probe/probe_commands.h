// The commands of ny_probe, by the file that holds them. Each prints its
// findings as lines and returns the exit code: 0 so, 1 not so, 2 a usage
// error; kBadUsage when its arguments name nothing it knows (the
// dispatcher then prints the usage).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/layout.h"

namespace probe {

constexpr int kBadUsage = -1;

// probe_window.cpp: the main window, its controls and its list.
int CmdWaitMain(int ms);
int CmdMain();
int CmdMoveMain(int x, int y);
int CmdClose();
int CmdMinimise();
int CmdWindows();
int CmdHostile();
int CmdPick(const std::string& name, int index);
int CmdClick(const std::string& name);
int CmdSetText(const std::string& name, const std::string& text);
int CmdPaste(const std::string& name, int n);
int CmdText(const std::string& name);
int CmdState(const std::string& name);
int CmdTab(int index);
int CmdTabFocus(int index);
int CmdPathTip();
int CmdList();
int CmdListRow(int row);
int CmdListSelect(int row);
int CmdListCheck(int row);

// probe_layout.cpp: where the windows and controls are, and the focus.
int CmdLayout(bool popups, bool anywhere, int dpi);
int CmdEntryWhole();
int CmdFocus();
int CmdDpiChanged(int dpi);

// probe_popups.cpp: the date and time popups, and keys pressed at them.
// OpenPopup: opened by a click in the entry field at character `chars`.
HWND OpenPopup(HWND main, ny::Ctl window, int chars);
int CmdEntryClick(int chars);
int CmdPopup();
int CmdGridClick(int value);
int CmdPress(const std::string& name);
int CmdHover(const std::string& name);
int CmdKeys(const std::vector<std::string>& keys);
int CmdCalDate();
int CmdCalDay(const std::string& date);

// probe_colours.cpp: colours on the screen and the system's theme.
int CmdColours(const std::string& name, const std::string& rgb);
int CmdHighContrast(const std::string& onOff);
int CmdThemeChanged();

// probe_menus.cpp: the list's, the tray's and the system menu; the tray.
int CmdListMenu(int row, const std::string& item);
int CmdMenuChoose(const std::string& item);
int CmdOpenMenu(const std::string& which, int row, const std::string& submenu);
int CmdTrayIcons();
int CmdTrayClick(const std::string& button);
int CmdTrayMenu(const std::string& item);
int CmdTrayTip();
int CmdBalloon(int ms);

// probe_boxes.cpp: the program's message boxes.
int CmdBox(int ms, bool pressOk);
int CmdBoxButtons(int ms, const std::string& press);
int CmdNoBox(int ms);

// probe_timing.cpp: how soon the program answers, and the platform's times.
int CmdAnswerAfter(const std::string& how, const std::string& what);
int CmdPing(int ms, int boxes, int everyMs);
int CmdBoxReturn(bool urgent);
int CmdWake();

// probe_sound.cpp: sound played as the program plays it.
int CmdPlay(const std::string& path, int ms, bool preopen, bool notify);
int CmdMciNotify(int device);

// probe_records.cpp: the program's record files read and made.
int CmdStore(const std::string& path);
int CmdMakeStore(const std::string& path, int n, const std::string& first,
                 const std::string& tone, int stepMinutes, const std::string& repeat);

// probe_files.cpp: files and pipes as other programs hold them.
int CmdAttrs(const std::string& path);
int CmdOpenExclusive(const std::string& path);
int CmdHold(const std::string& path, int ms, bool shareNothing);
int CmdReadOnly(const std::string& path, bool on);
int CmdPipeServer(const std::string& name, int ms);

// probe_system.cpp: other programs' dialogs, shortcuts and the registry.
int CmdDialog(const std::string& title, int ms, const std::vector<std::string>& keys);
int CmdFileDialog(int ms, const std::string& path);
int CmdLnk(const std::string& path);
int CmdReg(const std::string& key, const std::string& name);

// probe_access.cpp: what a screen reader hears.
int CmdAccessName(const std::string& name);
int CmdAccessEvents(int ms);
int CmdAccessGrid();

}  // namespace probe
