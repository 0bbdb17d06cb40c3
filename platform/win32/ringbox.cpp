// The ringing alarm's box: a message box whose second button snoozes. A
// hook catches the box as it opens; its Cancel button is then renamed, given
// an ID of its own and laid out beside OK at the width its caption needs.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/dpi.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"

namespace ny {
namespace {

// The ring box's second button gets an ID of its own: the box then ends
// with it only when it is pressed, while Esc and the close button still
// end it with IDCANCEL, which counts as OK.
constexpr int kSecondButtonId = 0x4E59;
// Around the caption inside a button, at 96 DPI.
constexpr int kButtonPaddingPx = 12;

struct RingBoxState {
    HHOOK hook = nullptr;
    std::wstring second;
};
RingBoxState g_ringBox;  // one box at a time: the user-interface thread only

// Posted to the box by the hook: the box has laid itself out by the time it
// arrives (Wine activates a box before its WM_INITDIALOG, Windows after).
constexpr UINT kLayOutMessage = WM_APP + 0x59;
void LayOutButtons(HWND box);

LRESULT CALLBACK RingBoxProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id, DWORD_PTR) {
    if (msg == kLayOutMessage) {
        LayOutButtons(hwnd);
        return 0;
    }
    if (msg == WM_COMMAND && LOWORD(wp) == kSecondButtonId && HIWORD(wp) == BN_CLICKED) {
        EndDialog(hwnd, kSecondButtonId);
        return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, RingBoxProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// Where a child window lies in its parent's client area.
RECT ChildRect(HWND child, HWND parent) {
    RECT r{};
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

// The box's Cancel button becomes the second button: its caption at once,
// its own ID and its place once the box has laid itself out.
void RelabelSecondButton(HWND box) {
    if (HWND second = GetDlgItem(box, IDCANCEL)) SetWindowTextW(second, g_ringBox.second.c_str());
    SetWindowSubclass(box, RingBoxProc, 1, 0);
    PostMessageW(box, kLayOutMessage, 0, 0);
}

// Both buttons get the width the second one's caption needs at the box's
// DPI and stay centred, the box growing when they no longer fit.
void LayOutButtons(HWND box) {
    HWND ok = GetDlgItem(box, IDOK);
    HWND second = GetDlgItem(box, IDCANCEL);
    if (!ok || !second) return;
    SetWindowTextW(second, g_ringBox.second.c_str());
    SetWindowLongPtrW(second, GWLP_ID, kSecondButtonId);

    const RECT a = ChildRect(ok, box), b = ChildRect(second, box);
    HDC dc = GetDC(second);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(second, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc, g_ringBox.second.c_str(), static_cast<int>(g_ringBox.second.size()), &text);
    SelectObject(dc, old);
    ReleaseDC(second, dc);
    const int dpi = DpiOfWindow(box);
    const int width = std::max<int>(a.right - a.left, text.cx + 2 * MulDiv(kButtonPaddingPx, dpi, 96));
    const int height = a.bottom - a.top;
    const int gap = std::max<int>(b.left - a.right, MulDiv(6, dpi, 96));
    const int margin = std::max<int>(a.left, MulDiv(kButtonPaddingPx, dpi, 96));
    const int row = 2 * width + gap;

    RECT client{};
    GetClientRect(box, &client);
    if (row + 2 * margin > client.right) {
        const int grow = row + 2 * margin - client.right;
        RECT w{};
        GetWindowRect(box, &w);
        SetWindowPos(box, nullptr, w.left - grow / 2, w.top, w.right - w.left + grow,
                     w.bottom - w.top, SWP_NOZORDER | SWP_NOACTIVATE);
        GetClientRect(box, &client);
    }
    const int left = (client.right - row) / 2;
    SetWindowPos(ok, nullptr, left, a.top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetWindowPos(second, nullptr, left + width + gap, a.top, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(box, nullptr, TRUE);
}

LRESULT CALLBACK RingBoxHook(int code, WPARAM wp, LPARAM lp) {
    HHOOK hook = g_ringBox.hook;
    if (code == HCBT_ACTIVATE) {
        HWND box = reinterpret_cast<HWND>(wp);
        wchar_t cls[16] = {};
        GetClassNameW(box, cls, 16);
        if (lstrcmpW(cls, L"#32770") == 0) {
            UnhookWindowsHookEx(hook);
            g_ringBox.hook = nullptr;
            RelabelSecondButton(box);
        }
    }
    return CallNextHookEx(hook, code, wp, lp);
}

}  // namespace

RingAnswer Win32Host::ringBox(std::string_view text, std::string_view second,
                              std::string_view title) {
    g_ringBox.second = ToWstr(second);
    g_ringBox.hook = SetWindowsHookExW(WH_CBT, RingBoxHook, nullptr, GetCurrentThreadId());
    // An OK/Cancel box whose Cancel becomes the second button (see above).
    const int pressed = messageBoxRaw(text, MB_OKCANCEL | MB_DEFBUTTON1,
                                      title.empty() ? std::nullopt : std::optional(title), true);
    if (g_ringBox.hook) {  // the box never came
        UnhookWindowsHookEx(g_ringBox.hook);
        g_ringBox.hook = nullptr;
    }
    return pressed == kSecondButtonId ? RingAnswer::Snooze : RingAnswer::Ok;
}

}  // namespace ny
