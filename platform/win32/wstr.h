// The one place where the program's UTF-8 text meets the UTF-16 of the
// Windows API. Every W call takes its text through these.
#pragma once

#include <string>
#include <string_view>

namespace ny {

std::wstring ToWstr(std::string_view utf8);
std::string ToUtf8(std::wstring_view utf16);

// Caret offsets: the host speaks characters, an edit box UTF-16 units.
int CharsBeforeUnit(std::wstring_view utf16, int units);
int UnitsBeforeChar(std::wstring_view utf16, int chars);

}  // namespace ny
