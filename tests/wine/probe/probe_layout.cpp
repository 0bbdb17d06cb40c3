// Where the program's windows and controls are, held against the design
// tables they are built from (at any DPI), whether the calendar shows all
// of itself, whether the entry's whole text is in view, and the focus.

#include "probe_commands.h"
#include "probe_common.h"

#include <cstdlib>
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "host/alarmlist.h"

namespace probe {

namespace {

bool Measured(ny::Kind k) {
    using ny::Kind;
    return k != Kind::Timer && k != Kind::FileDialog && k != Kind::Menu && k != Kind::MenuItem &&
           k != Kind::Window;
}

// The DPI the program is expected to lay its windows out for: 96 is the
// design itself, exactly; at any other, every length is the design's times
// DPI / 96, give or take a pixel of rounding.
int g_dpi = 96;

int Scaled(int v) { return MulDiv(v, g_dpi, 96); }

bool Near(int got, int design) {
    const int want = Scaled(design);
    return g_dpi == 96 ? got == want : std::abs(got - want) <= 1;
}

// Checks every control of one window against its design. Returns the number
// of mismatches.
// `at`: where the window's top-left corner belongs on the screen.
int CheckWindowLayout(ny::Ctl window, HWND hwnd, POINT at) {
    int bad = 0;
    const ny::WindowDesign& wd = ny::WindowDesignOf(window);
    RECT wr;
    GetWindowRect(hwnd, &wr);
    const int ww = wr.right - wr.left, wh = wr.bottom - wr.top;
    if (!Near(ww, wd.w) || !Near(wh, wd.h) || wr.left != at.x || wr.top != at.y) {
        Out("BAD window " + std::to_string(int(window)) + " expected " +
            RectText(at.x, at.y, Scaled(wd.w), Scaled(wd.h)) + " got " +
            RectText(wr.left, wr.top, ww, wh));
        ++bad;
    } else {
        Out("ok window " + std::to_string(int(window)) + " " +
            RectText(wr.left, wr.top, ww, wh));
    }
    POINT client{0, 0};
    ClientToScreen(hwnd, &client);
    for (const auto& d : ny::ControlDesigns()) {
        if (d.window != window || !Measured(d.kind)) continue;
        const std::string name(d.name);
        HWND h = FindControl(hwnd, d.id);
        if (!h) {
            Out("BAD " + name + " missing");
            ++bad;
            continue;
        }
        POINT origin = client;
        if (d.origin != window) {
            HWND o = FindControl(hwnd, d.origin);
            RECT orc{};
            if (o) GetWindowRect(o, &orc);
            origin = {orc.left, orc.top};
        }
        RECT r;
        GetWindowRect(h, &r);
        const int x = r.left - origin.x, y = r.top - origin.y;
        const int w = r.right - r.left, hgt = r.bottom - r.top;
        if (!Near(x, d.x) || !Near(y, d.y) || !Near(w, d.w) || !Near(hgt, d.h)) {
            Out("BAD " + name + " expected " +
                RectText(Scaled(d.x), Scaled(d.y), Scaled(d.w), Scaled(d.h)) + " got " +
                RectText(x, y, w, hgt));
            ++bad;
        } else {
            Out("ok " + name + " " + RectText(x, y, w, hgt));
        }
    }
    return bad;
}

// Where the month calendar draws a title button (MCHT_TITLEBTNPREV or
// NEXT): the first of its points found in the top half, on a 3-px raster
// (finer than any arrow), grown pixel by pixel to its edges.
RECT CalendarPart(HWND cal, LRESULT part) {
    RECT c;
    GetClientRect(cal, &c);
    Remote r(cal, sizeof(MCHITTESTINFO));
    auto hit = [&](int x, int y) {
        MCHITTESTINFO ht{};
        ht.cbSize = MCHITTESTINFO_V1_SIZE;
        ht.pt = {x, y};
        r.put(&ht, sizeof ht);
        return SendMessageW(cal, MCM_HITTEST, 0, LPARAM(r.at())) == part;
    };
    for (int y = 0; y < c.bottom / 2; y += 3)
        for (int x = 0; x < c.right; x += 3) {
            if (!hit(x, y)) continue;
            RECT f{x, y, x + 1, y + 1};
            while (f.left > 0 && hit(f.left - 1, y)) --f.left;
            while (f.right < c.right && hit(f.right, y)) ++f.right;
            const int mid = (f.left + f.right) / 2;
            while (f.top > 0 && hit(mid, f.top - 1)) --f.top;
            while (f.bottom < c.bottom && hit(mid, f.bottom)) ++f.bottom;
            return f;
        }
    return {};
}

bool Overlap(const RECT& a, const RECT& b) {
    RECT i;
    return IntersectRect(&i, &a, &b) != FALSE;
}

bool Inside(const RECT& in, const RECT& out) {
    return in.left >= out.left && in.top >= out.top && in.right <= out.right &&
           in.bottom <= out.bottom;
}

// The calendar popup shows all of its calendar: the calendar's minimum
// rectangle (what it needs to draw every part) fits in the calendar, the
// calendar in the popup's client area, and the month arrows and year buttons
// are inside it, side by side, none covering another. Returns mismatches.
int CheckCalendar(HWND popup) {
    int bad = 0;
    HWND cal = FindControl(popup, ny::Ctl::月历);
    if (!cal) {
        Out("BAD 月历 missing");
        return 1;
    }
    Remote r(cal, sizeof(RECT));
    SendMessageW(cal, MCM_GETMINREQRECT, 0, LPARAM(r.at()));
    RECT need{};
    r.get(&need, sizeof need);
    RECT client, cr;
    GetClientRect(popup, &client);
    GetWindowRect(cal, &cr);
    MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&cr), 2);
    const int nw = need.right - need.left, nh = need.bottom - need.top;
    const std::string got = RectText(cr.left, cr.top, cr.right - cr.left, cr.bottom - cr.top);
    if (cr.right - cr.left < nw || cr.bottom - cr.top < nh || !Inside(cr, client)) {
        Out("BAD 月历 " + got + " in a client area of " + RectText(0, 0, client.right, client.bottom) +
            ", it needs " + std::to_string(nw) + "x" + std::to_string(nh));
        ++bad;
    } else {
        Out("ok 月历 " + got + " needs " + std::to_string(nw) + "x" + std::to_string(nh));
    }
    RECT outer;
    GetWindowRect(popup, &outer);
    if (outer.right - outer.left != client.right + 2 || outer.bottom - outer.top != client.bottom + 2) {
        Out("BAD the calendar popup has no 1-px border: " + RectOf(popup));
        ++bad;
    }
    std::vector<std::pair<std::string, RECT>> parts;
    for (auto [name, part] : {std::pair{"month back", LRESULT(MCHT_TITLEBTNPREV)},
                              std::pair{"month on", LRESULT(MCHT_TITLEBTNNEXT)}}) {
        RECT a = CalendarPart(cal, part);
        MapWindowPoints(cal, popup, reinterpret_cast<POINT*>(&a), 2);
        parts.push_back({name, a});
    }
    for (ny::Ctl b : {ny::Ctl::左年按钮, ny::Ctl::右年按钮}) {
        RECT br{};
        if (HWND h = FindControl(popup, b)) GetWindowRect(h, &br);
        MapWindowPoints(nullptr, popup, reinterpret_cast<POINT*>(&br), 2);
        parts.push_back({std::string(ny::FindDesign(b)->name), br});
    }
    for (size_t i = 0; i < parts.size(); ++i) {
        const auto& [name, rc] = parts[i];
        const bool empty = rc.right <= rc.left || rc.bottom <= rc.top;
        bool clear = !empty && Inside(rc, client);
        for (size_t j = 0; j < parts.size(); ++j)
            if (j != i && Overlap(rc, parts[j].second)) clear = false;
        Out(std::string(clear ? "ok " : "BAD ") + name + " " +
            RectText(rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top) +
            (clear ? "" : " is hidden, covered or outside"));
        bad += !clear;
    }
    return bad;
}

}  // namespace

int CmdLayout(bool popups, bool anywhere, int dpi) {
    g_dpi = dpi;
    HWND main = MainOrDie();
    const ny::WindowDesign& md = ny::WindowDesignOf(ny::Ctl::MainWindow);
    POINT at{Scaled(md.x), Scaled(md.y)};
    if (anywhere) {  // moved by the user or the system: only its size counts
        RECT r;
        GetWindowRect(main, &r);
        at = {r.left, r.top};
    }
    int bad = CheckWindowLayout(ny::Ctl::MainWindow, main, at);
    // Placed right is not enough: the system places a program that is not
    // DPI aware the same, but it draws at 96 DPI, to be stretched and
    // blurred. What only the program itself sets shows which it is: its
    // list's column widths and the line height of its fonts.
    if (HWND list = FindControl(main, ny::Ctl::超级列表框1)) {
        for (int c = 0; c < ny::col::kCount; ++c) {
            const int w = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(c), 0));
            if (!Near(w, ny::col::kDesignWidths[c])) {
                Out("BAD list column " + std::to_string(c) + " is " + std::to_string(w) +
                    " wide, not " + std::to_string(Scaled(ny::col::kDesignWidths[c])));
                ++bad;
            }
        }
    }
    for (const auto& d : ny::ControlDesigns()) {
        if (d.kind != ny::Kind::Combo || d.window != ny::Ctl::MainWindow) continue;
        HWND h = FindControl(main, d.id);
        const int line = h ? int(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0)) : 0;
        if (line < Scaled(d.fontPx)) {
            Out("BAD " + std::string(d.name) + " lines are " + std::to_string(line) +
                " high, less than its " + std::to_string(Scaled(d.fontPx)) + " px font");
            ++bad;
        }
    }
    if (popups) {
        struct P {
            ny::Ctl window;
            int chars;
        } const which[] = {{ny::Ctl::CalendarWindow, 2}, {ny::Ctl::TimePickerWindow, 15}};
        for (const P& p : which) {
            HWND h = OpenPopup(main, p.window, p.chars);
            if (!h) {
                Out("BAD popup " + std::to_string(int(p.window)) + " did not open");
                ++bad;
                continue;
            }
            // A popup hangs below the entry field, left edges aligned.
            RECT er{};
            GetWindowRect(FindControl(main, ny::Ctl::编辑框1), &er);
            if (p.window == ny::Ctl::CalendarWindow) {
                RECT pr;
                GetWindowRect(h, &pr);
                if (pr.left != er.left || pr.top != er.bottom) {
                    Out("BAD the calendar is at " + RectOf(h) + ", not below the field");
                    ++bad;
                }
                bad += CheckCalendar(h);
            } else {
                bad += CheckWindowLayout(p.window, h, {er.left, er.bottom});
            }
            PostMessageW(h, WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageW(h, WM_KEYUP, VK_ESCAPE, 0);
            WaitFor(2000, [&] { return !IsWindow(h) || !IsWindowVisible(h); });
        }
    }
    Out(bad ? "layout: " + std::to_string(bad) + " mismatches" : "layout: all in place");
    return bad ? 1 : 0;
}

// The whole text of the entry field is in view: its first character at or
// after the left edge and the end of its last one inside the client area,
// even after the field was asked to show its end (as typing there does).
int CmdEntryWhole() {
    HWND edit = ControlOrDie("编辑框1");
    const std::wstring text = WindowText(edit);
    const int len = int(text.size());
    RECT client;
    GetClientRect(edit, &client);
    int bad = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) {
            SendMessageW(edit, EM_SETSEL, WPARAM(len), LPARAM(len));
            SendMessageW(edit, EM_SCROLLCARET, 0, 0);
        }
        const LRESULT first = SendMessageW(edit, EM_POSFROMCHAR, 0, 0);
        const LRESULT end = SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len), 0);
        // Past the last character the control may give no place (-1): then
        // its right edge is its left plus its advance, which for a digit
        // after a digit is the step between the two.
        int right = end == -1 ? -1 : short(LOWORD(end));
        const int left = short(LOWORD(first));
        if (right == -1 && len >= 2 && iswdigit(text[len - 1]) && iswdigit(text[len - 2])) {
            const int a = short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len - 2), 0)));
            const int b = short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(len - 1), 0)));
            right = b + (b - a);
        }
        std::string xs;
        for (int i = 0; i < len; ++i)
            xs += " " + std::to_string(short(LOWORD(SendMessageW(edit, EM_POSFROMCHAR, WPARAM(i), 0))));
        Out("text=" + U8(text) + " first_left=" + std::to_string(left) + " last_right=" +
            std::to_string(right) + " client_right=" + std::to_string(client.right) + " x=" + xs);
        if (first == -1 || left < 0 || right < 0 || right > client.right) ++bad;
    }
    Out(bad ? "BAD the whole text is not in view" : "ok whole text in view");
    return bad ? 1 : 0;
}

// The control with the keyboard focus in the program's window thread, as
// another process sees it.
int CmdFocus() {
    HWND main = MainOrDie();
    GUITHREADINFO gi{};
    gi.cbSize = sizeof gi;
    const DWORD thread = GetWindowThreadProcessId(main, nullptr);
    Settle(main);
    if (!GetGUIThreadInfo(thread, &gi) || !gi.hwndFocus) {
        Out("focus=none");
        return 0;
    }
    std::string name = "other";
    if (gi.hwndFocus == main) name = "window";
    for (const auto& d : ny::ControlDesigns())
        if (d.window == ny::Ctl::MainWindow && FindControl(main, d.id) == gi.hwndFocus)
            name = std::string(d.name);
    Out("focus=" + name);
    Out("caret_shown=" + std::to_string(gi.hwndCaret == gi.hwndFocus ? 1 : 0));
    return 0;
}

// Tells the main window, as the system does when it is dragged to another
// monitor, that its DPI is now `dpi`. The system's suggested rectangle is a
// pointer that does not cross processes, so none is sent: the probe sizes
// the window itself, as the system would have suggested.
int CmdDpiChanged(int dpi) {
    HWND main = MainOrDie();
    const ny::WindowDesign& wd = ny::WindowDesignOf(ny::Ctl::MainWindow);
    DWORD_PTR res = 0;
    if (!SendMessageTimeoutW(main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), 0, SMTO_NORMAL, 5000,
                             &res)) {
        Out("BAD no answer");
        return 1;
    }
    SetWindowPos(main, nullptr, 0, 0, MulDiv(wd.w, dpi, 96), MulDiv(wd.h, dpi, 96),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Out("dpi changed");
    return 0;
}

}  // namespace probe
