// What the handlers read and set on a control once it stands: its text (a
// menu item's, a drop-down list's choice, a path shown by its end), whether
// it is enabled and visible (a page's controls only on their page), its
// caret and focus, and a timer's period.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "platform/win32/undrawn.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

std::wstring WindowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

}  // namespace

std::string Win32Host::text(Ctl c) {
    if (!exists(c)) return {};
    const ControlDesign* d = FindDesign(c);
    if (d && d->kind == Kind::MenuItem) {
        wchar_t buf[256] = {};
        GetMenuStringW(slot(d->parentMenu).menu, static_cast<UINT>(c), buf, 256, MF_BYCOMMAND);
        return ToUtf8(buf);
    }
    HWND h = hwndOf(c);
    if (!h) return {};
    if (d && d->kind == Kind::Combo) {
        // A drop-down list's text is its selected item.
        const LRESULT i = SendMessageW(h, CB_GETCURSEL, 0, 0);
        if (i < 0) return {};
        const LRESULT n = SendMessageW(h, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (n <= 0) return {};
        std::wstring s(static_cast<size_t>(n) + 1, L'\0');
        SendMessageW(h, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(s.data()));
        s.resize(static_cast<size_t>(n));
        return ToUtf8(s);
    }
    return ToUtf8(WindowText(h));
}

void Win32Host::setText(Ctl c, std::string_view s) {
    if (!exists(c)) return;
    const ControlDesign* d = FindDesign(c);
    const std::wstring w = ToWstr(s);
    if (d && d->kind == Kind::MenuItem) {
        ModifyMenuW(slot(d->parentMenu).menu, static_cast<UINT>(c), MF_BYCOMMAND | MF_STRING,
                    static_cast<UINT_PTR>(c), w.c_str());
        return;
    }
    HWND h = hwndOf(c);
    if (!h) return;
    if (d && d->kind == Kind::Combo) {
        // Only listed items can be chosen; anything else clears the choice.
        const LRESULT i = SendMessageW(h, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(w.c_str()));
        SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        return;
    }
    SetWindowTextW(h, w.c_str());
    if (d && d->showsEnd) {
        // The end in view: a path's file name says which file it is.
        const int len = GetWindowTextLengthW(h);
        SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(len), len);
        SendMessageW(h, EM_SCROLLCARET, 0, 0);
        setPathTip(c, w);
    }
    if (d && d->kind == Kind::TransparentLabel) {
        // It draws no ground of its own: the old text goes only when the
        // window beneath repaints that spot.
        RECT r;
        GetWindowRect(h, &r);
        HWND parent = GetParent(h);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        RedrawWindow(parent, &r, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
}

bool Win32Host::enabled(Ctl c) {
    if (!exists(c)) return false;
    const ControlDesign* d = FindDesign(c);
    if (d && d->kind == Kind::MenuItem)
        return !(GetMenuState(slot(d->parentMenu).menu, static_cast<UINT>(c), MF_BYCOMMAND) &
                 MF_GRAYED);
    HWND h = hwndOf(c);
    return h ? IsWindowEnabled(h) != FALSE : true;
}

void Win32Host::setEnabled(Ctl c, bool on) {
    if (!exists(c)) return;
    const ControlDesign* d = FindDesign(c);
    if (d && d->kind == Kind::MenuItem) {
        EnableMenuItem(slot(d->parentMenu).menu, static_cast<UINT>(c),
                       MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
        return;
    }
    // A button draws itself at once when enabled (6 ms for 停止 under Wine,
    // in a ringing alarm's way to its box): at the next paint instead.
    HWND h = hwndOf(c);
    if (h && (IsWindowEnabled(h) != FALSE) != on) ChangeUndrawn(h, true, [&] { EnableWindow(h, on); });
}

bool Win32Host::visible(Ctl c) {
    if (!exists(c)) return false;
    if (IsWindowCtl(c)) return IsWindowVisible(hwndOf(c)) != FALSE;
    return hwndOf(c) && slot(c).ownVisible;
}

void Win32Host::setVisible(Ctl c, bool on) {
    if (!exists(c)) return;
    if (const ControlDesign* d = FindDesign(c); d && d->kind == Kind::MenuItem) {
        showMenuItem(*d, on);
        return;
    }
    if (IsWindowCtl(c)) {
        slot(c).ownVisible = on;
        ShowWindow(hwndOf(c), on ? SW_SHOW : SW_HIDE);
        return;
    }
    slot(c).ownVisible = on;
    applyVisibility(c);
}

// A page control shows only on its page.
void Win32Host::applyVisibility(Ctl c) {
    const ControlDesign* d = FindDesign(c);
    HWND h = hwndOf(c);
    if (!d || !h) return;
    const bool show = slot(c).ownVisible && (d->page < 0 || d->page == page_);
    ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
    if (d->showsEnd) setPathTip(c, show ? WindowText(h) : std::wstring());  // no tip over the other page
}

int Win32Host::caret(Ctl edit) {
    HWND h = exists(edit) ? hwndOf(edit) : nullptr;
    if (!h) return 0;
    DWORD start = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return CharsBeforeUnit(WindowText(h), static_cast<int>(start));
}

void Win32Host::setFocus(Ctl c) {
    if (HWND h = exists(c) ? hwndOf(c) : nullptr) SetFocus(h);
}

void Win32Host::setCaret(Ctl edit, int offset) {
    HWND h = exists(edit) ? hwndOf(edit) : nullptr;
    if (!h) return;
    const int units = UnitsBeforeChar(WindowText(h), offset);
    SendMessageW(h, EM_SETSEL, static_cast<WPARAM>(units), units);
}

// ---- timers -------------------------------------------------------------------

void Win32Host::setTimer(Ctl timer, int64_t periodMs) {
    const ControlDesign* d = FindDesign(timer);
    if (!d || d->kind != Kind::Timer || !exists(timer)) return;
    HWND owner = hwndOf(d->window);
    Slot& s = slot(timer);
    s.period = std::max<int64_t>(periodMs, 0);
    // SetTimer on a running id restarts its period: that is the re-arm.
    if (s.period > 0)
        SetTimer(owner, static_cast<UINT_PTR>(timer),
                 static_cast<UINT>(std::min<int64_t>(s.period, USER_TIMER_MAXIMUM)), nullptr);
    else
        KillTimer(owner, static_cast<UINT_PTR>(timer));
}

int64_t Win32Host::timerPeriod(Ctl timer) { return exists(timer) ? slot(timer).period : 0; }

}  // namespace ny
