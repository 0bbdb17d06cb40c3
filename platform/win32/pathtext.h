// Paths shown compacted to the pixels they have ("C:\…\alarm.mp3"), for the
// ring-tone field and the list's tone column. Display only: the control
// keeps the whole path as its text, which is what anything reads back.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace ny {

// `path` as it fits in `width` pixels drawn with the font selected into `dc`.
std::wstring PathTextToFit(HDC dc, std::wstring_view path, int width);
// The same with the font of `window` (WM_GETFONT), e.g. a list view for its
// column: PathTextToFit(list, path, columnWidth - margins).
std::wstring PathTextToFit(HWND window, std::wstring_view path, int width);

// Makes an edit box (disabled or read-only) draw its text compacted to its
// width; its text, its tip and everything that reads it keep the whole path.
void ShowPathCompacted(HWND edit);

}  // namespace ny
