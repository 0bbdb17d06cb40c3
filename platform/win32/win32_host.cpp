// Events: the message loop, the window procedures that turn messages into
// ny::Event, and the clock.
#include "platform/win32/win32_host.h"

#include <algorithm>

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "platform/win32/res/resource.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {

Win32Host::Win32Host(HINSTANCE instance) : instance_(instance) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                             ICC_LISTVIEW_CLASSES | ICC_DATE_CLASSES};
    InitCommonControlsEx(&icc);

    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0)) {
        uiFont_ = CreateFontIndirectW(&ncm.lfMessageFont);
        uiFace_ = ncm.lfMessageFont.lfFaceName;
    }
    if (!uiFont_) {
        uiFont_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
        LOGFONTW lf{};
        GetObjectW(uiFont_, sizeof lf, &lf);
        uiFace_ = lf.lfFaceName;
    }

    iconBig_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_NY), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXICON),
                                             GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    iconSmall_ = static_cast<HICON>(LoadImageW(instance_, MAKEINTRESOURCEW(IDI_NY), IMAGE_ICON,
                                               GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // Sent to every top-level window when the taskbar starts (again).
    taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
    registerClasses();
}

Win32Host::~Win32Host() {
    stopAudio();
    removeTrayIcon();
    if (wakeTimer_) CloseHandle(wakeTimer_);
    for (const CachedFont& f : fonts_) DeleteObject(f.font);
    for (HBRUSH b : backgrounds_)
        if (b) DeleteObject(b);  // system colour brushes ignore this
    for (const ScaledFont& f : uiFonts_) DeleteObject(f.font);
    for (const ScaledArrow& a : arrows_)
        if (a.bitmap) DeleteObject(a.bitmap);
    if (iconBig_) DestroyIcon(iconBig_);
    if (iconSmall_) DestroyIcon(iconSmall_);
    // The lock handles in held_ stay open: the process ends right after.
}

Ctl Win32Host::windowCtl(HWND hwnd) const {
    if (!hwnd) return Ctl::None;
    for (Ctl w : {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow})
        if (slots_[static_cast<size_t>(w)].hwnd == hwnd) return w;
    return Ctl::None;
}

// ---- events -----------------------------------------------------------------

int Win32Host::raise(Ev kind, Ctl source, int code) {
    const Ctl w = WindowOf(source);
    if (w == Ctl::None || !onEvent) return 0;
    const Slot& s = slot(w);
    if (!s.ready || s.dying) return 0;  // nothing flows before Created or while it is torn down
    return onEvent(Event{kind, source, code});
}

void Win32Host::run() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) deliver(msg);
}

void Win32Host::deliver(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && escapeCloses(msg.hwnd)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// Esc anywhere in one of our windows is that window's close request, unless
// an open drop-down list wants it for itself.
bool Win32Host::escapeCloses(HWND target) {
    HWND root = GetAncestor(target, GA_ROOT);
    if (windowCtl(root) == Ctl::None) return false;
    const ControlDesign* d = FindDesign(static_cast<Ctl>(GetDlgCtrlID(target)));
    if (d && d->kind == Kind::Combo && hwndOf(d->id) == target &&
        SendMessageW(target, CB_GETDROPPEDSTATE, 0, 0))
        return false;
    SendMessageW(root, WM_CLOSE, 0, 0);
    return true;
}

LRESULT CALLBACK Win32Host::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_NCCREATE) {
        const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* host = reinterpret_cast<Win32Host*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    const Ctl w = host ? host->windowCtl(hwnd) : Ctl::None;
    if (w == Ctl::None) return DefWindowProcW(hwnd, msg, wp, lp);  // still being created
    return host->route(w, hwnd, msg, wp, lp);
}

LRESULT Win32Host::route(Ctl w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND: {
            const Ctl c = static_cast<Ctl>(LOWORD(wp));
            const ControlDesign* d = FindDesign(c);
            if (d && HIWORD(wp) == BN_CLICKED &&
                (d->kind == Kind::Button || d->kind == Kind::MenuItem))
                raise(Ev::Click, c);
            return 0;
        }
        case WM_NOTIFY: {
            const auto* h = reinterpret_cast<const NMHDR*>(lp);
            const Ctl c = static_cast<Ctl>(h->idFrom);
            const ControlDesign* d = FindDesign(c);
            if (!d || hwndOf(c) != h->hwndFrom) return 0;
            if (d->kind == Kind::Tab && h->code == TCN_SELCHANGE)
                showPage(static_cast<int>(SendMessageW(h->hwndFrom, TCM_GETCURSEL, 0, 0)));
            else if (d->kind == Kind::ListView && h->code == NM_RCLICK)
                raise(Ev::RightClick, c);
            else if (d->kind == Kind::MonthCal && h->code == MCN_SELCHANGE)
                raise(Ev::SelChange, c);
            return 0;
        }
        case WM_TIMER: {
            const Ctl c = static_cast<Ctl>(wp);
            if (c > Ctl::None && c < Ctl::Count_ && slot(c).period > 0) raise(Ev::Tick, c);
            return 0;
        }
        case WM_SYSCOMMAND:  // the settings in the system menu
            if (const Ctl c = SystemMenuCtl(wp); c != Ctl::None) return raise(Ev::Click, c), 0;
            break;
        case WM_CLOSE:
            if (raise(Ev::CloseRequest, w) == 1) destroyWindow(w);
            return 0;
        case WM_SIZE:
            raise(Ev::SizeChanged, w);
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wp) == WA_INACTIVE) {
                raise(Ev::Deactivated, w);
            } else if (w != Ctl::MainWindow) {
                // A popup's keys go to its calendar or grid, so that the
                // arrow keys move through days or fields at once.
                for (const ControlDesign& d : ControlDesigns())
                    if (d.window == w && (d.kind == Kind::MonthCal || d.kind == Kind::Grid) &&
                        hwndOf(d.id)) {
                        SetFocus(hwndOf(d.id));
                        return 0;
                    }
            }
            break;
        case WM_KEYDOWN:
            raise(Ev::KeyDown, w, static_cast<int>(wp));
            return 0;
        case WM_CHAR:
            raise(Ev::Char, w, static_cast<int>(wp));
            return 0;
        case WM_TIMECHANGE:
            if (w == Ctl::MainWindow) raise(Ev::ClockChanged, w);
            return 0;
        case WM_POWERBROADCAST:
            if (w == Ctl::MainWindow && (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND))
                raise(Ev::ClockChanged, w);
            return TRUE;
        case WMAPP_NOTIFYCALLBACK:
            if (LOWORD(lp) == WM_LBUTTONUP) raise(Ev::Tray, w, 1);
            else if (LOWORD(lp) == WM_RBUTTONUP) raise(Ev::Tray, w, 3);
            return 0;
        case WM_DPICHANGED: {
            // Take the size the system suggests, then lay the controls out anew.
            if (const auto* r = reinterpret_cast<const RECT*>(lp))
                SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left,
                             r->bottom - r->top, SWP_NOZORDER | SWP_NOACTIVATE);
            relayout(w, HIWORD(wp));
            return 0;
        }
        case WM_GETMINMAXINFO: {
            // The design's size, scaled, even where that is more than the
            // screen: a cut-down window would hide controls.
            auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
            const WindowDesign& wd = WindowDesignOf(w);
            const int dpi = slot(w).dpi;
            mm->ptMaxTrackSize.x = std::max<LONG>(mm->ptMaxTrackSize.x, MulDiv(wd.w, dpi, 96));
            mm->ptMaxTrackSize.y = std::max<LONG>(mm->ptMaxTrackSize.y, MulDiv(wd.h, dpi, 96));
            return 0;
        }
        case WMAPP_LOADED:
            raise(Ev::Loaded, w);
            return 0;
        case MM_MCINOTIFY:
            onMciNotify(wp, lp);
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            if (LRESULT brush = controlColour(w, reinterpret_cast<HDC>(wp),
                                              reinterpret_cast<HWND>(lp), msg == WM_CTLCOLORBTN))
                return brush;
            break;
        case WM_DESTROY:
            if (w == Ctl::MainWindow) {
                // The program ends with its main window: leave no icon or sound behind.
                removeTrayIcon();
                stopAudio();
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY:
            forgetWindow(w);
            break;
        default:
            if (msg == taskbarCreated_ && taskbarCreated_ != 0 && trayShown_) addTrayIcon(NIM_ADD);
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Host::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR ref) {
    if (msg == WM_LBUTTONUP) {
        // The edit box places the caret and releases the mouse first.
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        reinterpret_cast<Win32Host*>(ref)->raise(Ev::MouseUp, static_cast<Ctl>(GetDlgCtrlID(hwnd)));
        return r;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EditProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

LRESULT CALLBACK Win32Host::MonthCalProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref) {
    if (msg == WM_LBUTTONDOWN) {
        // The press is reported first, saying whether it hit a day (not the
        // title, its arrows or the week-day names), then goes on to the
        // calendar as usual.
        MCHITTESTINFO ht{};
        ht.cbSize = MCHITTESTINFO_V1_SIZE;
        ht.pt = {static_cast<short>(LOWORD(lp)), static_cast<short>(HIWORD(lp))};
        const LRESULT hit = SendMessageW(hwnd, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&ht));
        const bool onDay = hit != -1 && (hit & MCHT_CALENDARDATE) == MCHT_CALENDARDATE &&
                           (hit & 0xFF) == (MCHT_CALENDARDATE & 0xFF);
        reinterpret_cast<Win32Host*>(ref)->raise(
            Ev::MouseDown, static_cast<Ctl>(GetDlgCtrlID(hwnd)), onDay ? kPressOnDay : 0);
        if (!IsWindow(hwnd)) return 0;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, MonthCalProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

// ---- clock ------------------------------------------------------------------

LocalTime Win32Host::now() {
    SYSTEMTIME st;
    GetLocalTime(&st);
    return LocalTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond,
                     st.wMilliseconds};
}

int64_t Win32Host::monotonicMs() { return static_cast<int64_t>(GetTickCount64()); }

bool Win32Host::wait(int64_t ms) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(ms > 0 ? ms : 0);
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
                return false;
            }
            deliver(msg);
        }
        const ULONGLONG t = GetTickCount64();
        if (t >= deadline) return true;
        MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(deadline - t), QS_ALLINPUT,
                                    MWMO_INPUTAVAILABLE);
    }
}

}  // namespace ny
