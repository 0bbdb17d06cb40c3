#include "platform/win32/quit.h"

#include <windows.h>

#include <string>
#include <vector>

#include "host/design.h"
#include "platform/win32/commandline.h"
#include "platform/win32/wstr.h"

namespace ny {
namespace {

// Long enough for a copy that is in the middle of saving; short enough that
// an installer waiting on a copy that hangs goes on to tell the user.
constexpr DWORD kWaitForExitMs = 5000;
// A copy busy for longer than this (a box of its own is no reason: its loop
// answers) is not waited for: the second start's message comes anyway.
constexpr UINT kWaitForShowMs = 3000;

// Full, long form of a path, so that two spellings of one file compare equal.
std::wstring Canonical(const std::wstring& path) {
    std::wstring full(32768, L'\0');
    DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(n > 0 && n < 32768 ? n : 0);
    if (full.empty()) full = path;
    std::wstring longer(32768, L'\0');
    n = GetLongPathNameW(full.c_str(), longer.data(), static_cast<DWORD>(longer.size()));
    if (n > 0 && n < 32768) {
        longer.resize(n);
        return longer;
    }
    return full;
}

std::wstring OwnPath() {
    return Canonical(ModulePath());
}

// A main window of another process running this very .exe (same full path):
// a portable copy elsewhere is left alone.
HANDLE OpenCopyOf(HWND hwnd, const std::wstring& exe) {
    wchar_t cls[64];
    if (!GetClassNameW(hwnd, cls, 64) || lstrcmpW(cls, kMainWindowClass) != 0) return nullptr;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == 0 || pid == GetCurrentProcessId()) return nullptr;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!process) return nullptr;
    std::wstring image(32768, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    if (QueryFullProcessImageNameW(process, 0, image.data(), &size)) {
        image.resize(size);
        if (CompareStringOrdinal(Canonical(image).c_str(), -1, exe.c_str(), -1, TRUE) == CSTR_EQUAL)
            return process;
    }
    CloseHandle(process);
    return nullptr;
}

struct Search {
    std::wstring exe;
    std::vector<HWND> windows;
    std::vector<HANDLE> processes;  // open, one per window
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM lp) {
    auto& s = *reinterpret_cast<Search*>(lp);
    if (HANDLE process = OpenCopyOf(hwnd, s.exe)) {
        s.windows.push_back(hwnd);
        s.processes.push_back(process);
    }
    return TRUE;
}

Search RunningCopies() {
    Search s{OwnPath(), {}, {}};
    EnumWindows(Collect, reinterpret_cast<LPARAM>(&s));
    return s;
}

}  // namespace

bool StartedToQuit() { return CommandLineHas(kQuitSwitch); }

int QuitRunningCopies() {
    const UINT message = RegisterWindowMessageW(kQuitMessageName);
    if (message == 0) return 0;
    Search s = RunningCopies();
    std::vector<bool> asked;
    for (HWND w : s.windows) asked.push_back(PostMessageW(w, message, 0, 0) != FALSE);
    const DWORD deadline = GetTickCount() + kWaitForExitMs;
    for (size_t i = 0; i < s.processes.size(); ++i) {
        if (asked[i]) {
            const DWORD now = GetTickCount();
            WaitForSingleObject(s.processes[i], now < deadline ? deadline - now : 0);
        }
        CloseHandle(s.processes[i]);
    }
    return 0;
}

bool ShowRunningCopies() {
    const UINT message = RegisterWindowMessageW(kShowMessageName);
    if (message == 0) return false;
    Search s = RunningCopies();
    bool shown = false;
    for (size_t i = 0; i < s.windows.size(); ++i) {
        DWORD pid = 0;
        GetWindowThreadProcessId(s.windows[i], &pid);
        // Started by the user, this process may hand the foreground on.
        AllowSetForegroundWindow(pid);
        DWORD_PTR answer = 0;
        shown |= SendMessageTimeoutW(s.windows[i], message, GetCurrentProcessId(), 0,
                                     SMTO_ABORTIFHUNG, kWaitForShowMs, &answer) != 0;
        CloseHandle(s.processes[i]);
    }
    return shown;
}

}  // namespace ny
