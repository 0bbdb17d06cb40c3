// Menus and the tray: the list's menu, the tray menu and the system menu
// opened and chosen from with real input, the tray icons clicked, their tip
// and balloons read.

#include "probe_commands.h"
#include "probe_common.h"

#include <string>
#include <thread>
#include <vector>

namespace probe {

namespace {

// The 0-based position, among the entries the keyboard stops at, of an item
// or submenu in its menu, from the design (an item hidden by design is taken
// to be absent).
int MenuIndex(const ny::ControlDesign* d) {
    if (!d || (d->kind != ny::Kind::MenuItem && d->kind != ny::Kind::Menu)) return -1;
    int i = 0;
    for (const auto& x : ny::ControlDesigns()) {
        if (x.id == d->id) return i;
        if ((x.kind == ny::Kind::MenuItem || x.kind == ny::Kind::Menu) && !x.hidden &&
            x.parentMenu == d->parentMenu)
            ++i;
    }
    return -1;
}

int MenuIndex(const std::string& item) { return MenuIndex(DesignByName(item)); }

// The popup menu that opens within 3 s; nullptr (said) when none does.
HWND WaitForMenu() {
    HWND menu = nullptr;
    if (!WaitFor(3000, [&] { return (menu = FindWindowW(L"#32768", nullptr)) && IsWindowVisible(menu); })) {
        Out("BAD no popup menu");
        return nullptr;
    }
    return menu;
}

// Chooses `item` in the popup menu that is open, with the keyboard as a
// user may: a menu belongs to its process, so another one cannot read it.
int ChooseFromPopup(const std::string& item) {
    HWND menu = WaitForMenu();
    if (!menu) return 1;
    const int index = MenuIndex(item);
    if (index < 0) {
        Out("BAD no menu item " + item + " in the design");
        return 2;
    }
    // An item of a submenu: to the submenu first, → opens it on its first item.
    const ny::ControlDesign* parent = ny::FindDesign(DesignByName(item)->parentMenu);
    if (parent && parent->parentMenu != ny::Ctl::None) {
        for (int i = 0; i <= MenuIndex(parent); ++i) Key(VK_DOWN);
        Key(VK_RIGHT);
        std::this_thread::sleep_for(200ms);
        for (int i = 0; i < index; ++i) Key(VK_DOWN);
    } else {
        for (int i = 0; i <= index; ++i) Key(VK_DOWN);
    }
    Key(VK_RETURN);
    if (!WaitFor(2000, [&] { return !IsWindow(menu) || !IsWindowVisible(menu); })) {
        Out("BAD the menu stayed open");
        return 1;
    }
    Out("chose " + item);
    return 0;
}

// Tray icons as Wine shows them without a system tray: small windows in its
// own tray window at the top-left of the screen.
std::vector<HWND> TrayIcons() {
    std::vector<HWND> r;
    for (HWND h : TopLevelWindows())
        if (IsWindowVisible(h))
            for (HWND c : Descendants(h))
                if (ClassOf(c) == L"__winex11_tray_icon" && IsWindowVisible(c)) r.push_back(c);
    return r;
}

// The newest tray icon (the rightmost) once one shows within 3 s; nullptr
// (said) when none does.
HWND NewestTrayIcon() {
    std::vector<HWND> icons;
    if (!WaitFor(3000, [&] { return !(icons = TrayIcons()).empty(); })) {
        Out("BAD no tray icon");
        return nullptr;
    }
    HWND icon = icons.front();
    for (HWND i : icons) {
        RECT ri, r;
        GetWindowRect(i, &ri);
        GetWindowRect(icon, &r);
        if (ri.left > r.left) icon = i;
    }
    return icon;
}

// The text of a tooltip on the screen (of a balloon only, with `balloon`);
// "" while none shows one.
std::string ShownTip(bool balloon) {
    for (HWND h : TopLevelWindows())
        if (ClassOf(h) == L"tooltips_class32" && IsWindowVisible(h) &&
            (!balloon || (GetWindowLongW(h, GWL_STYLE) & TTS_BALLOON))) {
            std::string text = U8(WindowText(h));
            if (!text.empty()) return text;
        }
    return {};
}

// Right-clicks row `row` of the alarm list, selecting it first with a left
// click as a user does.
void RightClickRow(int row) {
    HWND list = ControlOrDie("超级列表框1");
    POINT p = ListRowPoint(list, row);
    MouseClick(p.x, p.y);
    MouseClick(p.x, p.y, true);
}

}  // namespace

// Right-clicks row `row` of the alarm list (selecting it first with a left
// click, as a user does), then chooses `item` in the menu that pops up.
int CmdListMenu(int row, const std::string& item) {
    RightClickRow(row);
    return ChooseFromPopup(item);
}

// Chooses `item` in the menu that is open (opened by the keyboard).
int CmdMenuChoose(const std::string& item) { return ChooseFromPopup(item); }

// Menus left open for a screenshot: the list menu on `row` (with `submenu`
// open when given), the tray menu, or the system menu (Alt+Space).
int CmdOpenMenu(const std::string& which, int row, const std::string& submenu) {
    if (which == "list") {
        RightClickRow(row);
    } else if (which == "tray") {
        if (int r = CmdTrayClick("right")) return r;
    } else if (which == "system") {
        HWND main = MainOrDie();
        SetForegroundWindow(main);
        std::this_thread::sleep_for(200ms);
        INPUT in[4] = {};
        for (INPUT& i : in) i.type = INPUT_KEYBOARD;
        in[0].ki.wVk = in[3].ki.wVk = VK_MENU;
        in[1].ki.wVk = in[2].ki.wVk = VK_SPACE;
        in[2].ki.dwFlags = in[3].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(4, in, sizeof(INPUT));
    } else {
        return kBadUsage;
    }
    if (!WaitForMenu()) return 1;
    if (!submenu.empty()) {
        for (int i = 0; i <= MenuIndex(submenu); ++i) Key(VK_DOWN);
        Key(VK_RIGHT);
    }
    Out("menu open");
    return 0;
}

int CmdTrayIcons() {
    Out("tray_icons=" + std::to_string(TrayIcons().size()));
    return 0;
}

// Clicks the (one) tray icon with the given button.
int CmdTrayClick(const std::string& button) {
    HWND icon = NewestTrayIcon();
    if (!icon) return 1;
    RECT r;
    GetWindowRect(icon, &r);
    MouseClick((r.left + r.right) / 2, (r.top + r.bottom) / 2, button == "right");
    Out("tray " + button + " click");
    return 0;
}

// Chooses an item of the tray menu.
int CmdTrayMenu(const std::string& item) {
    if (int r = CmdTrayClick("right")) return r;
    return ChooseFromPopup(item);
}

// The tip of the (newest) tray icon, as the user sees it: the pointer rests
// on the icon until the tooltip shows, whose text is then read.
int CmdTrayTip() {
    HWND icon = NewestTrayIcon();
    if (!icon) return 1;
    RECT r;
    GetWindowRect(icon, &r);
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    std::string tip;
    const bool shown = WaitFor(8000, [&] {
        // Small moves keep the tooltip's hover tracking alive.
        static int wiggle = 0;
        INPUT in{};
        in.type = INPUT_MOUSE;
        in.mi.dx = LONG(((r.left + r.right) / 2 + (wiggle++ % 2)) * 65536LL / cx);
        in.mi.dy = LONG((r.top + r.bottom) / 2 * 65536LL / cy);
        in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        if (wiggle < 3) SendInput(1, &in, sizeof in);
        return !(tip = ShownTip(false)).empty();
    });
    if (!shown) {
        Out("BAD no tooltip over the tray icon");
        return 1;
    }
    std::string escaped;
    for (char ch : tip) escaped += ch == '\n' ? std::string("\\n") : std::string(1, ch);
    Out("tip=" + escaped);
    return 0;
}

// A balloon from a tray icon (the notification area's own tooltip, shown
// without the pointer on the icon) within `ms`: its text.
int CmdBalloon(int ms) {
    std::string text;
    const bool shown = WaitFor(ms, [&] { return !(text = ShownTip(true)).empty(); });
    if (!shown) {
        Out("balloon=none");
        return 1;
    }
    Out("balloon=" + OneLine(text));
    return 0;
}

}  // namespace probe
