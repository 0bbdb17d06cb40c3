// GB18030 <-> UTF-8, in portable C++. The record file stores its texts as
// GB18030 (a superset of GBK that reaches every Unicode character), and the
// platforms we run on do not all offer that code page, so we carry our own.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace ny {

// Every Unicode scalar value has a code; bytes that are not valid UTF-8 are
// encoded as U+FFFD, one per bad byte.
std::string Utf8ToGb18030(std::string_view utf8);
// The same, appended to `out` (a file written in one buffer).
void AppendGb18030(std::string_view utf8, std::string& out);

// nullopt when the bytes are not valid GB18030 (unknown code, cut-off
// sequence, single byte 0x80 or 0xFF).
std::optional<std::string> Gb18030ToUtf8(std::string_view gb);
// The same into `out` (its memory reused); false as nullopt above.
bool Gb18030ToUtf8(std::string_view gb, std::string& out);

}  // namespace ny
