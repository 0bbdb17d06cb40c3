// The menus: the main window's popup menus built from their designs, with
// separators, a submenu, radio marks and items shown on demand; their copy
// in the main window's system menu; check marks; and opening a popup menu at
// the pointer or under a list row.
#include <windows.h>

#include <commctrl.h>

#include <string>

#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {
namespace {

// System menu commands keep their low four bits for the system.
constexpr UINT kSystemMenuShift = 4;

}  // namespace

Ctl SystemMenuCtl(WPARAM command) {
    const auto c = static_cast<Ctl>((command & 0xFFF0) >> kSystemMenuShift);
    const ControlDesign* d = FindDesign(c);
    return d && d->inSystemMenu ? c : Ctl::None;
}

UINT SystemMenuId(Ctl c) { return static_cast<UINT>(c) << kSystemMenuShift; }

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

void Win32Host::insertMenuEntry(const ControlDesign& d) {
    HMENU menu = slot(d.parentMenu).menu;
    if (!menu) return;
    // Its place: every entry of the same menu designed before it that is
    // there now, separators included.
    UINT position = 0;
    for (const ControlDesign& s : ControlDesigns()) {
        if (&s == &d) break;
        if (s.parentMenu != d.parentMenu || (s.kind != Kind::MenuItem && s.kind != Kind::Menu)) continue;
        position += s.separatorBefore;
        position += s.kind == Kind::Menu || GetMenuState(menu, static_cast<UINT>(s.id), MF_BYCOMMAND) != UINT(-1);
    }
    position += d.separatorBefore;
    std::wstring text = ToWstr(d.caption);
    MENUITEMINFOW mi{};
    mi.cbSize = sizeof mi;
    mi.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
    mi.fType = MFT_STRING | (d.radio ? MFT_RADIOCHECK : 0);
    mi.wID = static_cast<UINT>(d.id);
    mi.dwTypeData = text.data();
    if (d.kind == Kind::Menu) {
        mi.fMask |= MIIM_SUBMENU;
        mi.hSubMenu = slot(d.id).menu;
    }
    InsertMenuItemW(menu, position, TRUE, &mi);
}

void Win32Host::showMenuItem(const ControlDesign& d, bool on) {
    HMENU menu = slot(d.parentMenu).menu;
    if (!menu) return;
    const bool present = GetMenuState(menu, static_cast<UINT>(d.id), MF_BYCOMMAND) != UINT(-1);
    if (!on && present) RemoveMenu(menu, static_cast<UINT>(d.id), MF_BYCOMMAND);
    if (on && !present) insertMenuEntry(d);
}

void Win32Host::addSystemMenuItems() {
    HMENU sys = GetSystemMenu(hwndOf(Ctl::MainWindow), FALSE);
    if (!sys) return;
    bool first = true;
    for (const ControlDesign& d : ControlDesigns()) {
        const ControlDesign* parent = FindDesign(d.parentMenu);
        // A submenu's items go into its own copy below.
        if (!d.inSystemMenu || (parent && parent->parentMenu != Ctl::None)) continue;
        if (first) AppendMenuW(sys, MF_SEPARATOR, 0, nullptr);
        first = false;
        const std::wstring caption = ToWstr(d.caption);
        if (d.kind != Kind::Menu) {
            AppendMenuW(sys, MF_STRING, SystemMenuId(d.id), caption.c_str());
            continue;
        }
        // The system menu gets a submenu of its own (a menu destroys its
        // submenus with it: one cannot serve two), with system command ids.
        HMENU sub = CreatePopupMenu();
        for (const ControlDesign& item : ControlDesigns()) {
            if (item.parentMenu != d.id || item.kind != Kind::MenuItem) continue;
            std::wstring text = ToWstr(item.caption);
            MENUITEMINFOW mi{};
            mi.cbSize = sizeof mi;
            mi.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_ID;
            mi.fType = MFT_STRING | (item.radio ? MFT_RADIOCHECK : 0);
            mi.wID = SystemMenuId(item.id);
            mi.dwTypeData = text.data();
            InsertMenuItemW(sub, GetMenuItemCount(sub), TRUE, &mi);
        }
        AppendMenuW(sys, MF_POPUP, reinterpret_cast<UINT_PTR>(sub), caption.c_str());
    }
}

void Win32Host::setMenuChecked(Ctl item, bool on) {
    const ControlDesign* d = FindDesign(item);
    if (!d || d->kind != Kind::MenuItem || !exists(item)) return;
    CheckMenuItem(slot(d->parentMenu).menu, static_cast<UINT>(item),
                  MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
    if (d->inSystemMenu)
        CheckMenuItem(GetSystemMenu(hwndOf(Ctl::MainWindow), FALSE), SystemMenuId(item),
                      MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Win32Host::popupMenu(Ctl menu) {
    POINT at{};
    GetCursorPos(&at);
    trackMenu(menu, at);
}

void Win32Host::popupMenuAtRow(Ctl menu, Ctl list, int row) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return;
    POINT at{0, 0};
    if (row >= 0 && row < listRowCount(list)) {
        SendMessageW(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        RECT r{LVIR_LABEL, 0, 0, 0};
        if (SendMessageW(h, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r)))
            at = {r.left + (r.bottom - r.top), r.bottom};
    }
    ClientToScreen(h, &at);
    trackMenu(menu, at);
}

void Win32Host::trackMenu(Ctl menu, POINT at) {
    HWND main = hwndOf(Ctl::MainWindow);
    HMENU m = exists(menu) ? slot(menu).menu : nullptr;
    if (!main || !m) return;
    // Without these two the menu stays open when the user clicks elsewhere.
    SetForegroundWindow(main);
    TrackPopupMenu(m, TPM_RIGHTBUTTON, at.x, at.y, 0, main, nullptr);
    PostMessageW(main, WM_NULL, 0, 0);
}

}  // namespace ny
