// Windows and controls built from their designs: the window classes, the
// fonts and arrow pictures at each DPI, each kind of control set up, laid
// out again on a DPI change and coloured by the theme; the tab pages; the
// windows' life, state and place. Beside it: their properties
// (properties.cpp), the month calendar (calendar.cpp), the path tip
// (pathtip.cpp), the menus (menus.cpp), the time grid (grid.cpp) and the
// list view (listview.cpp).
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>

#include "platform/win32/access.h"
#include "platform/win32/colours.h"
#include "platform/win32/dpi.h"
#include "platform/win32/quit.h"
#include "platform/win32/syslibs.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/pathtext.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

constexpr int kComboDropHeight = 240;     // the open list of a drop-down combo
constexpr int kComboVisibleItems = 12;    // items the open list shows at once
constexpr int kWholeMargin = 1;           // left margin of an entry shown whole
constexpr int kArrowSize = 15;

const wchar_t* ClassName(Ctl window) {
    switch (window) {
        case Ctl::CalendarWindow: return L"NyCalendarWindow";
        case Ctl::TimePickerWindow: return L"NyTimePickerWindow";
        default: return kMainWindowClass;
    }
}

size_t WindowIndex(Ctl window) {
    return static_cast<size_t>(window) - static_cast<size_t>(Ctl::MainWindow);
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

std::wstring TwoDigits(int v) {
    std::wstring s;
    s += static_cast<wchar_t>(L'0' + v / 10 % 10);
    s += static_cast<wchar_t>(L'0' + v % 10);
    return s;
}

}  // namespace

// ---- classes, fonts, pictures -------------------------------------------------

void Win32Host::registerClasses() {
    highContrast_ = HighContrastOn();
    for (Ctl w : {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow}) {
        const WindowDesign& wd = WindowDesignOf(w);
        HBRUSH& bg = backgrounds_[WindowIndex(w)];
        bg = BrushOf(GroundOf(wd, highContrast_));
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = instance_;
        wc.hIcon = wd.titleBar ? iconBig_ : nullptr;
        wc.hIconSm = wd.titleBar ? iconSmall_ : nullptr;
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
        wc.hbrBackground = nullptr;  // WM_ERASEBKGND: the ground may change with the theme
        wc.lpszClassName = ClassName(w);
        RegisterClassExW(&wc);
    }
    registerGridClass();
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
// the light grey ground (the theme's button colours in high contrast).
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
    const ArrowPaints paints = ArrowColours(highContrast_);
    const auto pixel = [](COLORREF c) -> DWORD {
        return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
    };
    const DWORD ground = pixel(ColourOf(paints.ground)), ink = pixel(ColourOf(paints.ink));
    const int mid = kArrowSize / 2;
    for (int sy = 0; sy < size; ++sy) {
        for (int sx = 0; sx < size; ++sx) {
            // The design pixel this one shows.
            const int x = sx * kArrowSize / size, y = sy * kArrowSize / size;
            const int lx = pointsLeft ? x : kArrowSize - 1 - x;  // draw left, mirror for right
            bool inked = false;
            for (int tip : {2, 7}) {
                const int run = lx - tip;  // a tip column, widening by one row each side per column
                if (run >= 0 && run <= 4 && std::abs(y - mid) <= run) inked = true;
            }
            px[sy * size + sx] = inked ? ink : ground;
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
    else style |= WS_POPUP | WS_BORDER;  // a popup's edge shows against any ground
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

    if (window == Ctl::MainWindow) pageMade_ = {true};
    for (const ControlDesign& d : ControlDesigns())
        if (d.window == window && !MadeWithPage(d)) createControl(window, d);
    if (window == Ctl::MainWindow) createMenus();
    if (window == Ctl::CalendarWindow) fitCalendar();
    stackControls(window);
    if (window == Ctl::MainWindow) showPage(0);

    slot(window).ready = true;
    raise(Ev::Created, window);  // before the user can reach the window
    // The creation handler may have kept it hidden (a start into the tray).
    if (wd.visibleAtLoad && slot(window).hwnd == hwnd && slot(window).ownVisible) {
        ShowWindow(hwnd, SW_SHOW);
        UpdateWindow(hwnd);
    }
    if (slot(window).hwnd == hwnd) PostMessageW(hwnd, WMAPP_LOADED, 0, 0);
}

void Win32Host::makePage(int page) {
    if (page <= 0 || page >= kTabPages || pageMade_[static_cast<size_t>(page)]) return;
    if (!slot(Ctl::MainWindow).hwnd || slot(Ctl::MainWindow).dying) return;
    pageMade_[static_cast<size_t>(page)] = true;
    for (const ControlDesign& d : ControlDesigns())
        if (d.window == Ctl::MainWindow && d.page == page) createControl(Ctl::MainWindow, d);
    stackControls(Ctl::MainWindow);  // the new controls came in at the bottom
}

void Win32Host::stackControls(Ctl window) {
    // Tab goes through the controls in reading order (the order of the
    // windows): 停止 at the window's foot comes after the page's controls.
    if (HWND stop = hwndOf(Ctl::停止); stop && window == Ctl::MainWindow)
        SetWindowPos(stop, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Containers go beneath what they hold: group boxes above the tab control,
    // the tab control and the month calendar at the very bottom.
    for (Kind k : {Kind::GroupBox, Kind::Tab, Kind::MonthCal})
        for (const ControlDesign& d : ControlDesigns())
            if (d.window == window && d.kind == k && hwndOf(d.id))
                SetWindowPos(hwndOf(d.id), HWND_BOTTOM, 0, 0, 0, 0,
                             SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

namespace {

// The window class and styles a kind of control is made of.
struct ControlClass {
    const wchar_t* name = nullptr;  // nullptr: no window (timers, dialogs, menus)
    DWORD style = 0;
    DWORD ex = 0;
    bool titled = false;  // the design caption is the window text
};

ControlClass ClassFor(const ControlDesign& d) {
    switch (d.kind) {
        case Kind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0, true};
        case Kind::TransparentLabel:  // the unit of the time grid, centred in its bar
            return {L"STATIC", SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, 0, true};
        case Kind::Button:
            return {L"BUTTON",
                    static_cast<DWORD>(BS_PUSHBUTTON | WS_TABSTOP | (ArrowOf(d.id) ? BS_BITMAP : 0) |
                                       (d.captionTop ? BS_TOP : 0)),
                    0, true};
        case Kind::Edit:
            return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, false};
        case Kind::MultiEdit:
            return {L"EDIT",
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE, false};
        case Kind::Combo: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0, false};
        case Kind::GroupBox: return {L"BUTTON", BS_GROUPBOX, 0, true};
        case Kind::Tab: return {WC_TABCONTROLW, WS_TABSTOP, 0, false};
        case Kind::ListView:
            return {WC_LISTVIEWW,
                    LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS | LVS_SINGLESEL | WS_TABSTOP,
                    WS_EX_CLIENTEDGE, false};
        case Kind::MonthCal: return {MONTHCAL_CLASSW, WS_TABSTOP, 0, false};
        case Kind::Grid: return {kGridClass, WS_TABSTOP, 0, false};
        default: return {};
    }
}

// A control's height as created: a drop-down combo's includes its open list.
int CreatedHeight(const ControlDesign& d, int dpi) {
    return Scale(d.h, dpi) + (d.kind == Kind::Combo ? Scale(kComboDropHeight, dpi) : 0);
}

void AddTabPages(HWND tab, std::string_view captions) {
    const std::wstring pages = ToWstr(captions);
    size_t start = 0;
    for (int i = 0; start <= pages.size(); ++i) {
        size_t bar = pages.find(L'|', start);
        if (bar == std::wstring::npos) bar = pages.size();
        std::wstring name = pages.substr(start, bar - start);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = name.data();
        SendMessageW(tab, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
        start = bar + 1;
    }
}

// The tab captions' padding grows with the DPI (the control's own does not).
void PadTabs(HWND tab, int dpi) {
    SendMessageW(tab, TCM_SETPADDING, 0, MAKELPARAM(Scale(6, dpi), Scale(3, dpi)));
}

}  // namespace

void Win32Host::createControl(Ctl window, const ControlDesign& d) {
    Slot& s = slot(d.id);
    s = Slot{};
    if (d.kind == Kind::Timer) {
        if (d.timerMs > 0) setTimer(d.id, d.timerMs);
        return;
    }
    const ControlClass cc = ClassFor(d);
    if (!cc.name) return;  // dialogs and menus have no window of their own
    const int dpi = slot(window).dpi;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | cc.style;
    if (d.disabled) style |= WS_DISABLED;
    s.ownVisible = !d.hidden;
    if (s.ownVisible && d.page < 0) style |= WS_VISIBLE;  // page controls wait for showPage
    const POINT p = ClientPos(d, dpi);
    HWND h = CreateWindowExW(cc.ex, cc.name, cc.titled ? ToWstr(d.caption).c_str() : L"", style,
                             p.x, p.y, Scale(d.w, dpi), CreatedHeight(d, dpi), hwndOf(window),
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(d.id)), instance_, this);
    if (!h) return;
    s.hwnd = h;
    setControlFont(h, d, dpi, false);
    setUpControl(h, d, dpi);
    GiveAccessibleName(h, d.kind);
}

// What each kind needs once created: pictures, limits, items, subclasses.
void Win32Host::setUpControl(HWND h, const ControlDesign& d, int dpi) {
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
            if (d.kind == Kind::MultiEdit) {
                SendMessageW(h, EM_SETLIMITTEXT, 0x7FFFFFFE, 0);
                SetWindowSubclass(h, TabLeavesProc, 0, 0);
            }
            SetWindowSubclass(h, EditProc, 0, reinterpret_cast<DWORD_PTR>(this));
            if (d.showsEnd) {
                addPathTip(d);
                ShowPathCompacted(h);
            }
            break;
        case Kind::MonthCal:
            SetWindowSubclass(h, MonthCalProc, 0, reinterpret_cast<DWORD_PTR>(this));
            break;
        case Kind::Combo:
            for (int i = 0; i <= d.comboMax; ++i)
                SendMessageW(h, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(TwoDigits(i).c_str()));
            FitComboHeight(h, Scale(d.h, dpi));
            // Sixty items would open as tall as the screen.
            SendMessageW(h, CB_SETMINVISIBLE, kComboVisibleItems, 0);
            setText(d.id, d.caption);
            break;
        case Kind::Tab:
            // The classic look keeps the page the same colour as the labels on it.
            UxTheme().SetWindowTheme(h, L" ", L" ");
            PadTabs(h, dpi);
            AddTabPages(h, d.caption);
            break;
        case Kind::ListView: setUpList(h); break;
        default:
            break;
    }
}

// The design's font; for a control that must show a text whole, the largest
// size of that face (down to 3/4 of it) whose text fits inside its margins.
void Win32Host::setControlFont(HWND h, const ControlDesign& d, int dpi, bool redraw) {
    HFONT font = fontFor(d, dpi);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    if (d.showsWhole.empty()) return;
    // A left margin only: the caret behind the last character needs the
    // right edge's pixels, and the control's own margins would cost more.
    const int margin = Scale(kWholeMargin, dpi);
    SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, 0));
    RECT inside;
    GetClientRect(h, &inside);
    const int room = inside.right - margin - 1;  // the caret must stand inside, not on the edge
    const std::wstring sample = ToWstr(d.showsWhole);
    LOGFONTW lf{};
    GetObjectW(font, sizeof lf, &lf);
    const int full = std::abs(lf.lfHeight);
    HDC dc = GetDC(h);
    for (int px = full; px >= full * 3 / 4 && px > 0; --px) {
        ControlDesign sized = d;
        sized.fontPx = px;  // in real pixels: fontFor scales by 96/96
        HFONT f = px == full ? font : fontFor(sized, 96);
        HGDIOBJ old = SelectObject(dc, f);
        SIZE ext{};
        GetTextExtentPoint32W(dc, sample.c_str(), static_cast<int>(sample.size()), &ext);
        SelectObject(dc, old);
        font = f;
        if (ext.cx <= room) break;
    }
    ReleaseDC(h, dc);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    SendMessageW(h, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, 0));
}

void Win32Host::relayout(Ctl window, int dpi) {
    if (!IsWindowCtl(window) || !hwndOf(window) || dpi <= 0) return;
    const int old = slot(window).dpi;
    slot(window).dpi = dpi;
    for (const ControlDesign& d : ControlDesigns()) {
        HWND h = d.window == window ? hwndOf(d.id) : nullptr;
        if (!h) continue;
        const POINT p = ClientPos(d, dpi);
        SetWindowPos(h, nullptr, p.x, p.y, Scale(d.w, dpi), CreatedHeight(d, dpi),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        setControlFont(h, d, dpi, true);
        switch (d.kind) {
            case Kind::Button:
                if (int arrow = ArrowOf(d.id))
                    SendMessageW(h, BM_SETIMAGE, IMAGE_BITMAP,
                                 reinterpret_cast<LPARAM>(arrowBitmap(arrow == 1, dpi)));
                break;
            case Kind::Combo: FitComboHeight(h, Scale(d.h, dpi)); break;
            case Kind::Tab: PadTabs(h, dpi); break;
            case Kind::Edit:
                if (d.showsEnd) placePathTip(d);
                break;
            case Kind::ListView: rescaleList(h, old, dpi); break;
            case Kind::Grid:
                rescaleGrid(h, dpi);
                break;
            default: break;
        }
    }
    if (window == Ctl::CalendarWindow) fitCalendar();
    InvalidateRect(hwndOf(window), nullptr, TRUE);
}

void Win32Host::showPage(int page) {
    makePage(page);
    page_ = page;
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.kind == Kind::Tab && hwndOf(d.id) &&
            SendMessageW(hwndOf(d.id), TCM_GETCURSEL, 0, 0) != page)
            SendMessageW(hwndOf(d.id), TCM_SETCURSEL, static_cast<WPARAM>(page), 0);
        if (d.page >= 0) applyVisibility(d.id);
    }
}

void Win32Host::forgetWindow(Ctl window) {
    for (const ControlDesign& d : ControlDesigns()) {
        if (d.window != window) continue;
        if (slot(d.id).menu) DestroyMenu(slot(d.id).menu);
        slot(d.id) = Slot{};
    }
    slot(window) = Slot{};
    if (window == Ctl::MainWindow) {
        page_ = 0;
        pageMade_ = {};
        pathTip_ = nullptr;  // owned by the main window: gone with it
        pathTipOn_.clear();
    }
}

LRESULT Win32Host::controlColour(Ctl window, HDC dc, HWND control, bool button) {
    const ControlDesign* d = FindDesign(static_cast<Ctl>(GetDlgCtrlID(control)));
    if (!d || hwndOf(d->id) != control) return 0;
    const WindowDesign& wd = WindowDesignOf(window);
    HBRUSH ground = backgrounds_[WindowIndex(window)];
    // High contrast: every control in the theme's colours, as the system
    // gives them.
    if (highContrast_) return 0;
    const std::optional<Paint> text = TextOf(*d, highContrast_);
    if (text) SetTextColor(dc, ColourOf(*text));
    if (d->kind == Kind::TransparentLabel || wd.hasBackground) {
        SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(ground);
    }
    if (text && !button) {
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<LRESULT>(ground);
    }
    return 0;
}

void Win32Host::followTheme() {
    highContrast_ = HighContrastOn();
    for (Ctl w : {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow}) {
        HBRUSH& bg = backgrounds_[WindowIndex(w)];
        HBRUSH old = bg;
        bg = BrushOf(GroundOf(WindowDesignOf(w), highContrast_));
        DeleteObject(old);  // a system brush ignores this
    }
    // The year buttons take new pictures before the old ones go.
    std::vector<ScaledArrow> old;
    old.swap(arrows_);
    for (Ctl b : {Ctl::左年按钮, Ctl::右年按钮})
        if (int arrow = ArrowOf(b); arrow && exists(b))
            SendMessageW(hwndOf(b), BM_SETIMAGE, IMAGE_BITMAP,
                         reinterpret_cast<LPARAM>(
                             arrowBitmap(arrow == 1, slot(Ctl::CalendarWindow).dpi)));
    for (const ScaledArrow& a : old)
        if (a.bitmap) DeleteObject(a.bitmap);
    for (Ctl w : {Ctl::MainWindow, Ctl::CalendarWindow, Ctl::TimePickerWindow})
        if (HWND h = hwndOf(w))
            RedrawWindow(h, nullptr, nullptr,
                         RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
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
        default:
            if (!slot(c).hwnd && MadeWithPage(*d)) makePage(d->page);
            return slot(c).hwnd && IsWindow(slot(c).hwnd);
    }
}

WindowState Win32Host::windowState(Ctl window) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h) return WindowState::Normal;
    return IsIconic(h) ? WindowState::Minimised : IsZoomed(h) ? WindowState::Maximised : WindowState::Normal;
}

void Win32Host::setWindowState(Ctl window, WindowState state) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h) return;
    if (state == WindowState::Minimised) ShowWindow(h, SW_MINIMIZE);
    else if (state == WindowState::Maximised) ShowWindow(h, SW_MAXIMIZE);
    else if (IsIconic(h) || IsZoomed(h)) ShowWindow(h, SW_RESTORE);
}

void Win32Host::bringToFront(Ctl window) {
    HWND h = IsWindowCtl(window) ? hwndOf(window) : nullptr;
    if (!h || !IsWindowVisible(h)) return;
    // Already in front: nothing to do, and the dance below costs Wine a
    // dozen milliseconds of round trips to the display.
    if (GetForegroundWindow() == h && !IsIconic(h)) return;
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

// The screen a popup is placed within: the monitor the control is on.
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
