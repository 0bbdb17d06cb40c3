// The program's place in the system: its own path and start switch as the
// handlers ask for them, the per-user Run value that starts it with
// Windows, and the timer that wakes the computer for the next alarm.
#include <windows.h>

#include <string>

#include "platform/win32/commandline.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

}  // namespace

std::string Win32Host::programPath() { return ToUtf8(ModulePath()); }

bool Win32Host::startedInTray() { return CommandLineHas(kTraySwitch); }

std::optional<std::string> Win32Host::startupValue(std::string_view name) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    const std::wstring value = ToWstr(name);
    std::optional<std::string> result;
    DWORD type = 0, bytes = 0;
    if (RegQueryValueExW(key, value.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
        (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        bytes = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(key, value.c_str(), nullptr, &type,
                             reinterpret_cast<BYTE*>(data.data()), &bytes) == ERROR_SUCCESS) {
            data.resize(data.find(L'\0') == std::wstring::npos ? bytes / sizeof(wchar_t)
                                                               : data.find(L'\0'));
            result = ToUtf8(data);
        }
    }
    RegCloseKey(key);
    return result;
}

IoResult Win32Host::setStartupValue(std::string_view name, std::string_view command) {
    HKEY key = nullptr;
    LONG e = RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                             &key, nullptr);
    if (e != ERROR_SUCCESS) return {false, SystemReason(static_cast<DWORD>(e))};
    const std::wstring data = ToWstr(command);
    e = RegSetValueExW(key, ToWstr(name).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    if (e != ERROR_SUCCESS) return {false, SystemReason(static_cast<DWORD>(e))};
    return {};
}

IoResult Win32Host::deleteStartupValue(std::string_view name) {
    HKEY key = nullptr;
    LONG e = RegOpenKeyExW(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
    if (e == ERROR_FILE_NOT_FOUND) return {};  // no key, no value: already off
    if (e != ERROR_SUCCESS) return {false, SystemReason(static_cast<DWORD>(e))};
    e = RegDeleteValueW(key, ToWstr(name).c_str());
    RegCloseKey(key);
    if (e != ERROR_SUCCESS && e != ERROR_FILE_NOT_FOUND)
        return {false, SystemReason(static_cast<DWORD>(e))};
    return {};
}

void Win32Host::armWakeTimer(std::optional<LocalTime> at) {
    if (!wakeTimer_) {
        // Named after the process, so that a test can find it and ask when it is due.
        const std::wstring name = L"Local\\NyClockWake-" + std::to_wstring(GetCurrentProcessId());
        wakeTimer_ = CreateWaitableTimerW(nullptr, TRUE, name.c_str());
        if (!wakeTimer_) return;
    }
    if (!at) {
        CancelWaitableTimer(wakeTimer_);
        return;
    }
    SYSTEMTIME local{};
    local.wYear = static_cast<WORD>(at->year);
    local.wMonth = static_cast<WORD>(at->month);
    local.wDay = static_cast<WORD>(at->day);
    local.wHour = static_cast<WORD>(at->hour);
    local.wMinute = static_cast<WORD>(at->minute);
    local.wSecond = static_cast<WORD>(at->second);
    SYSTEMTIME utc{};
    FILETIME due{};
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &due)) {
        CancelWaitableTimer(wakeTimer_);
        return;
    }
    LARGE_INTEGER when;
    when.LowPart = due.dwLowDateTime;
    when.HighPart = static_cast<LONG>(due.dwHighDateTime);  // positive: an absolute time
    // Resume = TRUE: the computer wakes from sleep for it (where the power
    // options allow wake timers). The wake itself is all that is wanted:
    // the resume notice runs the alarm check.
    SetWaitableTimer(wakeTimer_, &when, 0, nullptr, nullptr, TRUE);
}

}  // namespace ny
