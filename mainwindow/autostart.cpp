#include "mainwindow/autostart.h"

#include <cctype>

namespace ny {

namespace {

constexpr std::string_view kRunKey = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The program part of a command line: the quoted text, or up to the first blank.
std::string ProgramOf(std::string_view command) {
    size_t i = command.find_first_not_of(' ');
    if (i == std::string_view::npos) return {};
    if (command[i] == '"') {
        const size_t end = command.find('"', i + 1);
        return std::string(command.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
    }
    const size_t end = command.find(' ', i);
    return std::string(command.substr(i, end == std::string_view::npos ? end : end - i));
}

// Windows paths do not tell letter case apart.
bool SamePath(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (std::tolower(x) != std::tolower(y) && !((x == '/' || x == '\\') && (y == '/' || y == '\\')))
            return false;
    }
    return true;
}

}  // namespace

std::string StartupCommand(Host& host) {
    return "\"" + host.programPath() + "\" " + std::string(kTraySwitch);
}

bool StartsWithWindows(Host& host) {
    const std::optional<std::string> value = host.startupValue(kStartupValueName);
    return value && SamePath(ProgramOf(*value), host.programPath());
}

void RefreshStartupCheck(App& app) {
    app.host.setMenuChecked(Ctl::开机启动, StartsWithWindows(app.host));
}

void OnStartupChosen(App& app) {
    Host& host = app.host;
    const bool on = StartsWithWindows(host);
    const IoResult r = on ? host.deleteStartupValue(kStartupValueName)
                          : host.setStartupValue(kStartupValueName, StartupCommand(host));
    if (!r.ok) {
        const std::string what = on ? "无法取消开机启动：不能删除注册表值 "
                                    : "无法设置开机启动：不能写入注册表值 ";
        const std::string value = std::string(kRunKey) + "\\" + std::string(kStartupValueName);
        host.messageBox(what + value + "：" + r.reason, BoxKind::Exclamation);
        return;
    }
    RefreshStartupCheck(app);
}

}  // namespace ny
