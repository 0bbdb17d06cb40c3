// What every command of ny_probe stands on: UTF-8 text and the one-line
// output, finding the program's windows and controls (by caption, process
// and the design's control ids), memory in the program's process for the
// list view and tab messages that carry pointers, and real input.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "host/layout.h"

namespace probe {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// ---- text and output ------------------------------------------------------

std::string U8(std::wstring_view w);
std::wstring W(std::string_view s);
// One line on stdout, flushed: the scripts read it as it comes.
void Out(const std::string& line);
// Newlines inside texts would break the line format.
std::string OneLine(std::string s);
std::wstring WindowText(HWND h);
std::wstring ClassOf(HWND h);
std::string RectText(int x, int y, int w, int h);
// A window's rectangle as "left top right bottom".
std::string RectOf(HWND h);
// The wall clock as Unix seconds, for lining up with the scripts' `date`.
std::string UnixNow();

// ---- finding the program's windows ----------------------------------------

struct Found {
    HWND hwnd = nullptr;
    DWORD pid = 0;
};

extern DWORD g_pid;  // --pid: the process whose windows count

DWORD PidOf(HWND h);
std::vector<HWND> TopLevelWindows();
std::vector<HWND> Descendants(HWND parent);
// The main window: the top-level window with the program's caption. With
// `pid` given, only that process's; otherwise a visible one is preferred
// (a second copy's window may exist hidden while it gives way).
Found FindMain(DWORD pid = 0);
HWND FindControl(HWND window, ny::Ctl c);
const ny::ControlDesign* DesignByName(const std::string& name);
HWND MainOrDie();
HWND ControlOrDie(const std::string& name);
// A popup of the program (calendar or time picker), nullptr when not open.
HWND FindPopup(DWORD pid, HWND main, ny::Ctl window);
HWND PopupOrDie(ny::Ctl window);
// The control of the design named `name`, in the main window or in its
// popup (which must be open); nullptr when it is not there. `design`: its
// design, nullptr when no control has that name (said, and then nullptr).
HWND DesignedControl(const std::string& name, const ny::ControlDesign** design = nullptr);
// Visible message boxes (dialog class), newest first as EnumWindows gives
// them; those of process `pid` only when it is not 0.
std::vector<HWND> Boxes(DWORD pid);
std::wstring BoxText(HWND box);

bool WaitFor(int ms, const std::function<bool()>& cond);
// Until the program has handled the input sent to it (or 3 s have passed).
void Settle(HWND main);

// ---- memory in the program's process (for list view and tab messages) ----

class Remote {
public:
    Remote(HWND inWindowOf, size_t size);
    ~Remote();
    Remote(const Remote&) = delete;
    Remote& operator=(const Remote&) = delete;
    void* at(size_t offset = 0) const { return static_cast<char*>(mem_) + offset; }
    void put(const void* data, size_t n, size_t offset = 0);
    void get(void* data, size_t n, size_t offset = 0) const;

private:
    HANDLE process_ = nullptr;
    void* mem_ = nullptr;
};

int ListRows(HWND list);
std::wstring ListCell(HWND list, int row, int col);
// A part of a row (LVIR_BOUNDS: the whole; LVIR_ICON: its icon's place),
// in the list's client coordinates.
RECT ListRowRect(HWND list, int row, LONG part = LVIR_BOUNDS);
// A point on a row's time text, and on its check box, on the screen.
POINT ListRowPoint(HWND list, int row);
POINT ListCheckBoxPoint(HWND list, int row);
RECT TabItemRect(HWND tab, int index);

// ---- real input -----------------------------------------------------------

void MouseClick(int x, int y, bool right = false);
// The pointer moved to (x, y), no button pressed.
void MouseMove(int x, int y);
void Key(WORD vk);
// A key pressed while `held` keys are down.
void KeyWith(const std::vector<WORD>& held, WORD vk);

}  // namespace probe
