#include "host/devicepath.h"

#include <string>

namespace ny {

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    if (s.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        const char a = Upper(s[i]), b = Upper(prefix[i]);
        if (a != b && !(IsSlash(a) && IsSlash(b))) return false;
    }
    return true;
}

bool IsReservedName(std::string_view name) {
    std::string up;
    for (char c : name) up += Upper(c);
    for (std::string_view fixed : {"CON", "NUL", "PRN", "AUX", "CONIN$", "CONOUT$"})
        if (up == fixed) return true;
    if (up.size() < 4 || (up.compare(0, 3, "COM") != 0 && up.compare(0, 3, "LPT") != 0)) return false;
    const std::string_view digit = std::string_view(up).substr(3);
    // Windows also takes the superscript digits ¹ ² ³ as port numbers.
    return (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') || digit == "\xC2\xB9" ||
           digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

}  // namespace

bool IsDevicePath(std::string_view path) {
    if (StartsWithNoCase(path, "\\\\.\\") || StartsWithNoCase(path, "\\\\?\\GLOBALROOT")) return true;
    // The last part of the path is what Windows checks for a device name.
    size_t start = 0;
    for (size_t i = 0; i < path.size(); ++i)
        if (IsSlash(path[i]) || (i == 1 && path[i] == ':')) start = i + 1;
    std::string_view last = path.substr(start);
    while (!last.empty() && (last.back() == '.' || last.back() == ' ')) last.remove_suffix(1);
    // The name before any extension or stream ("COM1.mp3", "nul:x"), spaces before it dropped.
    last = last.substr(0, last.find_first_of(".:"));
    while (!last.empty() && last.back() == ' ') last.remove_suffix(1);
    return IsReservedName(last);
}

}  // namespace ny
