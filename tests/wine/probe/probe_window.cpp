// The main window, its controls and its list, driven and read as a user
// would: waiting for it, its place and state, clicks, texts, tab pages,
// the list's rows and check boxes, and what other programs may send it.

#include "probe_commands.h"
#include "probe_common.h"

#include <cstring>
#include <string>
#include <thread>

#include "host/alarmlist.h"

namespace probe {

namespace {

// A row as the user reads it: the minute (and its repeat rule after two
// blanks, from the rule's own column), tone, prompt, state.
std::string RowText(HWND list, int row) {
    std::string minute = OneLine(U8(ListCell(list, row, ny::col::kMinute)));
    const std::string rule = OneLine(U8(ListCell(list, row, ny::col::kRepeat)));
    if (!rule.empty()) minute += "  " + rule;
    return minute + "|" + OneLine(U8(ListCell(list, row, ny::col::kTone))) + "|" +
           OneLine(U8(ListCell(list, row, ny::col::kPrompt))) + "|" +
           OneLine(U8(ListCell(list, row, ny::col::kState)));
}

// "row N: " and the row as the user reads it.
std::string RowLine(HWND list, int row) {
    return "row " + std::to_string(row) + ": " + RowText(list, row);
}

}  // namespace

int CmdWaitMain(int ms) {
    Out("waiting");  // lets a script start the program once the probe watches
    Found m;
    bool ok = WaitFor(ms, [&] {
        m = FindMain(g_pid);
        return m.hwnd && IsWindowVisible(m.hwnd);
    });
    if (!ok) {
        Out("BAD main window not shown within " + std::to_string(ms) + " ms");
        return 1;
    }
    // Shown is not enough: wait until it answers, i.e. start-up has finished.
    DWORD_PTR res = 0;
    SendMessageTimeoutW(m.hwnd, WM_NULL, 0, 0, SMTO_NORMAL, DWORD(ms), &res);
    Out("hwnd=" + std::to_string(reinterpret_cast<uintptr_t>(m.hwnd)));
    Out("pid=" + std::to_string(m.pid));
    Out("seen_unix=" + UnixNow());
    return 0;
}

int CmdMain() {
    Found m = FindMain(g_pid);
    if (!m.hwnd) {
        Out("main=none");
        return 1;
    }
    Out("hwnd=" + std::to_string(reinterpret_cast<uintptr_t>(m.hwnd)));
    Out("pid=" + std::to_string(m.pid));
    Out(std::string("visible=") + (IsWindowVisible(m.hwnd) ? "1" : "0"));
    Out(std::string("minimised=") + (IsIconic(m.hwnd) ? "1" : "0"));
    RECT r;
    GetWindowRect(m.hwnd, &r);
    Out("rect=" + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
    return 0;
}

int CmdMoveMain(int x, int y) {
    HWND main = MainOrDie();
    SetWindowPos(main, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor(2000, [&] {
        RECT r;
        GetWindowRect(main, &r);
        return r.left == x && r.top == y;
    });
    return CmdMain();
}

// The title bar's close button, as the window manager reports it.
int CmdClose() {
    PostMessageW(MainOrDie(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Out("close requested");
    return 0;
}

int CmdMinimise() {
    PostMessageW(MainOrDie(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    Out("minimise requested");
    return 0;
}

// Every top-level window: for finding out what is on the screen.
int CmdWindows() {
    for (HWND h : TopLevelWindows()) {
        RECT r;
        GetWindowRect(h, &r);
        Out("window pid=" + std::to_string(PidOf(h)) + " class=" + U8(ClassOf(h)) +
            " visible=" + (IsWindowVisible(h) ? "1" : "0") + " rect=" +
            RectText(r.left, r.top, r.right - r.left, r.bottom - r.top) +
            " text=" + OneLine(U8(WindowText(h))));
        for (HWND c : Descendants(h)) {
            GetWindowRect(c, &r);
            Out("  child id=" + std::to_string(GetDlgCtrlID(c)) + " class=" + U8(ClassOf(c)) +
                " visible=" + (IsWindowVisible(c) ? "1" : "0") + " rect=" +
                RectText(r.left, r.top, r.right - r.left, r.bottom - r.top));
        }
    }
    return 0;
}

// What another program may throw at the window: a posted WM_NOTIFY and a
// posted WM_DPICHANGED whose pointers point nowhere, then a 20 MB
// WM_COPYDATA. The program must still be there afterwards.
int CmdHostile() {
    HWND main = MainOrDie();
    const LPARAM nowhere = LPARAM(0x10);
    const LPARAM unmapped = LPARAM(uintptr_t(0xDEAD0000u));
    bool posted = PostMessageW(main, WM_NOTIFY, 0, nowhere) &&
                  PostMessageW(main, WM_NOTIFY, 1000, unmapped) &&
                  PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(144, 144), unmapped) &&
                  PostMessageW(main, WM_DPICHANGED, MAKEWPARAM(96, 96), nowhere);
    Out(std::string("posted=") + (posted ? "1" : "0"));
    std::string big(20u << 20, 'x');
    COPYDATASTRUCT cds{1, DWORD(big.size()), big.data()};
    DWORD_PTR res = 0;
    const bool answered = SendMessageTimeoutW(main, WM_COPYDATA, 0, LPARAM(&cds), SMTO_NORMAL,
                                              30000, &res) != 0;
    Out(std::string("copydata_answered=") + (answered ? "1" : "0"));
    return posted ? 0 : 1;
}

// Picks item `index` of a combo box, as its drop-down list would.
int CmdPick(const std::string& name, int index) {
    HWND h = ControlOrDie(name);
    SendMessageW(h, CB_SETCURSEL, WPARAM(index), 0);
    Out("text=" + OneLine(U8(WindowText(h))));
    return SendMessageW(h, CB_GETCURSEL, 0, 0) == index ? 0 : 1;
}

int CmdClick(const std::string& name) {
    HWND b = ControlOrDie(name);
    // Posted: the click's handler may open a message box, which must not
    // hold this probe up.
    PostMessageW(b, BM_CLICK, 0, 0);
    Out("clicked " + name);
    Out("click_unix=" + UnixNow());  // for timing what the click does
    return 0;
}

int CmdSetText(const std::string& name, const std::string& text) {
    HWND h = ControlOrDie(name);
    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(text).c_str()));
    Out("text=" + OneLine(U8(WindowText(h))));
    return U8(WindowText(h)) == text ? 0 : 1;
}

// Pastes `n` characters into a control as a user would (clipboard, then
// WM_PASTE, which keeps to the control's text limit) and tells how many it
// holds afterwards.
int CmdPaste(const std::string& name, int n) {
    HWND h = ControlOrDie(name);
    std::wstring text;
    for (int i = 0; i < n; ++i) text += i % 100 == 99 ? L'|' : L'闹';
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    std::memcpy(GlobalLock(mem), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(mem);
    if (!OpenClipboard(nullptr)) {
        Out("BAD clipboard");
        return 1;
    }
    EmptyClipboard();
    SetClipboardData(CF_UNICODETEXT, mem);
    CloseClipboard();
    SendMessageW(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    SendMessageW(h, WM_PASTE, 0, 0);
    const LRESULT got = SendMessageW(h, WM_GETTEXTLENGTH, 0, 0);
    Out("length=" + std::to_string(got));
    return got == n ? 0 : 1;
}

int CmdText(const std::string& name) {
    Out("text=" + OneLine(U8(WindowText(ControlOrDie(name)))));
    return 0;
}

int CmdState(const std::string& name) {
    HWND h = ControlOrDie(name);
    Out(std::string("enabled=") + (IsWindowEnabled(h) ? "1" : "0"));
    Out(std::string("visible=") + (IsWindowVisible(h) ? "1" : "0"));
    return 0;
}

// The clicked tab page, as the user clicks it.
int CmdTab(int index) {
    HWND tab = ControlOrDie("选择夹1");
    RECT rc = TabItemRect(tab, index);
    POINT p{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    ClientToScreen(tab, &p);
    MouseClick(p.x, p.y);
    bool ok = WaitFor(2000, [&] { return SendMessageW(tab, TCM_GETCURSEL, 0, 0) == index; });
    Out("tab=" + std::to_string(SendMessageW(tab, TCM_GETCURSEL, 0, 0)));
    return ok ? 0 : 1;
}

// The tab page made current the way a screen reader's tab proxy does it:
// TCM_SETCURFOCUS sent to the tab control, no input.
int CmdTabFocus(int index) {
    HWND tab = ControlOrDie("选择夹1");
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutW(tab, TCM_SETCURFOCUS, WPARAM(index), 0, SMTO_NORMAL, 5000, &res)) {
        Out("BAD the tab control did not answer");
        return 1;
    }
    Out("tab=" + std::to_string(SendMessageW(tab, TCM_GETCURSEL, 0, 0)));
    return 0;
}

// 铃声路径 shows the end of its path (the last character in view), and
// the mouse resting on it (disabled as it is) shows the whole path as a tip.
int CmdPathTip() {
    HWND main = MainOrDie();
    HWND edit = ControlOrDie("铃声路径");
    // The field draws the path compacted, but its text stays the whole path.
    const std::wstring text = WindowText(edit);
    Out("path=" + U8(text));
    int bad = 0;
    if (text.empty() || text.find(L'\x2026') != std::wstring::npos) {
        Out("BAD the field's text is not the whole path");
        ++bad;
    }
    RECT r;
    GetWindowRect(edit, &r);
    std::wstring tip;
    MouseMove((r.left + r.right) / 2 - 1, (r.top + r.bottom) / 2);
    std::this_thread::sleep_for(100ms);
    MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    const bool shown = WaitFor(5000, [&] {
        for (HWND h : TopLevelWindows())
            if (PidOf(h) == PidOf(main) && ClassOf(h) == L"tooltips_class32" && IsWindowVisible(h))
                return !(tip = WindowText(h)).empty();
        return false;
    });
    Out("tip=" + U8(tip));
    if (!shown || tip != text) {
        Out("BAD no tip with the whole path");
        ++bad;
    }
    return bad ? 1 : 0;
}

int CmdList() {
    HWND list = ControlOrDie("超级列表框1");
    const int n = ListRows(list);
    Out("rows=" + std::to_string(n));
    for (int r = 0; r < n; ++r) Out(RowLine(list, r));
    return 0;
}

// One row of the list and the count, read as a screen reader reads them
// (a whole list of 100,000 rows would take minutes).
int CmdListRow(int row) {
    HWND list = ControlOrDie("超级列表框1");
    Out("rows=" + std::to_string(ListRows(list)));
    Out(RowLine(list, row));
    return 0;
}

// Selects row `row` of the alarm list with a real click.
int CmdListSelect(int row) {
    HWND list = ControlOrDie("超级列表框1");
    // A row of a long list may be scrolled out of view: bring it in first.
    SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    POINT p = ListRowPoint(list, row);
    MouseClick(p.x, p.y);
    const bool ok = WaitFor(2000, [&] {
        return SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), MAKELPARAM(LVNI_SELECTED, 0)) == row;
    });
    Out("selected=" + std::to_string(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1),
                                                  MAKELPARAM(LVNI_SELECTED, 0))));
    return ok ? 0 : 1;
}

// Clicks row `row`'s check box with the mouse.
int CmdListCheck(int row) {
    HWND list = ControlOrDie("超级列表框1");
    SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    POINT p = ListCheckBoxPoint(list, row);
    MouseClick(p.x, p.y);
    Out("clicked check box of row " + std::to_string(row));
    return 0;
}

}  // namespace probe
