// Events: the message loop, the window procedures that turn messages into
// ny::Event, and the clock.
#include "platform/win32/win32_host.h"

#include <algorithm>
#include <optional>

#include <commctrl.h>
#include <mmsystem.h>
#include <shellapi.h>

#include "platform/win32/colours.h"
#include "platform/win32/quit.h"
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
    postedHook_ = SetWindowsHookExW(WH_GETMESSAGE, NeutralisePosted, nullptr, GetCurrentThreadId());
    quitMessage_ = RegisterWindowMessageW(kQuitMessageName);
    showMessage_ = RegisterWindowMessageW(kShowMessageName);
    registerClasses();
}

Win32Host::~Win32Host() {
    stopAudio();
    removeTrayIcon();
    if (wakeTimer_) CloseHandle(wakeTimer_);
    if (postedHook_) UnhookWindowsHookEx(postedHook_);
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

Reply Win32Host::raise(Ev kind, Ctl source, int code) {
    const Ctl w = WindowOf(source);
    if (w == Ctl::None || !onEvent) return Reply::None;
    const Slot& s = slot(w);
    if (!s.ready || s.dying) return Reply::None;  // nothing flows before Created or while it is torn down
    return onEvent(Event{kind, source, code});
}

void Win32Host::run() {
    MSG msg;
    for (;;) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) return;  // WM_QUIT
        // A message that could not be received (another program's huge
        // WM_COPYDATA) is no reason to end the alarm clock. The pause keeps
        // a failure that repeats from taking a whole processor.
        if (got == -1) {
            Sleep(1);
            continue;
        }
        deliver(msg);
    }
}

// WM_NOTIFY and WM_DPICHANGED carry pointers and are only ever sent. Posted,
// they come from another program with a pointer into nothing: every message
// loop of this thread (ours, a message box's, a menu's) sees them here first
// and they are made WM_NULL.
LRESULT CALLBACK Win32Host::NeutralisePosted(int code, WPARAM wp, LPARAM lp) {
    if (code == HC_ACTION) {
        auto* m = reinterpret_cast<MSG*>(lp);
        if (m && (m->message == WM_NOTIFY || m->message == WM_DPICHANGED)) m->message = WM_NULL;
    }
    return CallNextHookEx(nullptr, code, wp, lp);
}

void Win32Host::deliver(MSG& msg) {
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && escapeCloses(msg.hwnd)) return;
    if (navigate(msg)) return;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// Esc anywhere in one of our windows is that window's close request, unless
// an open drop-down list wants it for itself or the alarm entry's handler
// takes it (an edit given up).
bool Win32Host::escapeCloses(HWND target) {
    HWND root = GetAncestor(target, GA_ROOT);
    if (windowCtl(root) == Ctl::None) return false;
    const ControlDesign* d = FindDesign(static_cast<Ctl>(GetDlgCtrlID(target)));
    if (d && d->kind == Kind::Combo && hwndOf(d->id) == target &&
        SendMessageW(target, CB_GETDROPPEDSTATE, 0, 0))
        return false;
    if (d && d->id == Ctl::编辑框1 && hwndOf(d->id) == target &&
        raise(Ev::KeyDown, d->id, static_cast<int>(Key::Escape)) == Reply::Taken)
        return true;
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

// Routes each message to the handler of its group; a handler that leaves a
// message to the system returns nothing.
LRESULT Win32Host::route(Ctl w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    std::optional<LRESULT> r;
    switch (msg) {
        case WM_COMMAND: r = onCommand(wp); break;
        case WM_NOTIFY: r = onNotify(lp); break;
        case WM_TIMER: r = onTimer(wp); break;
        case WM_CLOSE:
        case WM_SIZE:
        case WM_ACTIVATE:
        case WMAPP_LOADED:
        case WM_DESTROY:
        case WM_NCDESTROY: r = onWindowLife(w, msg, wp); break;
        case WM_KEYDOWN:
        case WM_CHAR: r = onKey(w, msg, wp); break;
        case WM_TIMECHANGE:
        case WM_POWERBROADCAST: r = onClockNotice(w, msg, wp); break;
        case WMAPP_NOTIFYCALLBACK: r = onTrayIcon(w, lp); break;
        case WMAPP_JOB_GO:
            if (w == Ctl::MainWindow) jobs_.go(wp);
            r = 0;
            break;
        case WMAPP_JOB_DONE:
            if (w == Ctl::MainWindow && jobs_.collect(wp)) raise(Ev::JobDone, Ctl::MainWindow, int(wp));
            r = 0;
            break;
        case WM_ENDSESSION:
            // Windows ends the process once this returns: the store's
            // write must have reached the disk.
            if (wp) jobs_.finishAll();
            break;
        case WM_DPICHANGED:
        case WM_GETMINMAXINFO: r = onSizing(w, hwnd, msg, wp, lp); break;
        case MM_MCINOTIFY:
            onMciNotify(wp, lp);
            r = 0;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: r = onColour(w, msg, wp, lp); break;
        case WM_ERASEBKGND:
        case WM_SYSCOLORCHANGE:
        case WM_SETTINGCHANGE: r = onTheme(w, hwnd, msg, wp); break;
        case WM_SETCURSOR:
            // The pointer on its way to 试听: the sound is made ready before
            // the click, so that the first one starts as fast as later ones.
            if (reinterpret_cast<HWND>(wp) == hwndOf(Ctl::试听) && wp) warmUpAudio();
            break;
        case WM_SYSCOMMAND:  // the settings in the system menu
            if (const Ctl c = SystemMenuCtl(wp); c != Ctl::None) {
                raise(Ev::Click, c);
                r = 0;
            }
            break;
        default:
            if (msg == taskbarCreated_ && taskbarCreated_ != 0 && trayShown_) addTrayIcon(NIM_ADD);
            if (msg == quitMessage_ && quitMessage_ != 0 && w == Ctl::MainWindow) {
                raise(Ev::Click, Ctl::关闭);  // the quit switch (an installer)
                r = 0;
            }
            if (msg == showMessage_ && showMessage_ != 0 && w == Ctl::MainWindow) {
                raise(Ev::Click, Ctl::打开);  // a second start: the window as the tray's 打开 shows it
                // In front now, this copy lets the asking one put its box over the window.
                if (wp) AllowSetForegroundWindow(static_cast<DWORD>(wp));
                r = 0;
            }
            break;
    }
    return r ? *r : DefWindowProcW(hwnd, msg, wp, lp);
}

std::optional<LRESULT> Win32Host::onCommand(WPARAM wp) {
    const Ctl c = static_cast<Ctl>(LOWORD(wp));
    const ControlDesign* d = FindDesign(c);
    if (d && HIWORD(wp) == BN_CLICKED && (d->kind == Kind::Button || d->kind == Kind::MenuItem))
        raise(Ev::Click, c);
    // An item of a submenu of the system menu: Wine sends it as WM_COMMAND,
    // Windows as WM_SYSCOMMAND (see route).
    else if (!d && HIWORD(wp) == 0)
        if (const Ctl s = SystemMenuCtl(LOWORD(wp)); s != Ctl::None) raise(Ev::Click, s);
    return 0;
}

bool InOwnMemory(const void* p, size_t bytes, bool writable) {
    if (!p || bytes == 0) return false;
    const auto start = reinterpret_cast<uintptr_t>(p);
    if (start + bytes < start) return false;
    constexpr DWORD kReadable = PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
                                PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    constexpr DWORD kWritable = PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
                                PAGE_EXECUTE_WRITECOPY;
    // The span may cross regions of different protection: each is asked.
    for (uintptr_t at = start; at < start + bytes;) {
        MEMORY_BASIC_INFORMATION mbi{};
        if (!VirtualQuery(reinterpret_cast<const void*>(at), &mbi, sizeof mbi)) return false;
        if (mbi.State != MEM_COMMIT || (mbi.Protect & (PAGE_GUARD | PAGE_NOACCESS)) ||
            !(mbi.Protect & (writable ? kWritable : kReadable)))
            return false;
        const uintptr_t end = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
        if (end <= at) return false;
        at = end;
    }
    return true;
}

std::optional<LRESULT> Win32Host::onNotify(LPARAM lp) {
    // A notification may come inside another thread's send: a screen reader
    // reading a cell with LVM_GETITEMTEXTW makes the list ask us for it. So
    // the thread says nothing; what counts is that the pointer lies in our own
    // memory (one sent by another program points into its own address space)
    // and names one of our controls. (Posted ones never get here: see
    // NeutralisePosted.)
    const auto* h = reinterpret_cast<const NMHDR*>(lp);
    if (!InOwnMemory(h, sizeof *h, false)) return 0;
    const Ctl c = static_cast<Ctl>(h->idFrom);
    const ControlDesign* d = FindDesign(c);
    if (!d || hwndOf(c) != h->hwndFrom) return 0;
    if (d->kind == Kind::Tab && h->code == TCN_SELCHANGE)
        showPage(static_cast<int>(SendMessageW(h->hwndFrom, TCM_GETCURSEL, 0, 0)));
    else if (d->kind == Kind::ListView)
        return onListNotify(c, *h, lp).value_or(0);
    else if (d->kind == Kind::MonthCal && h->code == MCN_SELCHANGE)
        raise(Ev::SelChange, c);
    return 0;
}

std::optional<LRESULT> Win32Host::onTimer(WPARAM wp) {
    const Ctl c = static_cast<Ctl>(wp);
    if (c > Ctl::None && c < Ctl::Count_ && slot(c).period > 0) raise(Ev::Tick, c);
    return 0;
}

std::optional<LRESULT> Win32Host::onWindowLife(Ctl w, UINT msg, WPARAM wp) {
    switch (msg) {
        case WM_CLOSE:
            if (raise(Ev::CloseRequest, w) == Reply::Close) destroyWindow(w);
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
            return std::nullopt;
        case WMAPP_LOADED:
            raise(Ev::Loaded, w);
            return 0;
        case WM_DESTROY:
            if (w == Ctl::MainWindow) {
                // The program ends with its main window: leave no icon or
                // sound behind, nor a store half written.
                jobs_.finishAll();
                removeTrayIcon();
                stopAudio();
                PostQuitMessage(0);
            }
            return 0;
        case WM_NCDESTROY:
            forgetWindow(w);
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<LRESULT> Win32Host::onKey(Ctl w, UINT msg, WPARAM wp) {
    if (msg == WM_KEYDOWN) raiseKey(w, wp);  // keys are named here, characters pass as they are
    else raise(Ev::Char, w, static_cast<int>(wp));
    return 0;
}

std::optional<LRESULT> Win32Host::onClockNotice(Ctl w, UINT msg, WPARAM wp) {
    if (msg == WM_TIMECHANGE) {
        if (w == Ctl::MainWindow) raise(Ev::ClockChanged, w);
        return 0;
    }
    if (w == Ctl::MainWindow && (wp == PBT_APMRESUMEAUTOMATIC || wp == PBT_APMRESUMESUSPEND))
        raise(Ev::ClockChanged, w);
    return TRUE;
}

std::optional<LRESULT> Win32Host::onTrayIcon(Ctl w, LPARAM lp) {
    if (LOWORD(lp) == WM_LBUTTONUP) raise(Ev::Tray, w, static_cast<int>(TrayClick::Left));
    else if (LOWORD(lp) == WM_RBUTTONUP) raise(Ev::Tray, w, static_cast<int>(TrayClick::Right));
    return 0;
}

std::optional<LRESULT> Win32Host::onSizing(Ctl w, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_DPICHANGED) {
        // Take the size the system suggests, then lay the controls out anew.
        if (const auto* r = reinterpret_cast<const RECT*>(lp))
            SetWindowPos(hwnd, nullptr, r->left, r->top, r->right - r->left, r->bottom - r->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        relayout(w, HIWORD(wp));
        return 0;
    }
    // WM_GETMINMAXINFO: the design's size, scaled, even where that is more
    // than the screen: a cut-down window would hide controls.
    auto* mm = reinterpret_cast<MINMAXINFO*>(lp);
    const WindowDesign& wd = WindowDesignOf(w);
    const int dpi = slot(w).dpi;
    mm->ptMaxTrackSize.x = std::max<LONG>(mm->ptMaxTrackSize.x, MulDiv(wd.w, dpi, 96));
    mm->ptMaxTrackSize.y = std::max<LONG>(mm->ptMaxTrackSize.y, MulDiv(wd.h, dpi, 96));
    return 0;
}

std::optional<LRESULT> Win32Host::onColour(Ctl w, UINT msg, WPARAM wp, LPARAM lp) {
    if (LRESULT brush = controlColour(w, reinterpret_cast<HDC>(wp), reinterpret_cast<HWND>(lp),
                                      msg == WM_CTLCOLORBTN))
        return brush;
    return std::nullopt;
}

std::optional<LRESULT> Win32Host::onTheme(Ctl w, HWND hwnd, UINT msg, WPARAM wp) {
    if (msg == WM_ERASEBKGND) {
        // The class has no brush: the ground is the one of the current theme.
        const size_t index = static_cast<size_t>(w) - static_cast<size_t>(Ctl::MainWindow);
        RECT all;
        GetClientRect(hwnd, &all);
        FillRect(reinterpret_cast<HDC>(wp), &all, backgrounds_[index]);
        return 1;
    }
    if (msg == WM_SYSCOLORCHANGE) {
        // Only top-level windows are told; the common controls keep colours
        // of their own and must hear it too.
        EnumChildWindows(
            hwnd,
            [](HWND child, LPARAM) -> BOOL {
                SendMessageW(child, WM_SYSCOLORCHANGE, 0, 0);
                return TRUE;
            },
            0);
        if (w == Ctl::MainWindow) followTheme();
        return 0;
    }
    // WM_SETTINGCHANGE says little about what changed: high contrast going
    // on or off is seen by asking.
    if (w == Ctl::MainWindow && HighContrastOn() != highContrast_) followTheme();
    return std::nullopt;
}

LRESULT CALLBACK Win32Host::EditProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                     DWORD_PTR ref) {
    if (msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK)  // the press a release must follow
        reinterpret_cast<Win32Host*>(ref)->raise(Ev::MouseDown, static_cast<Ctl>(GetDlgCtrlID(hwnd)));
    if (msg == WM_LBUTTONUP) {
        // The edit box places the caret and releases the mouse first.
        const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
        reinterpret_cast<Win32Host*>(ref)->raise(Ev::MouseUp, static_cast<Ctl>(GetDlgCtrlID(hwnd)));
        return r;
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, EditProc, id);
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
