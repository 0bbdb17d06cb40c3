// The program's own settings, per user: DWORD values under its key in
// HKEY_CURRENT_USER.
#include <windows.h>

#include <string>

#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

// The program's settings, per user.
std::wstring SettingsKey() { return L"Software\\" + ToWstr(kProgramName); }

}  // namespace

std::optional<uint32_t> Win32Host::settingValue(std::string_view name) {
    DWORD value = 0, bytes = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWstr(name).c_str(), RRF_RT_REG_DWORD,
                     nullptr, &value, &bytes) != ERROR_SUCCESS)
        return std::nullopt;
    return value;
}

IoResult Win32Host::setSettingValue(std::string_view name, uint32_t value) {
    const DWORD data = value;
    const LSTATUS e = RegSetKeyValueW(HKEY_CURRENT_USER, SettingsKey().c_str(), ToWstr(name).c_str(),
                                      REG_DWORD, &data, sizeof data);
    if (e != ERROR_SUCCESS) return {false, SystemReason(static_cast<DWORD>(e))};
    return {};
}

}  // namespace ny
