// A path shown in a given width: cut at its separators with an ellipsis
// ("C:\…\alarm.mp3"), never in the middle of a name unless the name alone
// is too wide. Display only: the text it gives is never a path to use.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace ny {

// The width of a text as the platform would draw it (pixels, or any unit).
using MeasureText = std::function<int(std::string_view utf8)>;

// `path` (UTF-8, '\' or '/' separators) as it fits in `width`: whole when it
// fits; else its root ("C:\", "\\server\share\", "\") and "…" in place of
// as few folders as needed; else "…" and the file name; else the start of
// the file name and "…"; "" when not even the ellipsis fits.
std::string FitPath(std::string_view path, int width, const MeasureText& measure);

}  // namespace ny
