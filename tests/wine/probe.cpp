// ny_probe: drives and inspects the running program from the outside, as a
// second Windows process in the same Wine prefix and display. The shell
// scripts of the end-to-end tests call it once per step; it prints what it
// finds as plain "key=value" or "ok"/"BAD" lines in UTF-8 and exits 0 on
// success, 1 when what it checks is not so, 2 on a usage error.
//
// The program's windows are found by caption and process, its controls by
// their control id (the control's number in the design), and the expected places
// come from the same design tables the program builds its windows from.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <oleacc.h>
#include <shlobj.h>
#include <mmsystem.h>
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "host/alarmlist.h"
#include "host/host.h"
#include "host/layout.h"
#include "host/uitexts.h"
#include "store/alarmstore.h"
#include "store/recordfile.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// ---- text ---------------------------------------------------------------

std::string U8(std::wstring_view w) {
    if (w.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
    return s;
}

std::wstring W(std::string_view s) {
    if (s.empty()) return {};
    int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), nullptr, 0);
    std::wstring w(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, s.data(), int(s.size()), w.data(), n);
    return w;
}

void Out(const std::string& line) {
    std::string s = line + "\n";
    std::fwrite(s.data(), 1, s.size(), stdout);
    std::fflush(stdout);
}

// Newlines inside texts would break the line format.
std::string OneLine(std::string s) {
    for (char& c : s)
        if (c == '\r' || c == '\n') c = ' ';
    return s;
}

std::wstring WindowText(HWND h) {
    wchar_t buf[4096] = {};
    // WM_GETTEXT rather than GetWindowTextW: the latter does not ask another
    // process's controls for their text. A hung window gives "".
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(h, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG,
                             5000, &copied))
        return {};
    return std::wstring(buf, std::min<size_t>(size_t(copied), wcslen(buf)));
}

std::wstring ClassOf(HWND h) {
    wchar_t buf[256];
    int n = GetClassNameW(h, buf, 256);
    return std::wstring(buf, size_t(n > 0 ? n : 0));
}

// ---- finding the program's windows ----------------------------------------

constexpr wchar_t kMainCaption[] = L"Ny闹钟 v1.5";
constexpr int kCtlIdBase = 0;  // the program uses the control's number as its id

struct Found {
    HWND hwnd = nullptr;
    DWORD pid = 0;
};

DWORD PidOf(HWND h) {
    DWORD pid = 0;
    GetWindowThreadProcessId(h, &pid);
    return pid;
}

std::vector<HWND> TopLevelWindows() {
    std::vector<HWND> all;
    EnumWindows(
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

// The main window: the top-level window with the program's caption. With
// `pid` given, only that process's; otherwise a visible one is preferred
// (a second copy's window may exist hidden while it gives way).
Found FindMain(DWORD pid = 0) {
    Found best;
    for (HWND h : TopLevelWindows()) {
        if (WindowText(h) != kMainCaption) continue;
        if (ClassOf(h) == L"#32770") continue;
        DWORD p = PidOf(h);
        if (pid && p != pid) continue;
        if (!best.hwnd || (IsWindowVisible(h) && !IsWindowVisible(best.hwnd))) best = {h, p};
    }
    return best;
}

std::vector<HWND> Descendants(HWND parent) {
    std::vector<HWND> all;
    EnumChildWindows(
        parent,
        [](HWND h, LPARAM p) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND FindControl(HWND window, ny::Ctl c) {
    for (HWND h : Descendants(window))
        if (GetDlgCtrlID(h) == kCtlIdBase + int(c)) return h;
    return nullptr;
}

const ny::ControlDesign* DesignByName(const std::string& name) {
    for (const auto& d : ny::ControlDesigns())
        if (d.name == name) return &d;
    return nullptr;
}

DWORD g_pid = 0;  // --pid: the process whose windows count

HWND MainOrDie() {
    Found m = FindMain(g_pid);
    if (!m.hwnd) {
        Out("BAD no main window");
        std::exit(1);
    }
    return m.hwnd;
}

HWND ControlOrDie(const std::string& name) {
    const ny::ControlDesign* d = DesignByName(name);
    if (!d) {
        Out("BAD no control named " + name + " in the design");
        std::exit(2);
    }
    HWND h = FindControl(MainOrDie(), d->id);
    if (!h) {
        Out("BAD control " + name + " not found (id " + std::to_string(kCtlIdBase + int(d->id)) +
            ")");
        std::exit(1);
    }
    return h;
}

bool WaitFor(int ms, const std::function<bool()>& cond) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (cond()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
}

// Visible message boxes (dialog class), newest first as EnumWindows gives
// them; those of process `pid` only when it is not 0.
std::vector<HWND> Boxes(DWORD pid) {
    std::vector<HWND> r;
    for (HWND h : TopLevelWindows())
        if (ClassOf(h) == L"#32770" && IsWindowVisible(h) && (!pid || PidOf(h) == pid))
            r.push_back(h);
    return r;
}

std::wstring BoxText(HWND box) {
    // A message box's text is its static control 0xFFFF.
    HWND t = GetDlgItem(box, 0xFFFF);
    return t ? WindowText(t) : L"";
}

// ---- memory in the program's process (for list view and tab messages) ----

class Remote {
public:
    Remote(HWND inWindowOf, size_t size) {
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                               PidOf(inWindowOf));
        if (process_)
            mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE,
                                  PAGE_READWRITE);
        if (!mem_) {
            Out("BAD cannot reach the program's memory");
            std::exit(1);
        }
    }
    ~Remote() {
        VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    void* at(size_t offset = 0) const { return static_cast<char*>(mem_) + offset; }
    void put(const void* data, size_t n, size_t offset = 0) {
        WriteProcessMemory(process_, at(offset), data, n, nullptr);
    }
    void get(void* data, size_t n, size_t offset = 0) const {
        ReadProcessMemory(process_, at(offset), data, n, nullptr);
    }

private:
    HANDLE process_ = nullptr;
    void* mem_ = nullptr;
};

int ListRows(HWND list) { return int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)); }

std::wstring ListCell(HWND list, int row, int col) {
    constexpr size_t kChars = 1024;
    Remote r(list, sizeof(LVITEMW) + kChars * sizeof(wchar_t));
    LVITEMW it{};
    it.iSubItem = col;
    it.cchTextMax = kChars;
    it.pszText = static_cast<wchar_t*>(r.at(sizeof(LVITEMW)));
    r.put(&it, sizeof it);
    LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(row), LPARAM(r.at()));
    std::wstring s(kChars, L'\0');
    r.get(s.data(), kChars * sizeof(wchar_t), sizeof(LVITEMW));
    s.resize(std::min<size_t>(size_t(n), kChars));
    return s;
}

// A part of a row (LVIR_BOUNDS: the whole; LVIR_ICON: its icon's place).
RECT ListRowRect(HWND list, int row, LONG part = LVIR_BOUNDS) {
    Remote r(list, sizeof(RECT));
    RECT rc{part, 0, 0, 0};
    r.put(&rc, sizeof rc);
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(r.at()));
    r.get(&rc, sizeof rc);
    return rc;  // client coordinates of the list
}

RECT TabItemRect(HWND tab, int index) {
    Remote r(tab, sizeof(RECT));
    RECT rc{};
    SendMessageW(tab, TCM_GETITEMRECT, WPARAM(index), LPARAM(r.at()));
    r.get(&rc, sizeof rc);
    return rc;
}

// ---- real input -----------------------------------------------------------

// The pointer is moved by the same input stream as the press, so the press
// cannot land where the pointer was before (SetCursorPos alone may not have
// taken effect yet under Wine).
void MouseClick(int x, int y, bool right = false) {
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((x * 65536LL + cx / 2) / cx);
    in.mi.dy = LONG((y * 65536LL + cy / 2) / cy);
    const DWORD at = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    in.mi.dwFlags = at;
    SendInput(1, &in, sizeof in);
    for (int i = 0; i < 25; ++i) {
        POINT p;
        GetCursorPos(&p);
        if (p.x == x && p.y == y) break;
        std::this_thread::sleep_for(20ms);
    }
    std::this_thread::sleep_for(30ms);
    in.mi.dwFlags = at | (right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    SendInput(1, &in, sizeof in);
    std::this_thread::sleep_for(30ms);
    in.mi.dwFlags = at | (right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    SendInput(1, &in, sizeof in);
    std::this_thread::sleep_for(30ms);
}

// ---- files for reading and writing record files --------------------------
// RecordFile reaches files only through FileOps; this one keeps what is
// written in memory until flush() (a record file rewrites itself whole on
// every change, and a large test store would otherwise take minutes).

class FileHost final : public ny::FileOps {
public:
    std::optional<std::string> readFile(const std::string& path, std::string* reason) override {
        if (auto p = files_.find(path); p != files_.end()) return p->second;
        HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
        if (f == INVALID_HANDLE_VALUE) {
            if (reason) *reason = "error " + std::to_string(GetLastError());
            return std::nullopt;
        }
        std::string data;
        char buf[65536];
        DWORD got = 0;
        while (ReadFile(f, buf, sizeof buf, &got, nullptr) && got) data.append(buf, got);
        CloseHandle(f);
        return data;
    }
    ny::IoResult probeFile(const std::string& path) override {
        if (files_.count(path) || GetFileAttributesW(W(path).c_str()) != INVALID_FILE_ATTRIBUTES)
            return {};
        return {false, "not found", ny::IoFailure::NotFound};
    }
    ny::IoResult createFile(const std::string& path, int64_t* handle) override {
        open_.push_back(path);
        files_[path].clear();
        *handle = int64_t(open_.size() - 1);
        return {};
    }
    ny::IoResult writeHandle(int64_t handle, std::string_view bytes) override {
        files_[open_[size_t(handle)]] += bytes;
        return {};
    }
    ny::IoResult flushHandle(int64_t) override { return {}; }
    ny::IoResult closeHandle(int64_t) override { return {}; }
    ny::IoResult renameFile(const std::string& from, const std::string& to, bool) override {
        files_[to] = std::move(files_[from]);
        files_.erase(from);
        return {};
    }
    ny::IoResult removeFile(const std::string& path) override {
        files_.erase(path);
        return {};
    }
    void pauseBeforeRetry(int64_t) override {}

    ny::IoResult flush() {
        for (auto& [path, bytes] : files_) {
            HANDLE f = CreateFileW(W(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                   nullptr);
            if (f == INVALID_HANDLE_VALUE)
                return {false, "error " + std::to_string(GetLastError())};
            DWORD put = 0;
            BOOL ok = WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
            CloseHandle(f);
            if (!ok || put != bytes.size()) return {false, "write failed"};
        }
        files_.clear();
        return {};
    }

private:
    std::map<std::string, std::string> files_;
    std::vector<std::string> open_;
};

// The alarm store's fields, as the program creates them.
const std::vector<ny::FieldDef>& AlarmFields() { return ny::AlarmFields(); }

// ---- commands ---------------------------------------------------------------

std::string RectText(int x, int y, int w, int h) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
           std::to_string(h);
}

bool Measured(ny::Kind k) {
    using ny::Kind;
    return k != Kind::Timer && k != Kind::FileDialog && k != Kind::Menu && k != Kind::MenuItem &&
           k != Kind::Window;
}

// The DPI the program is expected to lay its windows out for: 96 is the
// design itself, exactly; at any other, every length is the design's times
// DPI / 96, give or take a pixel of rounding.
int g_dpi = 96;
int Scaled(int v) { return MulDiv(v, g_dpi, 96); }
bool Near(int got, int design) {
    const int want = Scaled(design);
    return g_dpi == 96 ? got == want : std::abs(got - want) <= 1;
}

// Checks every control of one window against its design. Returns the number
// of mismatches.
// `at`: where the window's top-left corner belongs on the screen.
int CheckWindowLayout(ny::Ctl window, HWND hwnd, POINT at) {
    int bad = 0;
    const ny::WindowDesign& wd = ny::WindowDesignOf(window);
    RECT wr;
    GetWindowRect(hwnd, &wr);
    const int ww = wr.right - wr.left, wh = wr.bottom - wr.top;
    if (!Near(ww, wd.w) || !Near(wh, wd.h) || wr.left != at.x || wr.top != at.y) {
        Out("BAD window " + std::to_string(int(window)) + " expected " +
            RectText(at.x, at.y, Scaled(wd.w), Scaled(wd.h)) + " got " +
            RectText(wr.left, wr.top, ww, wh));
        ++bad;
    } else {
        Out("ok window " + std::to_string(int(window)) + " " +
            RectText(wr.left, wr.top, ww, wh));
    }
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    for (const auto& d : ny::ControlDesigns()) {
        if (d.window != window || !Measured(d.kind)) continue;
        const std::string name(d.name);
        HWND h = FindControl(hwnd, d.id);
        if (!h) {
            Out("BAD " + name + " missing");
            ++bad;
            continue;
        }
        POINT origin = client;
        if (d.origin != window) {
            HWND o = FindControl(hwnd, d.origin);
            RECT orc{};
            if (o) GetWindowRect(o, &orc);
            origin = {orc.left, orc.top};
        }
        RECT r;
        GetWindowRect(h, &r);
        const int x = r.left - origin.x, y = r.top - origin.y;
        const int w = r.right - r.left, hgt = r.bottom - r.top;
        if (!Near(x, d.x) || !Near(y, d.y) || !Near(w, d.w) || !Near(hgt, d.h)) {
            Out("BAD " + name + " expected " +
                RectText(Scaled(d.x), Scaled(d.y), Scaled(d.w), Scaled(d.h)) + " got " +
                RectText(x, y, w, hgt));
            ++bad;
        } else {
            Out("ok " + name + " " + RectText(x, y, w, hgt));
        }
    }
    return bad;
}

// A popup of the program: a visible top-level window of its process with
// that window's class (the calendar popup takes the size its calendar asks
// for, so the size cannot tell it).
HWND FindPopup(DWORD pid, HWND main, ny::Ctl window) {
    const wchar_t* cls =
        window == ny::Ctl::CalendarWindow ? L"NyCalendarWindow" : L"NyTimePickerWindow";
    for (HWND h : TopLevelWindows()) {
        if (h == main || PidOf(h) != pid || !IsWindowVisible(h) || ClassOf(h) != cls) continue;
        return h;
    }
    return nullptr;
}

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

std::string RectOf(HWND h);
void Settle(HWND main);

// Where the month calendar draws a title button (MCHT_TITLEBTNPREV or
// NEXT): the first of its points found in the top half, on a 3-px raster
// (finer than any arrow), grown pixel by pixel to its edges.
RECT CalendarPart(HWND cal, LRESULT part) {
    RECT c;
    GetClientRect(cal, &c);
    Remote r(cal, sizeof(MCHITTESTINFO));
    auto hit = [&](int x, int y) {
        MCHITTESTINFO ht{};
        ht.cbSize = MCHITTESTINFO_V1_SIZE;
        ht.pt = {x, y};
        r.put(&ht, sizeof ht);
        return SendMessageW(cal, MCM_HITTEST, 0, LPARAM(r.at())) == part;
    };
    for (int y = 0; y < c.bottom / 2; y += 3)
        for (int x = 0; x < c.right; x += 3) {
            if (!hit(x, y)) continue;
            RECT f{x, y, x + 1, y + 1};
            while (f.left > 0 && hit(f.left - 1, y)) --f.left;
            while (f.right < c.right && hit(f.right, y)) ++f.right;
            const int mid = (f.left + f.right) / 2;
            while (f.top > 0 && hit(mid, f.top - 1)) --f.top;
            while (f.bottom < c.bottom && hit(mid, f.bottom)) ++f.bottom;
            return f;
        }
    return {};
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT i;
    return IntersectRect(&i, &a, &b) != FALSE;
}

bool Inside(const RECT& in, const RECT& out) {
    return in.left >= out.left && in.top >= out.top && in.right <= out.right &&
           in.bottom <= out.bottom;
}

// The calendar popup shows all of its calendar: the calendar's minimum
// rectangle (what it needs to draw every part) fits in the calendar, the
// calendar in the popup's client area, and the month arrows and year buttons
// are inside it, side by side, none covering another. Returns mismatches.
int CheckCalendar(HWND popup) {
    int bad = 0;
    HWND cal = FindControl(popup, ny::Ctl::月历);
    if (!cal) {
        Out("BAD 月历 missing");
        return 1;
    }
    Remote r(cal, sizeof(RECT));
    SendMessageW(cal, MCM_GETMINREQRECT, 0, LPARAM(r.at()));
    RECT need{};
    r.get(&need, sizeof need);
    RECT client, cr;
    GetClientRect(popup, &client);
    GetWindowRect(cal, &cr);
    MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&cr), 2);
    const int nw = need.right - need.left, nh = need.bottom - need.top;
    const std::string got = RectText(cr.left, cr.top, cr.right - cr.left, cr.bottom - cr.top);
    if (cr.right - cr.left < nw || cr.bottom - cr.top < nh || !Inside(cr, client)) {
        Out("BAD 月历 " + got + " in a client area of " + RectText(0, 0, client.right, client.bottom) +
            ", it needs " + std::to_string(nw) + "x" + std::to_string(nh));
        ++bad;
    } else {
        Out("ok 月历 " + got + " needs " + std::to_string(nw) + "x" + std::to_string(nh));
    }
    RECT outer;
    GetWindowRect(popup, &outer);
    if (outer.right - outer.left != client.right + 2 || outer.bottom - outer.top != client.bottom + 2) {
        Out("BAD the calendar popup has no 1-px border: " + RectOf(popup));
        ++bad;
    }
    std::vector<std::pair<std::string, RECT>> parts;
    for (auto [name, part] : {std::pair{"month back", LRESULT(MCHT_TITLEBTNPREV)},
                              std::pair{"month on", LRESULT(MCHT_TITLEBTNNEXT)}}) {
        RECT a = CalendarPart(cal, part);
        MapWindowPoints(cal, popup, reinterpret_cast<POINT*>(&a), 2);
        parts.push_back({name, a});
    }
    for (ny::Ctl b : {ny::Ctl::左年按钮, ny::Ctl::右年按钮}) {
        RECT br{};
        if (HWND h = FindControl(popup, b)) GetWindowRect(h, &br);
        MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&br), 2);
        parts.push_back({std::string(ny::FindDesign(b)->name), br});
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& [name, rc] = parts[i];
        const bool empty = rc.right <= rc.left || rc.bottom <= rc.top;
        bool clear = !empty && Inside(rc, client);
        for (size_t j = 0; j < parts.size(); ++j)
            if (j != i && Overlap(rc, parts[j].second)) clear = false;
        Out(std::string(clear ? "ok " : "BAD ") + name + " " +
            RectText(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top) +
            (clear ? "" : " is hidden, covered or outside"));
        bad += !clear;
    }
    return bad;
}

// The whole text of the entry field is in view: its first character at or
// after the left edge and the end of its last one inside the client area,
// even after the field was asked to show its end (as typing there does).
int CmdEntryWhole() {
    HWND edit = ControlOrDie("编辑框1");
    const std::wstring text = WindowText(edit);
    const int len = int(text.size());
    RECT client;
    GetClientRect(edit, &client);
    int bad = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            SendMessageW(edit, EM_SETSEL, WPARAM(len), LPARAM(len));
            SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        }
        const LRESULT first = SendMessageW(edit, EM_POSFROMCHAR, 0, 0);
        const LRESULT end = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len), 0);
        // Past the last character the control may give no place (-1): then
        // its right edge is its left plus its advance, which for a digit
        // after a digit is the step between the two.
        int right = end == -1 ? -1 : short(LOWORD(end));
        const int left = short(LOWORD(first));
        if (right == -1 && len >= 2 && iswdigit(text[len - 1]) && iswdigit(text[len - 2])) {
            const int a = short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len - 2), 0)));
            const int b = short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len - 1), 0)));
            right = b + (b - a);
        }
        std::string xs;
        for (int i = 0; i < len; ++i)
            xs += " " + std::to_string(short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(i), 0))));
        Out("text=" + U8(text) + " first_left=" + std::to_string(left) + " last_right=" +
            std::to_string(right) + " client_right=" + std::to_string(client.right) + " x=" + xs);
        if (first == -1 || left < 0 || right < 0 || right > client.right) ++bad;
    }
    Out(bad ? "BAD the whole text is not in view" : "ok whole text in view");
    return bad ? 1 : 0;
}

// The control with the keyboard focus in the program's window thread, as
// another process sees it.
int CmdFocus() {
    HWND main = MainOrDie();
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    Settle(main);
    if (!GetGUIThreadInfo(thread, &gi) || !gi.hwndFocus) {
        Out("focus=none");
        return 0;
    }
    std::string name = "other";
    if (gi.hwndFocus == main) name = "window";
    for (const auto& d : ny::ControlDesigns())
        if (d.window == ny::Ctl::MainWindow && FindControl(main, d.id) == gi.hwndFocus)
            name = std::string(d.name);
    Out("focus=" + name);
    Out("caret_shown=" + std::to_string(gi.hwndCaret == gi.hwndFocus ? 1 : 0));
    return 0;
}

int CmdLayout(bool popups, bool anywhere) {
    HWND main = MainOrDie();
    const ny::WindowDesign& md = ny::WindowDesignOf(ny::Ctl::MainWindow);
    POINT at{Scaled(md.x), Scaled(md.y)};
    if (anywhere) {  // moved by the user or the system: only its size counts
        RECT r;
        GetWindowRect(main, &r);
        at = {r.left, r.top};
    }
    int bad = CheckWindowLayout(ny::Ctl::MainWindow, main, at);
    // Placed right is not enough: the system places a program that is not
    // DPI aware the same, but it draws at 96 DPI, to be stretched and
    // blurred. What only the program itself sets shows which it is: its
    // list's column widths and the line height of its fonts.
    if (HWND list = FindControl(main, ny::Ctl::超级列表框1)) {
        for (int c = 0; c < ny::col::kCount; ++c) {
            const int w = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
            if (!Near(w, ny::col::kDesignWidths[c])) {
                Out("BAD list column " + std::to_string(c) + " is " + std::to_string(w) +
                    " wide, not " + std::to_string(Scaled(ny::col::kDesignWidths[c])));
                ++bad;
            }
        }
    }
    for (const auto& d : ny::ControlDesigns()) {
        if (d.kind != ny::Kind::Combo || d.window != ny::Ctl::MainWindow) continue;
        HWND h = FindControl(main, d.id);
        const int line = h ? int(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0)) : 0;
        if (line < Scaled(d.fontPx)) {
            Out("BAD " + std::string(d.name) + " lines are " + std::to_string(line) +
                " high, less than its " + std::to_string(Scaled(d.fontPx)) + " px font");
            ++bad;
        }
    }
    if (popups) {
        struct P {
            ny::Ctl window;
            int chars;
        } const which[] = {{ny::Ctl::CalendarWindow, 2}, {ny::Ctl::TimePickerWindow, 15}};
        for (const P& p : which) {
            HWND h = OpenPopup(main, p.window, p.chars);
            if (!h) {
                Out("BAD popup " + std::to_string(int(p.window)) + " did not open");
                ++bad;
                continue;
            }
            // A popup hangs below the entry field, left edges aligned.
            RECT er{};
            GetWindowRect(FindControl(main, ny::Ctl::编辑框1), &er);
            if (p.window == ny::Ctl::CalendarWindow) {
                RECT pr;
                GetWindowRect(h, &pr);
                if (pr.left != er.left || pr.top != er.bottom) {
                    Out("BAD the calendar is at " + RectOf(h) + ", not below the field");
                    ++bad;
                }
                bad += CheckCalendar(h);
            } else {
                bad += CheckWindowLayout(p.window, h, {er.left, er.bottom});
            }
            PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(h, WM_KEYUP, VK_ESCAPE, 0);
            WaitFor(2000, [&] { return !IsWindow(h) || !IsWindowVisible(h); });
        }
    }
    Out(bad ? "layout: " + std::to_string(bad) + " mismatches" : "layout: all in place");
    return bad ? 1 : 0;
}

// The wall clock as Unix seconds, for lining up with the scripts' `date`.
std::string UnixNow() {
    FILETIME ft;
    GetSystemTimePreciseAsFileTime(&ft);
    const uint64_t t = (uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) -
                       116444736000000000ULL;  // 100 ns units since 1601 -> since 1970
    char buf[40];
    std::snprintf(buf, sizeof buf, "%llu.%07llu", static_cast<unsigned long long>(t / 10000000),
                  static_cast<unsigned long long>(t % 10000000));
    return buf;
}

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

// Prints one line per visible message box: caption and text.
void PrintBox(HWND b) {
    Out("box pid=" + std::to_string(PidOf(b)) + " caption=" + OneLine(U8(WindowText(b))) +
        " text=" + OneLine(U8(BoxText(b))));
}

// The program's first box within `ms`, printed once its text is in; nullptr
// (and a BAD line) when none came.
HWND WaitForBox(int ms) {
    std::vector<HWND> boxes;
    if (!WaitFor(ms, [&] { return !(boxes = Boxes(g_pid)).empty(); })) {
        Out("BAD no message box within " + std::to_string(ms) + " ms");
        return nullptr;
    }
    HWND b = boxes.front();
    // A box that has just appeared may still be filling in its text.
    WaitFor(1000, [&] { return !BoxText(b).empty(); });
    PrintBox(b);
    return b;
}

int CmdBox(int ms, bool pressOk) {
    HWND b = WaitForBox(ms);
    if (!b) return 1;
    if (pressOk) {
        HWND ok = GetDlgItem(b, IDOK);
        Out("click_unix=" + UnixNow());  // for timing what closing it does
        PostMessageW(b, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(ok));
        if (!WaitFor(5000, [&] { return !IsWindow(b) || !IsWindowVisible(b); })) {
            Out("BAD the box did not close");
            return 1;
        }
    }
    return 0;
}

// The buttons of the program's box: their texts, ids and whether the
// caption fits inside (measured with the box's own font in this process).
int CmdBoxButtons(int ms, const std::string& press) {
    HWND b = WaitForBox(ms);
    if (!b) return 1;
    std::string texts;
    HWND target = nullptr;
    for (HWND c : Descendants(b)) {
        if (ClassOf(c) != L"Button" || !IsWindowVisible(c)) continue;
        const std::string t = U8(WindowText(c));
        RECT r{};
        GetWindowRect(c, &r);
        HDC dc = GetDC(c);
        LOGFONTW lf{};
        // The box's font handle belongs to the program: its face and size are
        // asked through a font of the same height here.
        NONCLIENTMETRICSW ncm{};
        ncm.cbSize = sizeof ncm;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
        lf = ncm.lfMessageFont;
        HFONT f = CreateFontIndirectW(&lf);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE ext{};
        const std::wstring wt = WindowText(c);
        GetTextExtentPoint32W(dc, wt.c_str(), int(wt.size()), &ext);
        SelectObject(dc, old);
        DeleteObject(f);
        ReleaseDC(c, dc);
        const int width = r.right - r.left;
        Out("button id=" + std::to_string(GetDlgCtrlID(c)) + " width=" + std::to_string(width) +
            " text_width=" + std::to_string(ext.cx) + " text=" + t);
        texts += (texts.empty() ? "" : "|") + t;
        if (!press.empty() && t == press) target = c;
    }
    Out("buttons=" + texts);
    if (press.empty()) return 0;
    if (!target) {
        Out("BAD no button " + press);
        return 1;
    }
    RECT r{};
    GetWindowRect(target, &r);
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Out("click_unix=" + UnixNow());
    if (!WaitFor(5000, [&] { return !IsWindow(b) || !IsWindowVisible(b); })) {
        Out("BAD the box did not close");
        return 1;
    }
    return 0;
}

int CmdNoBox(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    std::vector<HWND> boxes = Boxes(g_pid);
    for (HWND b : boxes) PrintBox(b);
    if (!boxes.empty()) {
        Out("BAD unexpected message box");
        return 1;
    }
    Out("no box");
    return 0;
}

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

int CmdList() {
    HWND list = ControlOrDie("超级列表框1");
    const int n = ListRows(list);
    Out("rows=" + std::to_string(n));
    for (int r = 0; r < n; ++r) {
        std::string line = "row " + std::to_string(r) + ":";
        line += " " + RowText(list, r);
        Out(line);
    }
    return 0;
}

int CmdStore(const std::string& path) {
    FileHost host;
    ny::RecordFile f(host);
    ny::OpenResult r = f.open(path, AlarmFields());
    if (!r.ok()) {
        Out("BAD store: " + r.reason);
        return 1;
    }
    Out("records=" + std::to_string(f.count()));
    for (int k = 1; k <= f.count(); ++k) {
        f.goTo(k);
        std::string line = "record " + std::to_string(k) + ":";
        bool first = true;
        for (const auto& d : AlarmFields()) {
            line += (first ? " " : "|") + OneLine(f.read(d.name).value_or("?"));
            first = false;
        }
        Out(line);
    }
    return 0;
}

// A store of n alarms, `step` minutes apart from `first` ("YYYY-MM-DD
// HH:MM"), all with the given tone: test data for start-up with many records
// and for many alarms at once (step 0).
int CmdMakeStore(const std::string& path, int n, const std::string& first,
                 const std::string& tone, int stepMinutes, const std::string& repeat) {
    auto start = ny::ParseDateTime(first);
    if (!start) {
        Out("BAD time " + first);
        return 2;
    }
    const int64_t t0 = ny::MsFromCivil(*start);
    // All records in the one write of create: appended one by one, each
    // append rewrites the file, and 100,000 would take hours.
    std::vector<std::vector<std::string>> records;
    records.reserve(size_t(std::max(n, 0)));
    for (int i = 0; i < n; ++i) {
        ny::LocalTime t = ny::CivilFromMs(t0 + int64_t(i) * stepMinutes * 60000);
        std::string when = ny::FormatDateTime(t, ny::Padding::TwoDigits, ny::DateTimeParts::DateAndTime).substr(0, 16);
        records.push_back({"", repeat, when, tone, "提醒 " + std::to_string(i + 1), std::string(ny::txt::kNotRung)});
    }
    FileHost host;
    ny::RecordFile f(host);
    if (ny::IoResult c = f.create(path, AlarmFields(), records); !c.ok) {
        Out("BAD create: " + c.reason);
        return 1;
    }
    if (ny::IoResult w = host.flush(); !w.ok) {
        Out("BAD write: " + w.reason);
        return 1;
    }
    if (!f.open(path, AlarmFields()).ok()) return 1;
    Out("records=" + std::to_string(f.count()));
    return 0;
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

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    std::this_thread::sleep_for(50ms);
}

// A key pressed while `held` keys are down.
void KeyWith(const std::vector<WORD>& held, WORD vk) {
    std::vector<INPUT> in;
    auto add = [&](WORD k, bool up) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
        in.push_back(i);
    };
    for (WORD h : held) add(h, false);
    add(vk, false);
    add(vk, true);
    for (auto h = held.rbegin(); h != held.rend(); ++h) add(*h, true);
    SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
    std::this_thread::sleep_for(80ms);
}

// The 0-based position, among the entries the keyboard stops at, of an item
// or submenu in its menu, from the design (an item hidden by design is taken
// to be absent).
int MenuIndex(const ny::ControlDesign* d) {
    if (!d || (d->kind != ny::Kind::MenuItem && d->kind != ny::Kind::Menu)) return -1;
    int i = 0;
    for (const auto& x : ny::ControlDesigns()) {
        if (x.id == d->id) return i;
        if ((x.kind == ny::Kind::MenuItem || x.kind == ny::Kind::Menu) && !x.hidden &&
            x.parentMenu == d->parentMenu)
            ++i;
    }
    return -1;
}
int MenuIndex(const std::string& item) { return MenuIndex(DesignByName(item)); }

// Chooses `item` in the popup menu that is open, with the keyboard as a
// user may: a menu belongs to its process, so another one cannot read it.
int ChooseFromPopup(const std::string& item) {
    HWND menu = nullptr;
    if (!WaitFor(3000, [&] {
            return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu);
        })) {
        Out("BAD no popup menu");
        return 1;
    }
    const int index = MenuIndex(item);
    if (index < 0) {
        Out("BAD no menu item " + item + " in the design");
        return 2;
    }
    // An item of a submenu: to the submenu first, → opens it on its first item.
    const ny::ControlDesign* parent = ny::FindDesign(DesignByName(item)->parentMenu);
    if (parent && parent->parentMenu != ny::Ctl::None) {
        for (int i = 0; i <= MenuIndex(parent); ++i) Key(VK_DOWN);
        Key(VK_RIGHT);
        std::this_thread::sleep_for(200ms);
        for (int i = 0; i < index; ++i) Key(VK_DOWN);
    } else {
        for (int i = 0; i <= index; ++i) Key(VK_DOWN);
    }
    Key(VK_RETURN);
    if (!WaitFor(2000, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); })) {
        Out("BAD the menu stayed open");
        return 1;
    }
    Out("chose " + item);
    return 0;
}

// A point on row `row` of the alarm list, in screen coordinates, on the
// time's text: past the row's check box at its start (a click there would
// switch the alarm).
POINT ListRowPoint(HWND list, int row) {
    RECT rc = ListRowRect(list, row);
    const int firstColumn = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0));
    POINT p{rc.left + firstColumn * 2 / 3, (rc.top + rc.bottom) / 2};
    ClientToScreen(list, &p);
    return p;
}

// Where row `row`'s check box is, in screen coordinates.
POINT ListCheckBoxPoint(HWND list, int row) {
    const RECT box = ListRowRect(list, row, LVIR_ICON);
    const RECT rc = ListRowRect(list, row);
    // The state image lies left of the (empty) icon, at the row's start.
    POINT p{rc.left + (box.left - rc.left) / 2, (rc.top + rc.bottom) / 2};
    if (box.left - rc.left < 4) p.x = rc.left + 8;
    ClientToScreen(list, &p);
    return p;
}

// Right-clicks row `row` of the alarm list (selecting it first with a left
// click, as a user does), then chooses `item` in the menu that pops up.
int CmdListMenu(int row, const std::string& item) {
    HWND list = ControlOrDie("超级列表框1");
    POINT p = ListRowPoint(list, row);
    MouseClick(p.x, p.y);
    MouseClick(p.x, p.y, true);
    return ChooseFromPopup(item);
}

// The pointer moved to (x, y), no button pressed.
void MouseMove(int x, int y) {
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((x * 65536LL + cx / 2) / cx);
    in.mi.dy = LONG((y * 65536LL + cy / 2) / cy);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &in, sizeof in);
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

// Clicks row `row`'s check box with the mouse.
int CmdListCheck(int row) {
    HWND list = ControlOrDie("超级列表框1");
    SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
    POINT p = ListCheckBoxPoint(list, row);
    MouseClick(p.x, p.y);
    Out("clicked check box of row " + std::to_string(row));
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

// One row of the list and the count, read as a screen reader reads them
// (a whole list of 100,000 rows would take minutes).
int CmdListRow(int row) {
    HWND list = ControlOrDie("超级列表框1");
    Out("rows=" + std::to_string(ListRows(list)));
    std::string line = "row " + std::to_string(row) + ":";
    line += " " + RowText(list, row);
    Out(line);
    return 0;
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

// Does one thing to the program and times it until the main window answers
// again: a button's click (sent, so the handler has run when it returns), a
// menu item chosen (the WM_COMMAND its menu would send) or a key pressed in
// the list. The answer to a WM_NULL sent after it ends the time.
int Usage();
int CmdAnswerAfter(const std::string& how, const std::string& what) {
    HWND main = MainOrDie();
    const ny::ControlDesign* d = DesignByName(what);
    HWND target = nullptr;
    UINT msg = 0;
    WPARAM wp = 0;
    if (how == "click" && d) {
        target = ControlOrDie(what);
        msg = BM_CLICK;
    } else if (how == "menu" && d && d->kind == ny::Kind::MenuItem) {
        target = main;
        msg = WM_COMMAND;
        wp = MAKEWPARAM(UINT(d->id), 0);
    } else if (how == "key" && what == "delete") {
        target = ControlOrDie("超级列表框1");
        msg = WM_KEYDOWN;
        wp = VK_DELETE;
    } else {
        return Usage();
    }
    Out("start_unix=" + UnixNow());
    const auto t0 = Clock::now();
    DWORD_PTR res = 0;
    const bool done = SendMessageTimeoutW(target, msg, wp, 0, SMTO_NORMAL, 600000, &res) &&
                      SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 600000, &res);
    const double took = std::chrono::duration<double>(Clock::now() - t0).count();
    if (!done) {
        Out("BAD no answer within 600 s");
        return 1;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "answer_s=%.3f", took);
    Out(buf);
    return 0;
}

// Chooses `item` in the menu that is open (opened by the keyboard).
int CmdMenuChoose(const std::string& item) { return ChooseFromPopup(item); }

int Usage();
int CmdTrayClick(const std::string& button);

// Menus left open for a screenshot: the list menu on `row` (with `submenu`
// open when given), the tray menu, or the system menu (Alt+Space).
int CmdOpenMenu(const std::string& which, int row, const std::string& submenu) {
    if (which == "list") {
        HWND list = ControlOrDie("超级列表框1");
        POINT p = ListRowPoint(list, row);
        MouseClick(p.x, p.y);
        MouseClick(p.x, p.y, true);
    } else if (which == "tray") {
        if (int r = CmdTrayClick("right")) return r;
    } else if (which == "system") {
        HWND main = MainOrDie();
        SetForegroundWindow(main);
        std::this_thread::sleep_for(200ms);
        INPUT in[4] = {};
        for (INPUT& i : in) i.type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[3].ki.wVk = VK_MENU;
        in[1].ki.wVk = in[2].ki.wVk = VK_SPACE;
        in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, in, sizeof(INPUT));
    } else {
        return Usage();
    }
    HWND menu = nullptr;
    if (!WaitFor(3000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); })) {
        Out("BAD no popup menu");
        return 1;
    }
    if (!submenu.empty()) {
        for (int i = 0; i <= MenuIndex(submenu); ++i) Key(VK_DOWN);
        Key(VK_RIGHT);
    }
    Out("menu open");
    return 0;
}

int CmdAttrs(const std::string& path) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) {
        Out("attrs=none");
        return 1;
    }
    char buf[32];
    std::snprintf(buf, sizeof buf, "attrs=0x%02lx", static_cast<unsigned long>(a));
    Out(buf);
    return 0;
}

// Tries to open a file as the program holds its lock: sharing denied.
int CmdOpenExclusive(const std::string& path) {
    HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Out("opened=0");
        Out("error=" + std::to_string(GetLastError()));
        return 1;
    }
    CloseHandle(f);
    Out("opened=1");
    return 0;
}

// Holds a file open for reading, letting others read it but not write,
// rename or delete it (as a backup program or a virus scanner may), for `ms`.
// With `shareNothing` others cannot even read it.
int CmdHold(const std::string& path, int ms, bool shareNothing) {
    HANDLE f = CreateFileW(W(path).c_str(), GENERIC_READ, shareNothing ? 0 : FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        Out("BAD cannot open " + path + ": error " + std::to_string(GetLastError()));
        return 1;
    }
    Out("holding");
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    CloseHandle(f);
    return 0;
}

int CmdReadOnly(const std::string& path, bool on) {
    DWORD a = GetFileAttributesW(W(path).c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return 1;
    a = on ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (a == 0) a = FILE_ATTRIBUTE_NORMAL;
    return SetFileAttributesW(W(path).c_str(), a) ? 0 : 1;
}

// Tray icons as Wine shows them without a system tray: small windows in its
// own tray window at the top-left of the screen.
std::vector<HWND> TrayIcons() {
    std::vector<HWND> r;
    for (HWND h : TopLevelWindows())
        if (IsWindowVisible(h))
            for (HWND c : Descendants(h))
                if (ClassOf(c) == L"__winex11_tray_icon" && IsWindowVisible(c)) r.push_back(c);
    return r;
}

int CmdTrayIcons() {
    Out("tray_icons=" + std::to_string(TrayIcons().size()));
    return 0;
}

// Clicks the (one) tray icon with the given button.
int CmdTrayClick(const std::string& button) {
    std::vector<HWND> icons;
    if (!WaitFor(3000, [&] { return !(icons = TrayIcons()).empty(); })) {
        Out("BAD no tray icon");
        return 1;
    }
    // The newest icon is the rightmost.
    HWND icon = icons.front();
    RECT r;
    for (HWND i : icons) {
        RECT ri;
        GetWindowRect(i, &ri);
        GetWindowRect(icon, &r);
        if (ri.left > r.left) icon = i;
    }
    GetWindowRect(icon, &r);
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, button == "right");
    Out("tray " + button + " click");
    return 0;
}

// The tip of the (newest) tray icon, as the user sees it: the pointer rests
// on the icon until the tooltip shows, whose text is then read.
// A balloon from a tray icon (the notification area's own tooltip, shown
// without the pointer on the icon) within `ms`: its text.
int CmdBalloon(int ms) {
    std::string text;
    const bool shown = WaitFor(ms, [&] {
        for (HWND h : TopLevelWindows())
            if (ClassOf(h) == L"tooltips_class32" && IsWindowVisible(h) &&
                (GetWindowLongW(h, GWL_STYLE) & TTS_BALLOON)) {
                text = U8(WindowText(h));
                if (!text.empty()) return true;
            }
        return false;
    });
    if (!shown) {
        Out("balloon=none");
        return 1;
    }
    Out("balloon=" + OneLine(text));
    return 0;
}

int CmdTrayTip() {
    std::vector<HWND> icons;
    if (!WaitFor(3000, [&] { return !(icons = TrayIcons()).empty(); })) {
        Out("BAD no tray icon");
        return 1;
    }
    HWND icon = icons.front();
    for (HWND i : icons) {
        RECT ri, r;
        GetWindowRect(i, &ri);
        GetWindowRect(icon, &r);
        if (ri.left > r.left) icon = i;
    }
    RECT r;
    GetWindowRect(icon, &r);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    std::string tip;
    const bool shown = WaitFor(8000, [&] {
        // Small moves keep the tooltip's hover tracking alive.
        static int wiggle = 0;
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = LONG(((r.left + r.right) / 2 + (wiggle++ % 2)) * 65536LL / cx);
        in.mi.dy = LONG((r.top + r.bottom) / 2 * 65536LL / cy);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        if (wiggle < 3) SendInput(1, &in, sizeof in);
        for (HWND h : TopLevelWindows())
            if (ClassOf(h) == L"tooltips_class32" && IsWindowVisible(h)) {
                tip = U8(WindowText(h));
                if (!tip.empty()) return true;
            }
        return false;
    });
    if (!shown) {
        Out("BAD no tooltip over the tray icon");
        return 1;
    }
    std::string escaped;
    for (char ch : tip) escaped += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    Out("tip=" + escaped);
    return 0;
}

// Chooses an item of the tray menu.
int CmdTrayMenu(const std::string& item) {
    if (int r = CmdTrayClick("right")) return r;
    return ChooseFromPopup(item);
}

// Asks the main window for an answer (every `everyMs` ms) until `ms` have passed, pressing OK on
// every message box of the program as soon as it appears; prints the longest
// time the window took to answer (and when that wait ended), and when each
// box was closed. Stops early once `boxes` boxes were closed and none is left.
int CmdPing(int ms, int boxes, int everyMs) {
    HWND main = MainOrDie();
    const DWORD pid = PidOf(main);
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    double worst = 0;
    double worstBeforeBox = 0;  // what the program did before its first box showed
    int closed = 0;
    std::string worstAt;
    std::vector<HWND> pressed;
    while (Clock::now() < end) {
        // boxes < 0: until the program shows a box, left open for the caller.
        if (boxes < 0 && !Boxes(pid).empty()) break;
        for (HWND b : Boxes(pid)) {
            bool seen = false;
            for (HWND p : pressed) seen |= p == b;
            if (seen && IsWindow(b)) continue;
            pressed.push_back(b);
            PostMessageW(b, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(b, IDOK)));
            ++closed;
            Out("box_unix=" + UnixNow());
        }
        if (boxes && closed >= boxes && Boxes(pid).empty()) break;
        // An answer asked for before any box showed: the one the ring holds
        // up ends only when the box's own loop begins.
        const bool beforeBox = closed == 0;
        const auto t0 = Clock::now();
        DWORD_PTR res = 0;
        if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &res)) {
            Out("BAD the window did not answer within 10 s");
            worst = 10;
        }
        const double took = std::chrono::duration<double>(Clock::now() - t0).count();
        if (took > 0.3) {
            char b[64];
            std::snprintf(b, sizeof b, "slow_answer_s=%.3f end_unix=", took);
            Out(b + UnixNow());
        }
        if (took > worst) {
            worst = took;
            worstAt = UnixNow();
        }
        if (beforeBox) worstBeforeBox = std::max(worstBeforeBox, took);
        std::this_thread::sleep_for(std::chrono::milliseconds(everyMs));
    }
    char buf[96];
    std::snprintf(buf, sizeof buf, "worst_answer_s=%.3f", worst);
    Out(buf);
    std::snprintf(buf, sizeof buf, "worst_before_box_s=%.3f", worstBeforeBox);
    Out(buf);
    Out("boxes_closed=" + std::to_string(closed));
    if (!worstAt.empty()) Out("worst_end_unix=" + worstAt);
    return 0;
}

// A named pipe \\.\pipe\NAME whose server accepts a client and never
// writes: a read from it blocks. Serves for `ms`.
int CmdPipeServer(const std::string& name, int ms) {
    const std::wstring path = L"\\\\.\\pipe\\" + W(name);
    HANDLE pipe = CreateNamedPipeW(path.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT,
                                   PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    if (pipe == INVALID_HANDLE_VALUE) {
        Out("BAD cannot create the pipe");
        return 1;
    }
    Out("serving " + U8(path));
    HANDLE t = CreateThread(
        nullptr, 0, [](void* p) -> DWORD { return ConnectNamedPipe(static_cast<HANDLE>(p), nullptr); },
        pipe, 0, nullptr);
    if (t) CloseHandle(t);
    Sleep(static_cast<DWORD>(ms));
    return 0;
}

// Posts what the MCI device `device` would send the main window when its
// sound has played to its end.
int CmdMciNotify(int device) {
    PostMessageW(MainOrDie(), MM_MCINOTIFY, MCI_NOTIFY_SUCCESSFUL, device);
    Out("posted MM_MCINOTIFY for device " + std::to_string(device));
    return 0;
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

// Plays an MP3 the way the program does (MCI mpegvideo) and prints when the
// request was made: the platform's share of a ring's latency, to compare the
// program's with. `preopen`: the device is opened half a second ahead, and
// the request is the play command alone.
int CmdPlay(const std::string& path, int ms, bool preopen, bool notify) {
    const std::wstring file = W(path);
    MCI_OPEN_PARMSW open{};
    open.lpstrDeviceType = L"mpegvideo";
    open.lpstrElementName = file.c_str();
    if (!preopen) Out("request_unix=" + UnixNow());
    const auto t0 = Clock::now();
    if (MCIERROR e = mciSendCommandW(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT | MCI_WAIT,
                                     reinterpret_cast<DWORD_PTR>(&open))) {
        Out("BAD MCI open failed: " + std::to_string(e));
        return 1;
    }
    char buf[64];
    std::snprintf(buf, sizeof buf, "open_s=%.3f",
                  std::chrono::duration<double>(Clock::now() - t0).count());
    Out(buf);
    if (preopen) {
        std::this_thread::sleep_for(500ms);
        Out("request_unix=" + UnixNow());
    }
    MCI_PLAY_PARMS play{};
    DWORD flags = 0;
    if (notify) {  // as the program asks to be told when the sound ends
        play.dwCallback = reinterpret_cast<DWORD_PTR>(
            CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr));
        flags |= MCI_NOTIFY;
    }
    MCIERROR e =
        mciSendCommandW(open.wDeviceID, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play));
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    MCI_GENERIC_PARMS close{};
    const auto t2 = Clock::now();
    mciSendCommandW(open.wDeviceID, MCI_CLOSE, MCI_WAIT, reinterpret_cast<DWORD_PTR>(&close));
    std::snprintf(buf, sizeof buf, "close_s=%.3f",
                  std::chrono::duration<double>(Clock::now() - t2).count());
    Out(buf);
    return e ? 1 : 0;
}

// How long a message box takes to return once OK is pressed, in this
// display: a box of the probe's own, closed from a second thread; "urgent"
// adds the flags of the program's alarm boxes.
struct BoxCloser {
    DWORD pid;
    Clock::time_point pressed;
};

DWORD WINAPI CloseBoxSoon(void* p) {
    auto* c = static_cast<BoxCloser*>(p);
    std::vector<HWND> b;
    WaitFor(5000, [&] { return !(b = Boxes(c->pid)).empty(); });
    std::this_thread::sleep_for(200ms);
    c->pressed = Clock::now();
    if (!b.empty()) PostMessageW(b.front(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

int CmdBoxReturn(bool urgent) {
    const UINT type = MB_OK | (urgent ? MB_TOPMOST | MB_SETFOREGROUND : 0);
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100,
                                 100, 300, 200, nullptr, nullptr, nullptr, nullptr);
    BoxCloser closer{GetCurrentProcessId(), {}};
    HANDLE t = CreateThread(nullptr, 0, CloseBoxSoon, &closer, 0, nullptr);
    MessageBoxW(owner, L"测试", L"probe", type);
    const auto back = Clock::now();
    WaitForSingleObject(t, INFINITE);
    CloseHandle(t);
    char buf[64];
    std::snprintf(buf, sizeof buf, "box_return_s=%.3f",
                  std::chrono::duration<double>(back - closer.pressed).count());
    Out(buf);
    DestroyWindow(owner);
    return 0;
}

// Tells the main window, as the system does when it is dragged to another
// monitor, that its DPI is now `dpi`. The system's suggested rectangle is a
// pointer that does not cross processes, so none is sent: the probe sizes
// the window itself, as the system would have suggested.
int CmdDpiChanged(int dpi) {
    HWND main = MainOrDie();
    const ny::WindowDesign& wd = ny::WindowDesignOf(ny::Ctl::MainWindow);
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0, SMTO_NORMAL, 5000,
                             &res)) {
        Out("BAD no answer");
        return 1;
    }
    SetWindowPos(main, nullptr, 0, 0, MulDiv(wd.w, dpi, 96), MulDiv(wd.h, dpi, 96),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Out("dpi changed");
    return 0;
}

// When the program's wake timer is due: it is named after the process.
// NtQueryTimer gives the time left; a timer that is not armed reports none.
int CmdWake() {
    const DWORD pid = PidOf(MainOrDie());
    const std::wstring name = L"Local\\NyClockWake-" + std::to_wstring(pid);
    HANDLE t = OpenWaitableTimerW(0x0001 /* TIMER_QUERY_STATE */, FALSE, name.c_str());
    if (!t) {
        Out("wake=none");
        Out("error=" + std::to_string(GetLastError()));
        return 1;
    }
    struct BasicInfo {
        LARGE_INTEGER remaining;  // 100 ns units
        BOOLEAN signalled;
    } info{};
    using QueryTimer = LONG(NTAPI*)(HANDLE, int, PVOID, ULONG, PULONG);
    auto query = reinterpret_cast<QueryTimer>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryTimer")));
    ULONG len = 0;
    const LONG status = query ? query(t, 0, &info, sizeof info, &len) : -1;
    CloseHandle(t);
    if (status != 0) {
        Out("BAD NtQueryTimer failed: " + std::to_string(status));
        return 1;
    }
    Out("wake=" + std::string(info.remaining.QuadPart > 0 ? "armed" : "idle"));
    Out("remaining_s=" + std::to_string(info.remaining.QuadPart / 10000000.0));
    Out("now_unix=" + UnixNow());
    return 0;
}

// ---- the date and time popups ------------------------------------------------

const ny::Ctl kPopups[] = {ny::Ctl::CalendarWindow, ny::Ctl::TimePickerWindow};

std::string RectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

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

// Until the program has handled the input sent to it (or 3 s have passed):
// a busy machine may take longer than any fixed pause.
void Settle(HWND main) {
    if (HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, PidOf(main))) {
        WaitForInputIdle(p, 3000);
        CloseHandle(p);
    }
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

HWND PopupOrDie(ny::Ctl window) {
    HWND main = MainOrDie();
    HWND p = FindPopup(PidOf(main), main, window);
    if (!p) {
        Out("BAD popup " + std::to_string(int(window)) + " is not open");
        std::exit(1);
    }
    return p;
}

// The control of the design named `name`, in the main window or in its
// popup (which must be open); nullptr when it is not there. `design`: its
// design, nullptr when no control has that name (said, and then nullptr).
HWND DesignedControl(const std::string& name, const ny::ControlDesign** design = nullptr) {
    const ny::ControlDesign* d = DesignByName(name);
    if (design) *design = d;
    if (!d) {
        Out("BAD no control named " + name + " in the design");
        return nullptr;
    }
    HWND window = d->window == ny::Ctl::MainWindow ? MainOrDie() : PopupOrDie(d->window);
    return FindControl(window, d->id);
}

// How many pixels of a control's rectangle on the screen are exactly the
// colour "R,G,B" (a control of a popup: the popup must be open).
int CmdColours(const std::string& name, const std::string& rgb) {
    const ny::ControlDesign* d = nullptr;
    HWND h = DesignedControl(name, &d);
    if (!d) return 2;
    int r = 0, g = 0, b = 0;
    if (!h || std::sscanf(rgb.c_str(), "%d,%d,%d", &r, &g, &b) != 3) {
        Out("BAD control or colour");
        return 2;
    }
    RECT rc;
    GetWindowRect(h, &rc);
    const int w = rc.right - rc.left, ht = rc.bottom - rc.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -ht;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, ht, screen, rc.left, rc.top, SRCCOPY);
    GdiFlush();
    const DWORD want = DWORD(r) << 16 | DWORD(g) << 8 | DWORD(b);
    long count = 0;
    for (long i = 0; bits && i < long(w) * ht; ++i)
        if ((static_cast<const DWORD*>(bits)[i] & 0xFFFFFF) == want) ++count;
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    Out("count=" + std::to_string(count));
    Out("of=" + std::to_string(long(w) * ht));
    return 0;
}

// Asks the system to switch its high-contrast theme on or off, as the
// accessibility settings do, and reports what it says afterwards. (Wine 8
// refuses: SPI_SETHIGHCONTRAST is not implemented there.)
int CmdHighContrast(const std::string& onOff) {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof hc;
    hc.dwFlags = onOff == "on" ? HCF_HIGHCONTRASTON : 0;
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof hc, &hc, SPIF_SENDCHANGE);
    HIGHCONTRASTW now{};
    now.cbSize = sizeof now;
    const bool on = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof now, &now, 0) &&
                    (now.dwFlags & HCF_HIGHCONTRASTON);
    Out(std::string("high_contrast=") + (on ? "1" : "0"));
    return 0;
}

// What the system sends every top-level window when the theme's colours
// change or high contrast goes on or off, sent to the program's windows.
int CmdThemeChanged() {
    const DWORD pid = PidOf(MainOrDie());
    int told = 0;
    for (HWND h : TopLevelWindows()) {
        if (PidOf(h) != pid) continue;
        DWORD_PTR res = 0;
        SendMessageTimeoutW(h, WM_SYSCOLORCHANGE, 0, 0, SMTO_NORMAL, 5000, &res);
        SendMessageTimeoutW(h, WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0, SMTO_NORMAL, 5000, &res);
        ++told;
    }
    Out("told=" + std::to_string(told));
    return 0;
}

// Waits a little for the popup to close (or not), then reports.
int AfterPopupClick(HWND popup) {
    WaitFor(600, [&] { return !IsWindow(popup) || !IsWindowVisible(popup); });
    return ReportPopup(MainOrDie());
}

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

// The month calendar's selected day.
SYSTEMTIME CalendarSelection(HWND cal) {
    Remote r(cal, sizeof(SYSTEMTIME));
    SYSTEMTIME st{};
    SendMessageW(cal, MCM_GETCURSEL, 0, LPARAM(r.at()));
    r.get(&st, sizeof st);
    return st;
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

// Any program's dialog (an installer's page): waits up to `ms` for a shown
// top-level window whose title holds `title`, puts it in front, prints its
// "rect=x,y wxh" (as `main` does: values separated for `read`) and presses
// the keys given (enter, space, tab), or without the keyboard: "next"
// presses the page's button 1 (下一步/安装/卸载/完成), "click:TEXT" clicks the
// child control with that text (a check box).
int CmdDialog(const std::string& title, int ms, const std::vector<std::string>& keys) {
    const std::wstring want = W(title);
    HWND found = nullptr;
    const bool seen = WaitFor(ms, [&] {
        for (HWND h : TopLevelWindows())
            if (IsWindowVisible(h) && WindowText(h).find(want) != std::wstring::npos) {
                found = h;
                return true;
            }
        return false;
    });
    if (!seen) {
        Out("BAD no window titled " + title);
        return 1;
    }
    SetForegroundWindow(found);
    std::this_thread::sleep_for(300ms);
    RECT r;
    GetWindowRect(found, &r);
    Out("rect=" + std::to_string(r.left) + " " + std::to_string(r.top) + " " +
        std::to_string(r.right - r.left) + " " + std::to_string(r.bottom - r.top));
    const std::map<std::string, WORD> named = {{"enter", VK_RETURN}, {"space", VK_SPACE}, {"tab", VK_TAB}};
    for (const std::string& k : keys) {
        if (auto it = named.find(k); it != named.end()) Key(it->second);
        if (k == "next") {
            HWND next = GetDlgItem(found, 1);
            if (!next) return 1;
            SendMessageW(next, BM_CLICK, 0, 0);
        }
        if (k.rfind("click:", 0) == 0) {
            const std::wstring text = W(k.substr(6));
            HWND hit = nullptr;
            for (HWND c : Descendants(found))
                if (IsWindowVisible(c) && WindowText(c) == text) hit = c;
            if (!hit) {
                Out("BAD no control " + k.substr(6));
                return 1;
            }
            SendMessageW(hit, BM_CLICK, 0, 0);
            Out("checked=" + std::to_string(SendMessageW(hit, BM_GETCHECK, 0, 0)));
        }
    }
    return 0;
}

// The program's open-file dialog, driven as a user would: tells its filters
// and the folder it opened in, then types `path` into the file name box and
// presses Enter (Esc for "--cancel").
int CmdFileDialog(int ms, const std::string& path) {
    HWND dlg = nullptr;
    const bool seen = WaitFor(ms, [&] {
        for (HWND h : Boxes(g_pid))
            if (GetDlgItem(h, 0x470)) {  // cmb1: the filter list
                dlg = h;
                return true;
            }
        return false;
    });
    if (!seen) {
        Out("BAD no open-file dialog within " + std::to_string(ms) + " ms");
        return 1;
    }
    std::this_thread::sleep_for(500ms);  // its folder listed
    auto items = [](HWND combo, bool currentOnly) {
        std::string all;
        const LRESULT n = SendMessageW(combo, CB_GETCOUNT, 0, 0);
        const LRESULT cur = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        for (LRESULT i = 0; i < n; ++i) {
            if (currentOnly && i != cur) continue;
            const LRESULT len = SendMessageW(combo, CB_GETLBTEXTLEN, i, 0);
            if (len < 0 || len > 4096) continue;
            std::wstring t(size_t(len) + 1, L'\0');
            SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(t.data()));
            t.resize(size_t(len));
            all += (all.empty() ? "" : "|") + U8(t);
        }
        return all;
    };
    Out("filters=" + items(GetDlgItem(dlg, 0x470), false));
    Out("folder=" + items(GetDlgItem(dlg, 0x471), true));  // cmb2: "look in"
    SetForegroundWindow(dlg);
    std::this_thread::sleep_for(200ms);
    HWND name = GetDlgItem(dlg, 0x480);  // edt1, or the combo cmb13 holding it
    if (!name) name = GetDlgItem(dlg, 0x47C);
    if (name) SetFocus(name);
    const bool cancel = path == "--cancel";
    for (wchar_t ch : cancel ? std::wstring() : W(path)) {
        INPUT in[2] = {};
        in[0].type = in[1].type = INPUT_KEYBOARD;
        in[0].ki.wScan = in[1].ki.wScan = ch;
        in[0].ki.dwFlags = KEYEVENTF_UNICODE;
        in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
        SendInput(2, in, sizeof(INPUT));
    }
    std::this_thread::sleep_for(300ms);
    Key(cancel ? VK_ESCAPE : VK_RETURN);
    Out("click_unix=" + UnixNow());
    if (!WaitFor(5000, [&] { return !IsWindow(dlg) || !IsWindowVisible(dlg); })) {
        Out("BAD the dialog did not close");
        return 1;
    }
    return 0;
}

// The target of a shortcut (.lnk), as the shell resolves it.
int CmdLnk(const std::string& path) {
    CoInitialize(nullptr);
    IShellLinkW* link = nullptr;
    int rc = 1;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            wchar_t target[MAX_PATH] = {};
            if (SUCCEEDED(file->Load(W(path).c_str(), STGM_READ)) &&
                SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0]) {
                Out("target=" + U8(target));
                rc = 0;
            }
            file->Release();
        }
        link->Release();
    }
    if (rc) Out("target=none");
    CoUninitialize();
    return rc;
}

// A value under HKEY_CURRENT_USER: "value=" its text or number; missing=1.
int CmdReg(const std::string& key, const std::string& name) {
    HKEY k = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, W(key).c_str(), 0, KEY_QUERY_VALUE, &k) != ERROR_SUCCESS) {
        Out("missing=1");
        return 1;
    }
    DWORD type = 0, bytes = 0;
    const std::wstring value = W(name);
    LSTATUS r = RegQueryValueExW(k, value.c_str(), nullptr, &type, nullptr, &bytes);
    std::vector<BYTE> data(bytes + sizeof(wchar_t));
    if (r == ERROR_SUCCESS) r = RegQueryValueExW(k, value.c_str(), nullptr, &type, data.data(), &bytes);
    RegCloseKey(k);
    if (r != ERROR_SUCCESS) {
        Out("missing=1");
        return 1;
    }
    if (type == REG_DWORD) {
        DWORD v = 0;
        std::memcpy(&v, data.data(), sizeof v);
        Out("type=dword");
        Out("value=" + std::to_string(v));
    } else {
        Out("type=sz");
        Out("value=" + U8(reinterpret_cast<const wchar_t*>(data.data())));
    }
    return 0;
}

// ---- what a screen reader hears -------------------------------------------------

std::string VariantNumber(const VARIANT& v) {
    return v.vt == VT_I4 ? std::to_string(v.lVal) : v.vt == VT_EMPTY ? "none" : "vt" + std::to_string(v.vt);
}

std::string TakeBstr(BSTR b) {
    std::string s = b ? U8(std::wstring(b, SysStringLen(b))) : std::string();
    SysFreeString(b);
    return s;
}

VARIANT ChildVar(long id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// The object another process gets for a window's client area, as a screen
// reader asks for it (the program answers WM_GETOBJECT through COM).
IAccessible* AccessibleOf(HWND h) {
    IAccessible* acc = nullptr;
    // Looked up: its import library and libuuid both define IID_IAccessible.
    static const auto fromWindow = reinterpret_cast<decltype(&AccessibleObjectFromWindow)>(
        reinterpret_cast<void*>(GetProcAddress(LoadLibraryW(L"oleacc.dll"), "AccessibleObjectFromWindow")));
    const HRESULT hr = fromWindow ? fromWindow(h, DWORD(OBJID_CLIENT), IID_IAccessible,
                                               reinterpret_cast<void**>(&acc))
                                  : E_NOTIMPL;
    if (FAILED(hr) || !acc) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%08lx", static_cast<unsigned long>(hr));
        Out(std::string("BAD AccessibleObjectFromWindow failed: ") + buf);
        return nullptr;
    }
    return acc;
}

std::string AccName(IAccessible* acc, long child) {
    BSTR b = nullptr;
    if (FAILED(acc->get_accName(ChildVar(child), &b))) return "?";
    return TakeBstr(b);
}

long AccRole(IAccessible* acc, long child) {
    VARIANT r;
    VariantInit(&r);
    acc->get_accRole(ChildVar(child), &r);
    return r.vt == VT_I4 ? r.lVal : -1;
}

// A control's name and role ("name=闹钟设置", "role=42"), of the main window
// or of an open popup.
int CmdAccessName(const std::string& name) {
    const ny::ControlDesign* d = nullptr;
    HWND h = DesignedControl(name, &d);
    if (!d) return 2;
    if (!h) {
        Out("BAD control " + name + " not found");
        return 1;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = AccessibleOf(h);
    if (!acc) return 1;
    Out("name=" + OneLine(AccName(acc, CHILDID_SELF)));
    Out("role=" + std::to_string(AccRole(acc, CHILDID_SELF)));
    acc->Release();
    CoUninitialize();
    return 0;
}

// Selection and focus events of the program's client objects for `ms`
// milliseconds, each with the name of its item, as a screen reader hears them.
void CALLBACK OnAccEvent(HWINEVENTHOOK, DWORD event, HWND h, LONG object, LONG child, DWORD, DWORD) {
    if (object != LONG(OBJID_CLIENT)) return;
    IAccessible* acc = AccessibleOf(h);
    if (!acc) return;
    const char* kind = event == EVENT_OBJECT_SELECTION ? "selection" : "focus";
    Out(std::string("event ") + kind + " item=" + std::to_string(child) + " name=" + AccName(acc, child));
    acc->Release();
}

int CmdAccessEvents(int ms) {
    HWND main = MainOrDie();
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr,
                                         OnAccEvent, PidOf(main), 0, WINEVENT_OUTOFCONTEXT);
    Out("watching");
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    while (Clock::now() < end) {
        MSG m;
        while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
        std::this_thread::sleep_for(10ms);
    }
    UnhookWinEvent(hook);
    CoUninitialize();
    return 0;
}

// The open time grid as a screen reader sees it: its items, their names,
// which is selected.
int CmdAccessGrid() {
    HWND p = PopupOrDie(ny::Ctl::TimePickerWindow);
    HWND grid = FindControl(p, ny::Ctl::时间高级表格);
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IAccessible* acc = AccessibleOf(grid);
    if (!acc) return 1;
    long n = 0;
    acc->get_accChildCount(&n);
    Out("name=" + AccName(acc, CHILDID_SELF));
    Out("role=" + std::to_string(AccRole(acc, CHILDID_SELF)));
    Out("items=" + std::to_string(n));
    for (long i = 1; i <= n; ++i) {
        VARIANT st;
        VariantInit(&st);
        acc->get_accState(ChildVar(i), &st);
        const bool selected = st.vt == VT_I4 && (st.lVal & STATE_SYSTEM_SELECTED);
        Out("item " + std::to_string(i) + ": " + AccName(acc, i) + " role=" +
            std::to_string(AccRole(acc, i)) + (selected ? " selected" : ""));
    }
    VARIANT sel;
    VariantInit(&sel);
    acc->get_accSelection(&sel);
    Out("selection=" + VariantNumber(sel));
    acc->Release();
    CoUninitialize();
    return 0;
}

int Usage() {
    Out("usage: ny_probe [--pid N] command ...\n"
        "  wait-main MS | main | layout [--popups] [--dpi N] [--anywhere] | box MS | box-ok MS\n"
        "  no-box MS | click NAME | pick COMBO INDEX | settext NAME TEXT | text NAME | paste NAME N\n"
        "  state NAME | tab INDEX | tab-focus INDEX | focus | entry-whole | list-select ROW | list-row ROW\n"
        "  list-check ROW\n"
        "  menu-choose ITEM | answer-after click NAME|menu ITEM|key delete\n"
        "  path-tip\n"
        "  list | list-menu ROW ITEM | tray-icons | tray-click left|right\n"
        "  tray-menu ITEM | close | minimise | windows | wake | dpi-changed DPI\n"
        "  entry-click CHARS | popup | grid-click VALUE | press NAME | keys KEY... |\n"
        "  cal-day YYYY-MM-DD | cal-date | move-main X Y\n"
        "  ping MS BOXES [EVERY_MS] | pipe-server NAME MS | mci-notify DEVICE\n"
        "  attrs PATH | open-exclusive PATH | hold PATH MS [--no-share] | hostile\n"
        "  lnk PATH | reg HKCU-KEY VALUE | dialog TITLE MS [enter|space|tab|next|click:TEXT...]\n"
        "  file-dialog MS PATH|--cancel | hover NAME\n"
        "  play MP3 MS [--preopen] [--notify] | readonly PATH on|off | store PATH | make-store PATH N FIRST TONE [STEP [REPEAT]]\n"
        "  box-buttons MS [PRESS] | tray-tip | balloon MS | open-menu list ROW [SUBMENU] | open-menu tray|system\n"
        "  access-name NAME | access-grid | access-events MS | colours NAME R,G,B\n"
        "  high-contrast on|off | theme-changed");
    return 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);  // "\n", not "\r\n": the scripts read lines
    // Measures in real pixels, whatever the screen's DPI.
    SetProcessDPIAware();
    std::vector<std::string> a;
    for (int i = 1; i < argc; ++i) a.push_back(U8(argv[i]));
    if (a.size() >= 2 && a[0] == "--pid") {
        g_pid = DWORD(std::stoul(a[1]));
        a.erase(a.begin(), a.begin() + 2);
    }
    if (a.empty()) return Usage();
    const std::string& c = a[0];
    auto arg = [&](size_t i) -> const std::string& {
        if (i >= a.size()) std::exit(Usage());
        return a[i];
    };
    auto num = [&](size_t i) { return std::stoi(arg(i)); };
    if (c == "wait-main") return CmdWaitMain(num(1));
    if (c == "main") return CmdMain();
    if (c == "layout") {
        bool popups = false, anywhere = false;
        for (size_t i = 1; i < a.size(); ++i) {
            if (a[i] == "--popups") popups = true;
            if (a[i] == "--anywhere") anywhere = true;
            if (a[i] == "--dpi" && i + 1 < a.size()) g_dpi = std::stoi(a[++i]);
        }
        return CmdLayout(popups, anywhere);
    }
    if (c == "box") return CmdBox(num(1), false);
    if (c == "box-ok") return CmdBox(num(1), true);
    if (c == "no-box") return CmdNoBox(num(1));
    if (c == "box-buttons") return CmdBoxButtons(num(1), a.size() > 2 ? a[2] : std::string());
    if (c == "tray-tip") return CmdTrayTip();
    if (c == "balloon") return CmdBalloon(num(1));
    if (c == "open-menu")
        return CmdOpenMenu(arg(1), a.size() > 2 ? num(2) : 0, a.size() > 3 ? a[3] : std::string());
    if (c == "click") return CmdClick(arg(1));
    if (c == "pick") return CmdPick(arg(1), num(2));
    if (c == "settext") return CmdSetText(arg(1), arg(2));
    if (c == "text") return CmdText(arg(1));
    if (c == "paste") return CmdPaste(arg(1), num(2));
    if (c == "state") return CmdState(arg(1));
    if (c == "tab") return CmdTab(num(1));
    if (c == "list") return CmdList();
    if (c == "list-menu") return CmdListMenu(num(1), arg(2));
    if (c == "list-select") return CmdListSelect(num(1));
    if (c == "list-check") return CmdListCheck(num(1));
    if (c == "list-row") return CmdListRow(num(1));
    if (c == "tab-focus") return CmdTabFocus(num(1));
    if (c == "answer-after") return CmdAnswerAfter(arg(1), arg(2));
    if (c == "menu-choose") return CmdMenuChoose(arg(1));
    if (c == "focus") return CmdFocus();
    if (c == "path-tip") return CmdPathTip();
    if (c == "entry-whole") return CmdEntryWhole();
    if (c == "tray-icons") return CmdTrayIcons();
    if (c == "tray-click") return CmdTrayClick(arg(1));
    if (c == "tray-menu") return CmdTrayMenu(arg(1));
    if (c == "close") return CmdClose();
    if (c == "minimise") return CmdMinimise();
    if (c == "windows") return CmdWindows();
    if (c == "wake") return CmdWake();
    if (c == "dpi-changed") return CmdDpiChanged(num(1));
    if (c == "entry-click") return CmdEntryClick(num(1));
    if (c == "popup") return CmdPopup();
    if (c == "colours") return CmdColours(arg(1), arg(2));
    if (c == "high-contrast") return CmdHighContrast(arg(1));
    if (c == "theme-changed") return CmdThemeChanged();
    if (c == "grid-click") return CmdGridClick(num(1));
    if (c == "press") return CmdPress(arg(1));
    if (c == "hover") return CmdHover(arg(1));
    if (c == "keys") return CmdKeys(std::vector<std::string>(a.begin() + 1, a.end()));
    if (c == "cal-day") return CmdCalDay(arg(1));
    if (c == "cal-date") return CmdCalDate();
    if (c == "move-main") return CmdMoveMain(num(1), num(2));
    if (c == "ping") return CmdPing(num(1), num(2), a.size() > 3 ? num(3) : 5);
    if (c == "pipe-server") return CmdPipeServer(arg(1), num(2));
    if (c == "mci-notify") return CmdMciNotify(num(1));
    if (c == "attrs") return CmdAttrs(arg(1));
    if (c == "play") {
        auto has = [&](const char* o) { return std::find(a.begin() + 3, a.end(), o) != a.end(); };
        return CmdPlay(arg(1), num(2), a.size() > 3 && has("--preopen"), a.size() > 3 && has("--notify"));
    }
    if (c == "box-return") return CmdBoxReturn(a.size() > 1 && a[1] == "urgent");
    if (c == "hold") return CmdHold(arg(1), num(2), a.size() > 3 && a[3] == "--no-share");
    if (c == "hostile") return CmdHostile();
    if (c == "open-exclusive") return CmdOpenExclusive(arg(1));
    if (c == "readonly") return CmdReadOnly(arg(1), arg(2) == "on");
    if (c == "store") return CmdStore(arg(1));
    if (c == "lnk") return CmdLnk(arg(1));
    if (c == "file-dialog") return CmdFileDialog(num(1), arg(2));
    if (c == "dialog") return CmdDialog(arg(1), num(2), std::vector<std::string>(a.begin() + 3, a.end()));
    if (c == "reg") return CmdReg(arg(1), arg(2));
    if (c == "access-name") return CmdAccessName(arg(1));
    if (c == "access-grid") return CmdAccessGrid();
    if (c == "access-events") return CmdAccessEvents(num(1));
    if (c == "make-store")
        return CmdMakeStore(arg(1), num(2), arg(3), arg(4), a.size() > 5 ? num(5) : 1,
                            a.size() > 6 ? a[6] : std::string());
    return Usage();
}
