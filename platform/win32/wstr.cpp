#include "platform/win32/wstr.h"

#include <windows.h>

namespace ny {

std::wstring ToWstr(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                      nullptr, 0);
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

std::string ToUtf8(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()),
                                      nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), static_cast<int>(utf16.size()), out.data(), n,
                        nullptr, nullptr);
    return out;
}

static bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

int CharsBeforeUnit(std::wstring_view s, int units) {
    int chars = 0;
    for (int i = 0; i < units && i < static_cast<int>(s.size()); ++i)
        if (!IsLowSurrogate(s[static_cast<size_t>(i)])) ++chars;
    return chars;
}

int UnitsBeforeChar(std::wstring_view s, int chars) {
    if (chars <= 0) return 0;
    int i = 0;
    for (int seen = 0; i < static_cast<int>(s.size()); ++i) {
        if (!IsLowSurrogate(s[static_cast<size_t>(i)])) {
            if (seen == chars) return i;
            ++seen;
        }
    }
    return i;
}

}  // namespace ny
