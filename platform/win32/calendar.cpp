// The month calendar of the date popup: the press on it reported with
// whether it hit a day, its size fitted to the month it shows, the year
// buttons placed beside its month arrows, and the day it has selected.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "platform/win32/dpi.h"
#include "platform/win32/win32_host.h"
#include "host/datetime.h"

namespace ny {
namespace {

// The month calendar's part under client point (x, y) (MCHT_*).
LRESULT CalendarHit(HWND cal, int x, int y) {
    MCHITTESTINFO ht{};
    ht.cbSize = MCHITTESTINFO_V1_SIZE;
    ht.pt = {x, y};
    return SendMessageW(cal, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
}

// Where the calendar draws a title button (MCHT_TITLEBTNPREV or NEXT), found
// by asking what lies under its points: a coarse search of the top third's
// side where it belongs, then its edges pixel by pixel. Empty when none.
RECT TitleButton(HWND cal, LRESULT which) {
    RECT c;
    GetClientRect(cal, &c);
    const bool left = which == MCHT_TITLEBTNPREV;
    const int x0 = left ? 0 : c.right * 2 / 3, x1 = left ? c.right / 3 : c.right;
    constexpr int kStep = 3;  // smaller than any arrow
    for (int y = 0; y < c.bottom / 3; y += kStep)
        for (int x = x0; x < x1; x += kStep) {
            if (CalendarHit(cal, x, y) != which) continue;
            RECT r{x, y, x + 1, y + 1};
            while (r.left > 0 && CalendarHit(cal, r.left - 1, y) == which) --r.left;
            while (r.right < c.right && CalendarHit(cal, r.right, y) == which) ++r.right;
            const int mid = (r.left + r.right) / 2;
            while (r.top > 0 && CalendarHit(cal, mid, r.top - 1) == which) --r.top;
            while (r.bottom < c.bottom && CalendarHit(cal, mid, r.bottom) == which) ++r.bottom;
            return r;
        }
    return {};
}

}  // namespace

LRESULT CALLBACK Win32Host::MonthCalProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref) {
    if (msg == WM_LBUTTONDOWN) {
        // The press is reported first, saying whether it hit a day (not the
        // title, its arrows or the week-day names), then goes on to the
        // calendar as usual.
        const LRESULT hit =
            CalendarHit(hwnd, static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp)));
        const bool onDay = hit != -1 && (hit & MCHT_CALENDARDATE) == MCHT_CALENDARDATE &&
                           (hit & 0xFF) == (MCHT_CALENDARDATE & 0xFF);
        reinterpret_cast<Win32Host*>(ref)->raise(
            Ev::MouseDown, static_cast<Ctl>(GetDlgCtrlID(hwnd)), onDay ? kPressOnDay : 0);
        if (!IsWindow(hwnd)) return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, MonthCalProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

void Win32Host::fitCalendar() {
    HWND win = hwndOf(Ctl::CalendarWindow), cal = hwndOf(Ctl::月历);
    if (!win || !cal) return;
    RECT need{};
    if (!SendMessageW(cal, MCM_GETMINREQRECT, 0, reinterpret_cast<LPARAM>(&need))) return;
    const int w = need.right - need.left, h = need.bottom - need.top;
    // Exactly its size: more would leave a blank strip beside the month.
    SetWindowPos(cal, nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    RECT outer{0, 0, w, h};
    AdjustWindowRectEx(&outer, static_cast<DWORD>(GetWindowLongPtrW(win, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(win, GWL_EXSTYLE)));
    SetWindowPos(win, nullptr, 0, 0, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The year buttons go inside the month arrows, side by side with them,
    // so that both are seen and reached whole.
    const int gap = Scale(2, slot(Ctl::CalendarWindow).dpi);
    const RECT prev = TitleButton(cal, MCHT_TITLEBTNPREV), next = TitleButton(cal, MCHT_TITLEBTNNEXT);
    for (Ctl b : {Ctl::左年按钮, Ctl::右年按钮}) {
        HWND bh = hwndOf(b);
        const RECT& arrow = b == Ctl::左年按钮 ? prev : next;
        if (!bh || arrow.right <= arrow.left) continue;
        RECT br;
        GetWindowRect(bh, &br);
        const int bw = br.right - br.left, bhgt = br.bottom - br.top;
        const int x = b == Ctl::左年按钮 ? arrow.right + gap : arrow.left - gap - bw;
        const int y = (arrow.top + arrow.bottom - bhgt) / 2;
        SetWindowPos(bh, HWND_TOP, x, std::max(y, 0), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    }
}

LocalTime Win32Host::monthCalDate(Ctl cal) {
    HWND h = exists(cal) ? hwndOf(cal) : nullptr;
    SYSTEMTIME st{};
    if (!h || !SendMessageW(h, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st))) return {};
    return LocalTime{st.wYear, st.wMonth, st.wDay, 0, 0, 0, 0};
}

void Win32Host::setMonthCalDate(Ctl cal, const LocalTime& day) {
    HWND h = exists(cal) ? hwndOf(cal) : nullptr;
    if (!h) return;
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(day.year);
    st.wMonth = static_cast<WORD>(day.month);
    st.wDay = static_cast<WORD>(day.day);
    st.wDayOfWeek = static_cast<WORD>(DayOfWeek(day));
    SendMessageW(h, MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
}

}  // namespace ny
