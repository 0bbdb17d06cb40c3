#include "platform/win32/pathtext.h"

#include <commctrl.h>

#include "host/pathfit.h"
#include "platform/win32/wstr.h"

namespace ny {

std::wstring PathTextToFit(HDC dc, std::wstring_view path, int width) {
    const std::string shown = FitPath(ToUtf8(path), width, [dc](std::string_view s) {
        const std::wstring w = ToWstr(s);
        SIZE ext{};
        GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &ext);
        return static_cast<int>(ext.cx);
    });
    return ToWstr(shown);
}

std::wstring PathTextToFit(HWND window, std::wstring_view path, int width) {
    HDC dc = GetDC(window);
    if (!dc) return std::wstring(path);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0)));
    std::wstring shown = PathTextToFit(dc, path, width);
    SelectObject(dc, old);
    ReleaseDC(window, dc);
    return shown;
}

namespace {

constexpr UINT_PTR kCompactedId = 0x7061;  // 'pa'

// The edit's own painting would scroll its text; this draws it compacted
// where the edit would have, in the colours it would have used.
LRESULT CALLBACK CompactedProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) {
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(h, CompactedProc, kCompactedId);
    if (msg != WM_PAINT) return DefSubclassProc(h, msg, wp, lp);
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(h, &ps);
    RECT client;
    GetClientRect(h, &client);
    const bool enabled = IsWindowEnabled(h);
    const bool readOnly = GetWindowLongW(h, GWL_STYLE) & ES_READONLY;
    // Disabled and read-only edits ask their parent as a static does.
    auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
        GetParent(h), enabled && !readOnly ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
        reinterpret_cast<LPARAM>(h)));
    FillRect(dc, &client, brush ? brush : GetSysColorBrush(enabled ? COLOR_WINDOW : COLOR_BTNFACE));
    if (!enabled) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(h, WM_GETFONT, 0, 0)));
    RECT at = client;
    SendMessageW(h, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&at));
    const int len = GetWindowTextLengthW(h);
    std::wstring text(static_cast<size_t>(len) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(h, text.data(), len + 1)));
    const std::wstring shown = PathTextToFit(dc, text, at.right - at.left);
    DrawTextW(dc, shown.c_str(), static_cast<int>(shown.size()), &at, DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    SelectObject(dc, old);
    EndPaint(h, &ps);
    return 0;
}

}  // namespace

void ShowPathCompacted(HWND edit) {
    SetWindowSubclass(edit, CompactedProc, kCompactedId, 0);
    InvalidateRect(edit, nullptr, TRUE);
}

}  // namespace ny
