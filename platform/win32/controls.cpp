// Windows and controls: building them from their designs, their properties,
// timers, the list view and the time grid.
#include <windows.h>

#include <commctrl.h>
#include <uxtheme.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win32/dpi.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

constexpr wchar_t kGridClass[] = L"NyGrid";
constexpr int kGridCell = 24;             // pixels per grid cell, grid line included
constexpr int kComboDropHeight = 240;     // the open list of a drop-down combo
constexpr COLORREF kGridLine = RGB(192, 192, 192);
constexpr COLORREF kArrowGround = RGB(236, 233, 216);
constexpr int kArrowSize = 15;

const wchar_t* ClassName(Ctl window) {
    switch (window) {
        case Ctl::CalendarWindow: return L"NyCalendarWindow";
        case Ctl::TimePickerWindow: return L"NyTimePickerWindow";
        default: return L"NyMainWindow";
    }
}

size_t WindowIndex(Ctl window) {
    return static_cast<size_t>(window) - static_cast<size_t>(Ctl::MainWindow);
}

bool IsWindowCtl(Ctl c) {
    return c == Ctl::MainWindow || c == Ctl::CalendarWindow || c == Ctl::TimePickerWindow;
}

// A control's position in its window's client area: designs give it relative
// to the window, the tab control or a group box. Each step is scaled on its
// own, so that a control keeps its scaled place within its container.
POINT ClientPos(const ControlDesign& d, int dpi) {
    POINT p{Scale(d.x, dpi), Scale(d.y, dpi)};
    for (const ControlDesign* o = d.origin == d.window ? nullptr : FindDesign(d.origin); o;
         o = o->origin == o->window ? nullptr : FindDesign(o->origin)) {
        p.x += Scale(o->x, dpi);
        p.y += Scale(o->y, dpi);
    }
    return p;
}

// A drop-down list's closed height comes from its item height: make it
// `height`. The control may round what it is given, so look again.
// (Wine reports a different item height from the one it was given.)
void FitComboHeight(HWND h, int height) {
    LRESULT item = SendMessageW(h, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int tries = 0; tries < 3 && item > 0; ++tries) {
        RECT r;
        GetWindowRect(h, &r);
        const int fix = height - (r.bottom - r.top);
        if (fix == 0 || item + fix <= 0) break;
        item += fix;
        SendMessageW(h, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), item);
    }
}

// Which year button shows which picture (none for every other button).
int ArrowOf(Ctl c) {
    if (c == Ctl::左年按钮) return 1;
    if (c == Ctl::右年按钮) return 2;
    return 0;
}

std::wstring WindowText(HWND h) {
    const int n = GetWindowTextLengthW(h);
    std::wstring s(static_cast<size_t>(n) + 1, L'\0');
    s.resize(static_cast<size_t>(GetWindowTextW(h, s.data(), n + 1)));
    return s;
}

std::wstring TwoDigits(int v) {
    std::wstring s;
    s += static_cast<wchar_t>(L'0' + v / 10 % 10);
    s += static_cast<wchar_t>(L'0' + v % 10);
    return s;
}

// The time picker's grid: rows x columns of text cells with silver lines.
struct GridData {
    Win32Host* host = nullptr;
    Ctl id = Ctl::None;
    int cell = kGridCell;  // at the window's DPI
    int rows = 0, cols = 0;
    int row = 0, col = 0;  // the current cell
    HFONT font = nullptr;
    std::vector<std::wstring> cells;
};

}  // namespace

// ---- classes, fonts, pictures -------------------------------------------------

void Win32Host::registerClasses() {
    for (Ctl w : {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow}) {
        const WindowDesign& wd = WindowDesignOf(w);
        HBRUSH& bg = backgrounds_[WindowIndex(w)];
        bg = wd.hasBackground
                 ? CreateSolidBrush(RGB(wd.background.r, wd.background.g, wd.background.b))
                 : GetSysColorBrush(COLOR_BTNFACE);
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance_;
        wc.hIcon = wd.titleBar ? iconBig_ : nullptr;
        wc.hIconSm = wd.titleBar ? iconSmall_ : nullptr;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = bg;
        wc.lpszClassName = ClassName(w);
        RegisterClassExW(&wc);
    }
    WNDCLASSEXW grid{};
    grid.cbSize = sizeof grid;
    grid.lpfnWndProc = GridProc;
    grid.hInstance = instance_;
    grid.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    grid.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    grid.lpszClassName = kGridClass;
    RegisterClassExW(&grid);
}

// The system's message font is made for the system's DPI.
HFONT Win32Host::uiFontFor(int dpi) {
    if (dpi == SystemDpi() || !uiFont_) return uiFont_;
    for (const ScaledFont& f : uiFonts_)
        if (f.dpi == dpi) return f.font;
    LOGFONTW lf{};
    GetObjectW(uiFont_, sizeof lf, &lf);
    lf.lfHeight = MulDiv(lf.lfHeight, dpi, SystemDpi());
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return uiFont_;
    uiFonts_.push_back({dpi, font});
    return font;
}

HFONT Win32Host::fontFor(const ControlDesign& d, int dpi) {
    if (d.fontPx <= 0) return uiFontFor(dpi);
    const std::string face(d.fontFace);
    const int px = Scale(d.fontPx, dpi);
    for (const CachedFont& f : fonts_)
        if (f.px == px && f.bold == d.bold && f.face == face) return f.font;
    LOGFONTW lf{};
    lf.lfHeight = -px;  // character height, not cell height
    lf.lfWeight = d.bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = GB2312_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    const std::wstring w = face.empty() ? uiFace_ : ToWstr(face);
    lstrcpynW(lf.lfFaceName, w.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    if (!font) return uiFontFor(dpi);
    fonts_.push_back({px, d.bold, face, font});
    return font;
}

// 15 x 15 at 96 DPI, larger in step: two black arrowheads side by side on
// the light grey ground.
HBITMAP Win32Host::arrowBitmap(bool pointsLeft, int dpi) {
    const int size = Scale(kArrowSize, dpi);
    for (const ScaledArrow& a : arrows_)
        if (a.size == size && a.left == pointsLeft) return a.bitmap;
    arrows_.push_back({size, pointsLeft, nullptr});
    HBITMAP& cached = arrows_.back().bitmap;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = size;
    bi.bmiHeader.biHeight = -size;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    cached = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (!cached || !bits) return cached;
    auto* px = static_cast<DWORD*>(bits);
    const DWORD ground = (GetRValue(kArrowGround) << 16) | (GetGValue(kArrowGround) << 8) |
                         GetBValue(kArrowGround);
    const int mid = kArrowSize / 2;
    for (int sy = 0; sy < size; ++sy) {
        for (int sx = 0; sx < size; ++sx) {
            // The design pixel this one shows.
            const int x = sx * kArrowSize / size, y = sy * kArrowSize / size;
            const int lx = pointsLeft ? x : kArrowSize - 1 - x;  // draw left, mirror for right
            bool ink = false;
            for (int tip : {2, 7}) {
                const int run = lx - tip;  // a tip column, widening by one row each side per column
                if (run >= 0 && run <= 4 && std::abs(y - mid) <= run) ink = true;
            }
            px[sy * size + sx] = ink ? 0 : ground;
        }
    }
    return cached;
}

// ---- windows ------------------------------------------------------------------

void Win32Host::loadWindow(Ctl window) {
    if (!IsWindowCtl(window)) return;
    if (slot(window).hwnd) destroyWindow(window);  // the popups are loaded anew for each use
    const WindowDesign& wd = WindowDesignOf(window);
    // No WS_CLIPCHILDREN: group boxes do not paint their inside, the window
    // beneath them must.
    DWORD style = 0;
    DWORD ex = 0;
    if (wd.titleBar) style |= WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    else style |= WS_POPUP;
    if (!wd.taskbar) ex |= WS_EX_TOOLWINDOW;
    // Popups belong to the main window so they stay above it.
    HWND owner = window == Ctl::MainWindow ? nullptr : hwndOf(Ctl::MainWindow);
    int dpi = SystemDpi();
    HWND hwnd = CreateWindowExW(ex, ClassName(window), ToWstr(wd.caption).c_str(), style,
                                Scale(wd.x, dpi), Scale(wd.y, dpi), Scale(wd.w, dpi),
                                Scale(wd.h, dpi), owner, nullptr, instance_, this);
    if (!hwnd) return;
    slot(window) = Slot{};
    slot(window).hwnd = hwnd;
    // Sized again now that it is known here (creation may have cut it to
    // the screen), for the DPI of the monitor it is on.
    slot(window).dpi = dpi = DpiOfWindow(hwnd);
    SetWindowPos(hwnd, nullptr, 0, 0, Scale(wd.w, dpi), Scale(wd.h, dpi),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    for (const ControlDesign& d : ControlDesigns())
        if (d.window == window) createControl(window, d);
    if (window == Ctl::MainWindow) createMenus();

    // Containers go beneath what they hold: group boxes above the tab control,
    // the tab control and the month calendar at the very bottom.
    for (Kind k : {Kind::GroupBox, Kind::Tab, Kind::MonthCal})
        for (const ControlDesign& d : ControlDesigns())
            if (d.window == window && d.kind == k && hwndOf(d.id))
                SetWindowPos(hwndOf(d.id), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (window == Ctl::MainWindow) showPage(0);

    slot(window).ready = true;
    // The creation handler may fill the alarm list with thousands of rows:
    // no list view repaints until it is done.
    std::vector<HWND> lists;
    for (const ControlDesign& d : ControlDesigns())
        if (d.window == window && d.kind == Kind::ListView && hwndOf(d.id))
            lists.push_back(hwndOf(d.id));
    for (HWND l : lists) SendMessageW(l, WM_SETREDRAW, FALSE, 0);
    raise(Ev::Created, window);  // before the user can reach the window
    for (HWND l : lists)
        if (IsWindow(l)) {
            SendMessageW(l, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(l, nullptr, TRUE);
        }
    // The creation handler may have kept it hidden (a start into the tray).
    if (wd.visibleAtLoad && slot(window).hwnd == hwnd && slot(window).ownVisible) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    if (slot(window).hwnd == hwnd) PostMessageW(hwnd, WMAPP_LOADED, 0, 0);
}

void Win32Host::createControl(Ctl window, const ControlDesign& d) {
    Slot& s = slot(d.id);
    s = Slot{};
    if (d.kind == Kind::Timer) {
        if (d.timerMs > 0) setTimer(d.id, d.timerMs);
        return;
    }
    const int dpi = slot(window).dpi;
    const wchar_t* cls = nullptr;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    DWORD ex = 0;
    int height = Scale(d.h, dpi);
    bool titled = false;  // the design caption is the window text
    switch (d.kind) {
        case Kind::Label:
        case Kind::TransparentLabel:
            cls = L"STATIC";
            style |= SS_LEFT | SS_NOPREFIX;
            titled = true;
            break;
        case Kind::Button:
            cls = L"BUTTON";
            style |= BS_PUSHBUTTON | WS_TABSTOP | (ArrowOf(d.id) ? BS_BITMAP : 0);
            titled = true;
            break;
        case Kind::Edit:
            cls = L"EDIT";
            style |= ES_AUTOHSCROLL | WS_TABSTOP;
            ex |= WS_EX_CLIENTEDGE;
            break;
        case Kind::MultiEdit:
            cls = L"EDIT";
            style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP;
            ex |= WS_EX_CLIENTEDGE;
            break;
        case Kind::Combo:
            cls = WC_COMBOBOXW;
            style |= CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
            height += Scale(kComboDropHeight, dpi);
            break;
        case Kind::GroupBox:
            cls = L"BUTTON";
            style |= BS_GROUPBOX;
            titled = true;
            break;
        case Kind::Tab:
            cls = WC_TABCONTROLW;
            style |= WS_TABSTOP;
            break;
        case Kind::ListView:
            cls = WC_LISTVIEWW;
            style |= LVS_REPORT | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP;
            ex |= WS_EX_CLIENTEDGE;
            break;
        case Kind::MonthCal:
            cls = MONTHCAL_CLASSW;
            style |= WS_TABSTOP;
            break;
        case Kind::Grid:
            cls = kGridClass;
            style |= WS_TABSTOP;
            break;
        default:
            return;  // dialogs and menus have no window of their own
    }
    if (d.disabled) style |= WS_DISABLED;
    s.ownVisible = !d.hidden;
    if (s.ownVisible && d.page < 0) style |= WS_VISIBLE;  // page controls wait for showPage
    const POINT p = ClientPos(d, dpi);
    HWND h = CreateWindowExW(ex, cls, titled ? ToWstr(d.caption).c_str() : L"", style, p.x, p.y,
                             Scale(d.w, dpi), height, hwndOf(window),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), instance_, this);
    if (!h) return;
    s.hwnd = h;
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(d, dpi)), FALSE);

    switch (d.kind) {
        case Kind::Button:
            if (int arrow = ArrowOf(d.id))
                SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP,
                             reinterpret_cast<LPARAM>(arrowBitmap(arrow == 1, dpi)));
            break;
        case Kind::Edit:
        case Kind::MultiEdit:
            // The prompt boxes would stop at 30,000 characters without a word;
            // the store keeps a prompt whole, so the box does too.
            if (d.kind == Kind::MultiEdit) SendMessageW(h, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
            SetWindowSubclass(h, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        case Kind::MonthCal:
            SetWindowSubclass(h, MonthCalProc, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        case Kind::Combo: {
            for (int i = 0; i <= d.comboMax; ++i)
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TwoDigits(i).c_str()));
            FitComboHeight(h, Scale(d.h, dpi));
            setText(d.id, d.caption);
            break;
        }
        case Kind::Tab: {
            // The classic look keeps the page the same colour as the labels on it.
            SetWindowTheme(h, L" ", L" ");
            const std::wstring pages = ToWstr(d.caption);
            size_t start = 0;
            for (int i = 0; start <= pages.size(); ++i) {
                size_t bar = pages.find(L'|', start);
                if (bar == std::wstring::npos) bar = pages.size();
                std::wstring name = pages.substr(start, bar - start);
                TCITEMW item{};
                item.mask = TCIF_TEXT;
                item.pszText = name.data();
                SendMessageW(h, TCM_INSERTITEMW, static_cast<WPARAM>(i),
                             reinterpret_cast<LPARAM>(&item));
                start = bar + 1;
            }
            break;
        }
        case Kind::ListView:
            SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                         LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER);
            break;
        default:
            break;
    }
}

void Win32Host::relayout(Ctl window, int dpi) {
    if (!IsWindowCtl(window) || !hwndOf(window) || dpi <= 0) return;
    const int old = slot(window).dpi;
    slot(window).dpi = dpi;
    for (const ControlDesign& d : ControlDesigns()) {
        HWND h = d.window == window ? hwndOf(d.id) : nullptr;
        if (!h) continue;
        const POINT p = ClientPos(d, dpi);
        int height = Scale(d.h, dpi);
        if (d.kind == Kind::Combo) height += Scale(kComboDropHeight, dpi);
        SetWindowPos(h, nullptr, p.x, p.y, Scale(d.w, dpi), height, SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(fontFor(d, dpi)), TRUE);
        switch (d.kind) {
            case Kind::Button:
                if (int arrow = ArrowOf(d.id))
                    SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP,
                                 reinterpret_cast<LPARAM>(arrowBitmap(arrow == 1, dpi)));
                break;
            case Kind::Combo: FitComboHeight(h, Scale(d.h, dpi)); break;
            case Kind::ListView: {
                HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
                const LRESULT n = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
                for (int c = 0; c < n; ++c) {
                    const int w = static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, c, 0));
                    SendMessageW(h, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(MulDiv(w, dpi, old), 0));
                }
                break;
            }
            case Kind::Grid:
                if (auto* g = reinterpret_cast<GridData*>(GetWindowLongPtrW(h, GWLP_USERDATA)))
                    g->cell = Scale(kGridCell, dpi);
                break;
            default: break;
        }
    }
    InvalidateRect(hwndOf(window), nullptr, TRUE);
}

void Win32Host::createMenus() {
    for (const ControlDesign& d : ControlDesigns())
        if (d.kind == Kind::Menu) slot(d.id).menu = CreatePopupMenu();
    for (const ControlDesign& d : ControlDesigns()) {
        const bool submenu = d.kind == Kind::Menu && d.parentMenu != Ctl::None;
        if ((d.kind != Kind::MenuItem && !submenu) || !slot(d.parentMenu).menu) continue;
        if (d.separatorBefore) AppendMenuW(slot(d.parentMenu).menu, MF_SEPARATOR, 0, nullptr);
        if (!d.hidden) insertMenuEntry(d);  // a hidden item comes with setVisible
    }
    addSystemMenuItems();
}

void Win32Host::showPage(int page) {
    page_ = page;
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.kind == Kind::Tab && hwndOf(d.id) &&
            SendMessageW(hwndOf(d.id), TCM_GETCURSEL, 0, 0) != page)
            SendMessageW(hwndOf(d.id), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
        if (d.page >= 0) applyVisibility(d.id);
    }
}

void Win32Host::applyVisibility(Ctl c) {
    const ControlDesign* d = FindDesign(c);
    HWND h = hwndOf(c);
    if (!d || !h) return;
    const bool show = slot(c).ownVisible && (d->page < 0 || d->page == page_);
    ShowWindow(h, show ? SW_SHOWNA : SW_HIDE);
}

void Win32Host::forgetWindow(Ctl window) {
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.window != window) continue;
        if (slot(d.id).menu) DestroyMenu(slot(d.id).menu);
        slot(d.id) = Slot{};
    }
    slot(window) = Slot{};
    if (window == Ctl::MainWindow) page_ = 0;
}

LRESULT Win32Host::controlColour(Ctl window, HDC dc, HWND control, bool button) {
    const ControlDesign* d = FindDesign(static_cast<Ctl>(GetDlgCtrlID(control)));
    if (!d || hwndOf(d->id) != control) return 0;
    const WindowDesign& wd = WindowDesignOf(window);
    HBRUSH ground = backgrounds_[WindowIndex(window)];
    if (d->hasTextColor) SetTextColor(dc, RGB(d->textColor.r, d->textColor.g, d->textColor.b));
    if (d->kind == Kind::TransparentLabel || wd.hasBackground) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(ground);
    }
    if (d->hasTextColor && !button) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(ground);
    }
    return 0;
}

void Win32Host::destroyWindow(Ctl window) {
    if (!IsWindowCtl(window)) return;
    Slot& s = slot(window);
    if (!s.hwnd || s.dying) return;
    s.dying = true;
    DestroyWindow(s.hwnd);  // WM_NCDESTROY forgets it and its controls
}

bool Win32Host::exists(Ctl c) {
    if (c <= Ctl::None || c >= Ctl::Count_) return false;
    const Ctl w = WindowOf(c);
    if (w == Ctl::None || !slot(w).hwnd || slot(w).dying) return false;
    const ControlDesign* d = FindDesign(c);
    if (!d) return true;  // the window itself
    switch (d->kind) {
        case Kind::Timer:
        case Kind::FileDialog: return true;
        case Kind::Menu: return slot(c).menu != nullptr;
        case Kind::MenuItem: return slot(d->parentMenu).menu != nullptr;
        default: return slot(c).hwnd && IsWindow(slot(c).hwnd);
    }
}

int Win32Host::windowState(Ctl window) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h) return 0;
    return IsIconic(h) ? kStateMinimised : kStateNormal;
}

void Win32Host::setWindowState(Ctl window, int state) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h) return;
    if (state == kStateMinimised) ShowWindow(h, SW_MINIMIZE);
    else if (state == kStateNormal && (IsIconic(h) || IsZoomed(h))) ShowWindow(h, SW_RESTORE);
}

void Win32Host::bringToFront(Ctl window) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h || !IsWindowVisible(h)) return;
    if (IsIconic(h)) ShowWindow(h, SW_RESTORE);
    // Briefly topmost lifts it over other programs' windows even when the
    // system refuses to hand over the foreground.
    const UINT flags = SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW;
    SetWindowPos(h, HWND_TOPMOST, 0, 0, 0, 0, flags);
    SetWindowPos(h, HWND_NOTOPMOST, 0, 0, 0, 0, flags);
    SetForegroundWindow(h);
}

Rect Win32Host::windowRect(Ctl c) {
    HWND h = hwndOf(c);
    RECT r{};
    if (!h || !GetWindowRect(h, &r)) return {};
    return {r.left, r.top, r.right, r.bottom};
}

void Win32Host::moveWindow(Ctl window, int left, int top) {
    if (HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr)
        SetWindowPos(h, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- properties -----------------------------------------------------------------

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
    if (HWND h = hwndOf(c)) EnableWindow(h, on);
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

int Win32Host::caret(Ctl edit) {
    HWND h = exists(edit) ? hwndOf(edit) : nullptr;
    if (!h) return 0;
    DWORD start = 0;
    SendMessageW(h, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    return CharsBeforeUnit(WindowText(h), static_cast<int>(start));
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

// ---- list view ------------------------------------------------------------------

void Win32Host::listInsertColumn(Ctl list, std::string_view caption, int width) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
    const LRESULT n = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    std::wstring w = ToWstr(caption);
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.cx = Scale(width, slot(WindowOf(list)).dpi);  // a design width
    col.pszText = w.data();
    SendMessageW(h, LVM_INSERTCOLUMNW, static_cast<WPARAM>(n < 0 ? 0 : n),
                 reinterpret_cast<LPARAM>(&col));
}

int Win32Host::listAppendRow(Ctl list) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return -1;
    wchar_t empty[1] = {L'\0'};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = empty;
    return static_cast<int>(SendMessageW(h, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

std::string Win32Host::listCell(Ctl list, int row, int col) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h || row < 0 || col < 0 || row >= listRowCount(list)) return {};
    HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
    if (col >= (header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0)) return {};
    std::wstring buf(256, L'\0');
    for (;;) {
        LVITEMW item{};
        item.iSubItem = col;
        item.pszText = buf.data();
        item.cchTextMax = static_cast<int>(buf.size());
        const LRESULT n = SendMessageW(h, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                                       reinterpret_cast<LPARAM>(&item));
        if (n < static_cast<LRESULT>(buf.size()) - 1) {
            buf.resize(static_cast<size_t>(n));
            return ToUtf8(buf);
        }
        buf.assign(buf.size() * 2, L'\0');  // it may have been cut short
    }
}

void Win32Host::listSetCell(Ctl list, int row, int col, std::string_view s) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h || row < 0 || col < 0 || row >= listRowCount(list)) return;
    std::wstring w = ToWstr(s);
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = w.data();
    SendMessageW(h, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int Win32Host::listRowCount(Ctl list) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    return h ? static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

void Win32Host::listDeleteRow(Ctl list, int row) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (h && row >= 0 && row < listRowCount(list))
        SendMessageW(h, LVM_DELETEITEM, static_cast<WPARAM>(row), 0);
}

void Win32Host::listDeleteAll(Ctl list) {
    if (HWND h = exists(list) ? hwndOf(list) : nullptr) SendMessageW(h, LVM_DELETEALLITEMS, 0, 0);
}

int Win32Host::listSelectedRow(Ctl list) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return -1;
    return static_cast<int>(
        SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

// ---- the time grid -----------------------------------------------------------------

LRESULT CALLBACK Win32Host::GridProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* g = reinterpret_cast<GridData*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (msg) {
        case WM_NCCREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
            auto* host = static_cast<Win32Host*>(cs->lpCreateParams);
            const int cell = Scale(kGridCell, host->slot(host->windowCtl(cs->hwndParent)).dpi);
            const int rows = cs->cy / cell, cols = cs->cx / cell;
            g = new GridData;
            g->host = host;
            g->cell = cell;
            g->id = static_cast<Ctl>(reinterpret_cast<INT_PTR>(cs->hMenu));
            g->rows = rows;
            g->cols = cols;
            g->cells.resize(static_cast<size_t>(rows * cols));
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(g));
            break;
        }
        case WM_NCDESTROY:
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            delete g;
            return 0;
        case WM_SETFONT:
            if (g) g->font = reinterpret_cast<HFONT>(wp);
            if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
            return 0;
        case WM_GETFONT:
            return g ? reinterpret_cast<LRESULT>(g->font) : 0;
        case WM_GETDLGCODE:
            return DLGC_WANTALLKEYS | DLGC_WANTARROWS | DLGC_WANTCHARS;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            RECT all;
            GetClientRect(hwnd, &all);
            FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
            HPEN pen = CreatePen(PS_SOLID, 1, kGridLine);
            HGDIOBJ oldPen = SelectObject(dc, pen);
            HGDIOBJ oldFont = SelectObject(dc, g && g->font ? g->font : GetStockObject(DEFAULT_GUI_FONT));
            const int rows = g ? g->rows : 0, cols = g ? g->cols : 0;
            const int cell = g ? g->cell : kGridCell;
            for (int c = 0; c <= cols; ++c) {
                MoveToEx(dc, c * cell, 0, nullptr);
                LineTo(dc, c * cell, rows * cell + 1);
            }
            for (int r = 0; r <= rows; ++r) {
                MoveToEx(dc, 0, r * cell, nullptr);
                LineTo(dc, cols * cell + 1, r * cell);
            }
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            for (int r = 0; r < rows; ++r) {
                for (int c = 0; c < cols; ++c) {
                    const std::wstring& t = g->cells[static_cast<size_t>(r * cols + c)];
                    RECT box{c * cell + 1, r * cell + 1, (c + 1) * cell, (r + 1) * cell};
                    if (!t.empty())
                        DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &box,
                                  DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
                    if (GetFocus() == hwnd && r == g->row && c == g->col) DrawFocusRect(dc, &box);
                }
            }
            SelectObject(dc, oldFont);
            SelectObject(dc, oldPen);
            DeleteObject(pen);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_LBUTTONDOWN: {
            if (!g) break;
            SetFocus(hwnd);
            const int cell = g->cell;
            const int c = static_cast<short>(LOWORD(lp)) / cell;
            const int r = static_cast<short>(HIWORD(lp)) / cell;
            if (r < 0 || c < 0 || r >= g->rows || c >= g->cols) return 0;
            g->row = r;
            g->col = c;
            InvalidateRect(hwnd, nullptr, FALSE);
            // Last: the handler may close the window and with it this grid.
            g->host->raise(Ev::CellChosen, g->id);
            return 0;
        }
        case WM_KEYDOWN:
            if (g) g->host->raise(Ev::KeyDown, g->id, static_cast<int>(wp));
            return 0;
        case WM_CHAR:
            if (g) g->host->raise(Ev::Char, g->id, static_cast<int>(wp));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- grid, month calendar and screen for the date and time popups ---------------

namespace {

GridData* GridOf(HWND h) {
    return h ? reinterpret_cast<GridData*>(GetWindowLongPtrW(h, GWLP_USERDATA)) : nullptr;
}

}  // namespace

int Win32Host::gridRowCount(Ctl grid) {
    const GridData* g = GridOf(exists(grid) ? hwndOf(grid) : nullptr);
    return g ? g->rows : 0;
}

int Win32Host::gridColCount(Ctl grid) {
    const GridData* g = GridOf(exists(grid) ? hwndOf(grid) : nullptr);
    return g ? g->cols : 0;
}

void Win32Host::gridClear(Ctl grid) {
    HWND h = exists(grid) ? hwndOf(grid) : nullptr;
    GridData* g = GridOf(h);
    if (!g) return;
    for (std::wstring& c : g->cells) c.clear();
    InvalidateRect(h, nullptr, FALSE);
}

void Win32Host::gridSetCell(Ctl grid, int row, int col, std::string_view s) {
    HWND h = exists(grid) ? hwndOf(grid) : nullptr;
    GridData* g = GridOf(h);
    if (!g || row < 0 || col < 0 || row >= g->rows || col >= g->cols) return;
    g->cells[static_cast<size_t>(row * g->cols + col)] = ToWstr(s);
    InvalidateRect(h, nullptr, FALSE);
}

std::string Win32Host::gridCell(Ctl grid, int row, int col) {
    const GridData* g = GridOf(exists(grid) ? hwndOf(grid) : nullptr);
    if (!g || row < 0 || col < 0 || row >= g->rows || col >= g->cols) return {};
    return ToUtf8(g->cells[static_cast<size_t>(row * g->cols + col)]);
}

int Win32Host::gridCurrentRow(Ctl grid) {
    const GridData* g = GridOf(exists(grid) ? hwndOf(grid) : nullptr);
    return g ? g->row : 0;
}

int Win32Host::gridCurrentCol(Ctl grid) {
    const GridData* g = GridOf(exists(grid) ? hwndOf(grid) : nullptr);
    return g ? g->col : 0;
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

Rect Win32Host::workArea(Ctl c) {
    HWND h = hwndOf(c);
    HMONITOR m = h ? MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST)
                   : MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (!m || !GetMonitorInfoW(m, &mi)) {
        RECT r{};
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
        return {r.left, r.top, r.right, r.bottom};
    }
    return {mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom};
}

}  // namespace ny
