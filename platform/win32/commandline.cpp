#include "platform/win32/commandline.h"

#include <windows.h>

#include <shellapi.h>

#include "platform/win32/wstr.h"

namespace ny {

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);  // cut short: a long path
    }
}

bool CommandLineHas(std::string_view switchText) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return false;
    const std::wstring wanted = ToWstr(switchText);
    bool found = false;
    for (int i = 1; i < argc && !found; ++i)
        found = CompareStringOrdinal(argv[i], -1, wanted.c_str(), -1, TRUE) == CSTR_EQUAL;
    LocalFree(argv);
    return found;
}

}  // namespace ny
