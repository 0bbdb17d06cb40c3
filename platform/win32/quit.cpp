#include "platform/win32/quit.h"

#include <windows.h>

#include <string>
#include <vector>

#include "host/design.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {
namespace {

// Long enough for a copy that is in the middle of saving; short enough that
// an installer waiting on a copy that hangs goes on to tell the user.
constexpr DWORD kWaitForExitMs = 5000;
constexpr wchar_t kMainClass[] = L"NyMainWindow";

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
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    path.resize(n < path.size() ? n : 0);
    return Canonical(path);
}

struct Search {
    std::wstring exe;
    UINT message;
    std::vector<HANDLE> ending;  // processes asked to end
};

BOOL CALLBACK AskToEnd(HWND hwnd, LPARAM lp) {
    auto& s = *reinterpret_cast<Search*>(lp);
    wchar_t cls[64];
    if (!GetClassNameW(hwnd, cls, 64) || lstrcmpW(cls, kMainClass) != 0) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == 0 || pid == GetCurrentProcessId()) return TRUE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (!process) return TRUE;
    std::wstring image(32768, L'\0');
    DWORD size = static_cast<DWORD>(image.size());
    if (QueryFullProcessImageNameW(process, 0, image.data(), &size)) {
        image.resize(size);
        // Only a copy of this very .exe: a portable copy elsewhere keeps running.
        if (CompareStringOrdinal(Canonical(image).c_str(), -1, s.exe.c_str(), -1, TRUE) ==
                CSTR_EQUAL &&
            PostMessageW(hwnd, s.message, 0, 0)) {
            s.ending.push_back(process);
            return TRUE;
        }
    }
    CloseHandle(process);
    return TRUE;
}

}  // namespace

bool StartedToQuit() { return CommandLineHas(kQuitSwitch); }

int QuitRunningCopies() {
    Search s{OwnPath(), RegisterWindowMessageW(kQuitMessageName), {}};
    if (s.message == 0) return 0;
    EnumWindows(AskToEnd, reinterpret_cast<LPARAM>(&s));
    const DWORD deadline = GetTickCount() + kWaitForExitMs;
    for (HANDLE process : s.ending) {
        const DWORD now = GetTickCount();
        WaitForSingleObject(process, now < deadline ? deadline - now : 0);
        CloseHandle(process);
    }
    return 0;
}

}  // namespace ny
