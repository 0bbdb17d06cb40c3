// The date and time popups of the entry field: opened by real clicks in
// the field, driven with clicks on the grid and the calendar's days and with
// real keys, and reported (which is open, where, the entry's text and caret).

#include "probe_commands.h"
#include "probe_common.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace probe {

namespace {

const ny::Ctl kPopups[] = {ny::Ctl::CalendarWindow, ny::Ctl::TimePickerWindow};

// The open popup (the first one found) and how many are open.
HWND OpenPopupWindow(HWND main, ny::Ctl* which, int* count) {
    HWND found = nullptr;
    *count = 0;
    for (ny::Ctl w : kPopups)
        if (HWND h = FindPopup(PidOf(main), main, w)) {
            ++*count;
            if (!found) found = h, *which = w;
        }
    return found;
}

// What is open: which popup, where, the entry field's place and the screen's
// work area, the unit label of the time grid, the entry's text and caret.
int ReportPopup(HWND main) {
    Settle(main);
    ny::Ctl which = ny::Ctl::None;
    int count = 0;
    HWND p = OpenPopupWindow(main, &which, &count);
    HWND edit = FindControl(main, ny::Ctl::编辑框1);
    Out(std::string("popup=") + (!p ? "none" : which == ny::Ctl::CalendarWindow ? "calendar" : "timepicker"));
    Out("popups=" + std::to_string(count));
    if (p) Out("rect=" + RectOf(p));
    Out("field=" + RectOf(edit));
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(edit, MONITOR_DEFAULTTONEAREST), &mi);
    Out("work=" + std::to_string(mi.rcWork.left) + " " + std::to_string(mi.rcWork.top) + " " +
        std::to_string(mi.rcWork.right) + " " + std::to_string(mi.rcWork.bottom));
    if (p && which == ny::Ctl::TimePickerWindow)
        if (HWND l = FindControl(p, ny::Ctl::透明标签1)) Out("label=" + U8(WindowText(l)));
    Out("enabled=" + std::to_string(IsWindowEnabled(edit) ? 1 : 0));
    Out("entry=" + OneLine(U8(WindowText(edit))));
    const LRESULT sel = SendMessageW(edit, EM_GETSEL, 0, 0);
    Out("caret=" + std::to_string(LOWORD(sel)));
    return 0;
}

// Waits a little for the popup to close (or not), then reports.
int AfterPopupClick(HWND popup) {
    WaitFor(600, [&] { return !IsWindow(popup) || !IsWindowVisible(popup); });
    return ReportPopup(MainOrDie());
}

// The month calendar's selected day.
SYSTEMTIME CalendarSelection(HWND cal) {
    Remote r(cal, sizeof(SYSTEMTIME));
    SYSTEMTIME st{};
    SendMessageW(cal, MCM_GETCURSEL, 0, LPARAM(r.at()));
    r.get(&st, sizeof st);
    return st;
}

}  // namespace

// Opens a popup as the user does: a click in the entry field with the
// caret at `chars` (the date part opens the calendar, the time the grid).
HWND OpenPopup(HWND main, ny::Ctl window, int chars) {
    HWND edit = FindControl(main, ny::Ctl::编辑框1);
    if (!edit) return nullptr;
    const DWORD pid = PidOf(main);
    // Where character `chars` is: EM_POSFROMCHAR gives client coordinates.
    LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(chars), 0);
    POINT p{short(LOWORD(pos)) + 1, short(HIWORD(pos)) + 4};
    ClientToScreen(edit, &p);
    MouseClick(p.x, p.y);
    HWND popup = nullptr;
    WaitFor(3000, [&] { return (popup = FindPopup(pid, main, window)) != nullptr; });
    return popup;
}

// A real click in the entry field at character `chars`, then what opened.
int CmdEntryClick(int chars) {
    HWND main = MainOrDie();
    HWND edit = FindControl(main, ny::Ctl::编辑框1);
    // With a larger system font (a Chinese locale) the field is too narrow
    // for the whole time: bring the character into view first, as a user
    // scrolls the field with the keyboard before clicking.
    const LRESULT shown = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(chars), 0);
    RECT inside;
    GetClientRect(edit, &inside);
    if (shown == -1 || short(LOWORD(shown)) + 1 >= inside.right || short(LOWORD(shown)) < 0) {
        SendMessageW(edit, EM_SETSEL, WPARAM(chars), LPARAM(chars));
        SendMessageW(edit, EM_SCROLLCARET, 0, 0);
    }
    LRESULT pos = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(chars), 0);
    if (pos == -1) {  // after the last character: just behind the text
        pos = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(chars - 1), 0);
        pos = MAKELONG(LOWORD(pos) + 6, HIWORD(pos));
    }
    POINT p{short(LOWORD(pos)) + 1, short(HIWORD(pos)) + 4};
    RECT client;
    GetClientRect(edit, &client);
    if (!PtInRect(&client, p)) {
        Out("BAD character " + std::to_string(chars) + " is not in view in the field");
        return 1;
    }
    ClientToScreen(edit, &p);
    // The popup this click replaces, if any, must be gone first.
    ny::Ctl which;
    int count = 0;
    HWND before = OpenPopupWindow(main, &which, &count);
    MouseClick(p.x, p.y);
    WaitFor(3000, [&] {
        HWND now = OpenPopupWindow(main, &which, &count);
        return now && now != before;
    });
    std::this_thread::sleep_for(100ms);  // let it fill and paint
    return ReportPopup(main);
}

int CmdPopup() { return ReportPopup(MainOrDie()); }

// A real click on the time grid's cell that shows `value` (cells run row by
// row from 00, as many columns as the design's width holds).
int CmdGridClick(int value) {
    HWND p = PopupOrDie(ny::Ctl::TimePickerWindow);
    HWND grid = FindControl(p, ny::Ctl::时间高级表格);
    const ny::ControlDesign* d = ny::FindDesign(ny::Ctl::时间高级表格);
    const int cols = d->w / 24;
    POINT pt{value % cols * 24 + 12, value / cols * 24 + 12};
    ClientToScreen(grid, &pt);
    MouseClick(pt.x, pt.y);
    return AfterPopupClick(p);
}

// A real click in the middle of a control of the open popup (or the main window).
int CmdPress(const std::string& name) {
    const ny::ControlDesign* d = nullptr;
    HWND h = DesignedControl(name, &d);
    if (!d) return 2;
    HWND main = MainOrDie();
    RECT r{};
    GetWindowRect(h, &r);
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    std::this_thread::sleep_for(150ms);
    return ReportPopup(main);
}

// The pointer moved onto a control's middle, as before a click.
int CmdHover(const std::string& name) {
    const ny::ControlDesign* d = DesignByName(name);
    if (!d) {
        Out("BAD no control named " + name);
        return 2;
    }
    HWND h = FindControl(MainOrDie(), d->id);
    RECT r{};
    GetWindowRect(h, &r);
    MouseMove((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Out("hover_unix=" + UnixNow());
    return 0;
}

// Real key presses: digits as themselves, or left, right, up, down, enter,
// esc, backspace, delete, tab, space, end, apps, f10, each with any of the
// prefixes ctrl+ and shift+ (held while it is pressed).
int CmdKeys(const std::vector<std::string>& keys) {
    const std::map<std::string, WORD> named = {
        {"left", VK_LEFT},   {"right", VK_RIGHT}, {"enter", VK_RETURN},    {"esc", VK_ESCAPE},
        {"backspace", VK_BACK}, {"delete", VK_DELETE}, {"up", VK_UP},     {"down", VK_DOWN},
        {"tab", VK_TAB},     {"space", VK_SPACE}, {"end", VK_END},        {"apps", VK_APPS},
        {"f10", VK_F10}};
    for (std::string k : keys) {
        std::vector<WORD> held;
        for (auto [prefix, vk] : {std::pair{"ctrl+", VK_CONTROL}, std::pair{"shift+", VK_SHIFT}})
            while (k.rfind(prefix, 0) == 0) {
                held.push_back(WORD(vk));
                k = k.substr(std::strlen(prefix));
            }
        if (auto it = named.find(k); it != named.end()) {
            KeyWith(held, it->second);
            continue;
        }
        for (char c : k) Key(WORD(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c));
    }
    std::this_thread::sleep_for(200ms);
    return ReportPopup(MainOrDie());
}

int CmdCalDate() {
    HWND cal = FindControl(PopupOrDie(ny::Ctl::CalendarWindow), ny::Ctl::月历);
    const SYSTEMTIME st = CalendarSelection(cal);
    char buf[32];
    std::snprintf(buf, sizeof buf, "date=%04d-%02d-%02d", st.wYear, st.wMonth, st.wDay);
    Out(buf);
    return 0;
}

// A real click on a day of the month calendar. The day's place is found by
// asking the calendar what lies under points of its face (so neither the
// language of its titles nor its layout matter): the middle of the points
// that hit that date.
int CmdCalDay(const std::string& date) {
    int y = 0, m = 0, d = 0;
    if (std::sscanf(date.c_str(), "%d-%d-%d", &y, &m, &d) != 3) return 2;
    HWND popup = PopupOrDie(ny::Ctl::CalendarWindow);
    HWND cal = FindControl(popup, ny::Ctl::月历);
    RECT cr{};
    GetClientRect(cal, &cr);
    Remote r(cal, sizeof(MCHITTESTINFO));
    long sx = 0, sy = 0, n = 0;
    for (int py = 0; py < cr.bottom; py += 3)
        for (int px = 0; px < cr.right; px += 3) {
            MCHITTESTINFO ht{};
            ht.cbSize = sizeof ht;
            ht.pt = {px, py};
            r.put(&ht, sizeof ht);
            const LRESULT hit = SendMessageW(cal, MCM_HITTEST, 0, LPARAM(r.at()));
            // Days of this month, and the greyed ones of the months beside it.
            if ((hit & MCHT_CALENDARDATE) != MCHT_CALENDARDATE || (hit & 0xFF) != 1) continue;
            r.get(&ht, sizeof ht);
            if (ht.st.wYear == y && ht.st.wMonth == m && ht.st.wDay == d) sx += px, sy += py, ++n;
        }
    if (!n) {
        Out("BAD the calendar shows no day " + date);
        return 1;
    }
    POINT pt{int(sx / n), int(sy / n)};
    ClientToScreen(cal, &pt);
    Out("day_at=" + std::to_string(pt.x) + " " + std::to_string(pt.y));
    MouseClick(pt.x, pt.y);
    return AfterPopupClick(popup);
}

}  // namespace probe
