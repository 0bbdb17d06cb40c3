// The keyboard at the platform's edge: Win32 key numbers become Key, and the
// main window gets the dialog manager's navigation.
#include <windows.h>

#include <commctrl.h>

#include "platform/win32/win32_host.h"
#include "host/layout.h"

namespace ny {

Key KeyOf(WPARAM vk) {
    switch (vk) {
        case VK_BACK: return Key::Backspace;
        case VK_RETURN: return Key::Enter;
        case VK_ESCAPE: return Key::Escape;
        case VK_DELETE: return Key::Delete;
        case VK_LEFT: return Key::Left;
        case VK_RIGHT: return Key::Right;
        case VK_UP: return Key::Up;
        case VK_DOWN: return Key::Down;
        case VK_APPS: return Key::ContextMenu;
        case VK_F10: return GetKeyState(VK_SHIFT) < 0 ? Key::ContextMenu : Key::None;
        default: return Key::None;
    }
}

void Win32Host::raiseKey(Ctl source, WPARAM vk) {
    const Key k = KeyOf(vk);
    if (k != Key::None) raise(Ev::KeyDown, source, static_cast<int>(k));
}

bool Win32Host::navigate(MSG& msg) {
    HWND main = hwndOf(Ctl::MainWindow);
    if (!main || (msg.hwnd != main && !IsChild(main, msg.hwnd))) return false;
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
        // Two pages: forwards and backwards both reach the other one. The
        // focus goes to the new page's first control, never to a hidden one.
        showPage(page_ == 0 ? 1 : 0);
        if (HWND first = GetNextDlgTabItem(main, nullptr, FALSE)) SetFocus(first);
        SendMessageW(main, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        return true;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
        // Enter presses the focused push button (as Space does by itself).
        HWND focus = GetFocus();
        if (focus && IsChild(main, focus) &&
            (SendMessageW(focus, WM_GETDLGCODE, 0, 0) & (DLGC_UNDEFPUSHBUTTON | DLGC_DEFPUSHBUTTON))) {
            SendMessageW(focus, BM_CLICK, 0, 0);
            return true;
        }
    }
    return IsDialogMessageW(main, &msg) != FALSE;
}

// A multi-line edit box takes every key, Tab included; Tab leaves it as it
// leaves every other control (a prompt needs no tab characters).
LRESULT CALLBACK Win32Host::TabLeavesProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                          DWORD_PTR) {
    if (msg == WM_GETDLGCODE && lp) {
        const auto* m = reinterpret_cast<const MSG*>(lp);
        if (m->message == WM_KEYDOWN && m->wParam == VK_TAB)
            return DefSubclassProc(hwnd, msg, wp, lp) & ~(DLGC_WANTALLKEYS | DLGC_WANTTAB);
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, TabLeavesProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace ny
