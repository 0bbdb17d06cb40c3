// The probe's common ground (see probe_common.h): text, finding the
// program's windows, memory in its process, real input.

#include "probe_common.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <thread>

namespace probe {

// ---- text and output ------------------------------------------------------

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

std::string RectText(int x, int y, int w, int h) {
    return std::to_string(x) + "," + std::to_string(y) + " " + std::to_string(w) + "x" +
           std::to_string(h);
}

std::string RectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
           " " + std::to_string(r.bottom);
}

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

// ---- finding the program's windows ----------------------------------------

constexpr wchar_t kMainCaption[] = L"Ny闹钟 v1.5";
constexpr int kCtlIdBase = 0;  // the program uses the control's number as its id

DWORD g_pid = 0;

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

Found FindMain(DWORD pid) {
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

// A popup is a visible top-level window of the program's process with
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

HWND PopupOrDie(ny::Ctl window) {
    HWND main = MainOrDie();
    HWND p = FindPopup(PidOf(main), main, window);
    if (!p) {
        Out("BAD popup " + std::to_string(int(window)) + " is not open");
        std::exit(1);
    }
    return p;
}

HWND DesignedControl(const std::string& name, const ny::ControlDesign** design) {
    const ny::ControlDesign* d = DesignByName(name);
    if (design) *design = d;
    if (!d) {
        Out("BAD no control named " + name + " in the design");
        return nullptr;
    }
    HWND window = d->window == ny::Ctl::MainWindow ? MainOrDie() : PopupOrDie(d->window);
    return FindControl(window, d->id);
}

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

bool WaitFor(int ms, const std::function<bool()>& cond) {
    const auto end = Clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (cond()) return true;
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(20ms);
    }
}

// Until the program has handled the input sent to it (or 3 s have passed):
// a busy machine may take longer than any fixed pause.
void Settle(HWND main) {
    if (HANDLE p = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, PidOf(main))) {
        WaitForInputIdle(p, 3000);
        CloseHandle(p);
    }
}

// ---- memory in the program's process (for list view and tab messages) ----

Remote::Remote(HWND inWindowOf, size_t size) {
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE,
                           PidOf(inWindowOf));
    if (process_)
        mem_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!mem_) {
        Out("BAD cannot reach the program's memory");
        std::exit(1);
    }
}

Remote::~Remote() {
    VirtualFreeEx(process_, mem_, 0, MEM_RELEASE);
    CloseHandle(process_);
}

void Remote::put(const void* data, size_t n, size_t offset) {
    WriteProcessMemory(process_, at(offset), data, n, nullptr);
}

void Remote::get(void* data, size_t n, size_t offset) const {
    ReadProcessMemory(process_, at(offset), data, n, nullptr);
}

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

RECT ListRowRect(HWND list, int row, LONG part) {
    Remote r(list, sizeof(RECT));
    RECT rc{part, 0, 0, 0};
    r.put(&rc, sizeof rc);
    SendMessageW(list, LVM_GETITEMRECT, WPARAM(row), LPARAM(r.at()));
    r.get(&rc, sizeof rc);
    return rc;  // client coordinates of the list
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

RECT TabItemRect(HWND tab, int index) {
    Remote r(tab, sizeof(RECT));
    RECT rc{};
    SendMessageW(tab, TCM_GETITEMRECT, WPARAM(index), LPARAM(r.at()));
    r.get(&rc, sizeof rc);
    return rc;
}

// ---- real input -----------------------------------------------------------

namespace {

// Mouse input that moves the pointer to (x, y) on the screen.
INPUT PointerTo(int x, int y) {
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = LONG((x * 65536LL + cx / 2) / cx);
    in.mi.dy = LONG((y * 65536LL + cy / 2) / cy);
    in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    return in;
}

}  // namespace

// The pointer is moved by the same input stream as the press, so the press
// cannot land where the pointer was before (SetCursorPos alone may not have
// taken effect yet under Wine).
void MouseClick(int x, int y, bool right) {
    INPUT in = PointerTo(x, y);
    const DWORD at = in.mi.dwFlags;
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

void MouseMove(int x, int y) {
    INPUT in = PointerTo(x, y);
    SendInput(1, &in, sizeof in);
}

void Key(WORD vk) {
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_KEYBOARD;
    in[0].ki.wVk = in[1].ki.wVk = vk;
    in[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, in, sizeof(INPUT));
    std::this_thread::sleep_for(50ms);
}

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

}  // namespace probe
