// The list view: a report list that keeps no texts of its own (owner data).
// It holds only a row count; each cell it paints, and each one another
// program reads, is asked of the handlers' source when needed.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>

#include "host/alarmlist.h"
#include "platform/win32/dpi.h"
#include "platform/win32/pathtext.h"
#include "platform/win32/undrawn.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {

namespace {

// What a list view's cell keeps free of text on both sides together.
constexpr int kCellMarginPx = 12;

// State images of LVS_EX_CHECKBOXES: 1 unchecked, 2 checked.
UINT CheckStateImage(bool checked) { return INDEXTOSTATEIMAGEMASK(checked ? 2 : 1); }

bool IsSelected(HWND h, int row) {
    return row >= 0 && (SendMessageW(h, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_SELECTED) &
                        LVIS_SELECTED) != 0;
}

int FocusedRow(HWND h) {
    return static_cast<int>(
        SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
}

// The one selected row (the list allows one), or -1. Asking the list view
// for "the next selected item from the top" walks every row before it, one
// by one: with 100,000 alarms that is most of a change's time. The row the
// user or listSelectRow chose is the selection mark, and the focused row is
// known at once; the walk is left for a selection made some other way.
int SelectedRow(HWND h) {
    if (SendMessageW(h, LVM_GETSELECTEDCOUNT, 0, 0) == 0) return -1;
    for (int row : {static_cast<int>(SendMessageW(h, LVM_GETSELECTIONMARK, 0, 0)), FocusedRow(h)})
        if (IsSelected(h, row)) return row;
    return static_cast<int>(
        SendMessageW(h, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

void SetRowState(HWND h, int row, UINT mask, UINT state) {
    LVITEMW item{};
    item.stateMask = mask;
    item.state = state;
    SendMessageW(h, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

}  // namespace

void Win32Host::setUpList(HWND h) {
    SendMessageW(h, LVM_SETEXTENDEDLISTVIEWSTYLE, 0,
                 LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER | LVS_EX_CHECKBOXES);
    // The check boxes' state is asked of the source like the texts.
    SendMessageW(h, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    SetWindowSubclass(h, ListKeysProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

int Win32Host::listColumnWidth(Ctl list, int col) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return 0;
    const int w = static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col), 0));
    return MulDiv(w, kDesignDpi, slot(WindowOf(list)).dpi);
}

// The list's notifications. A click on a row's check box, or Space on the
// selected row: the handlers switch the alarm (the list keeps no state of its
// own to toggle).
std::optional<LRESULT> Win32Host::onListNotify(Ctl list, const NMHDR& h, LPARAM lp) {
    switch (h.code) {
        case NM_RCLICK: raise(Ev::RightClick, list); return 0;
        case LVN_GETDISPINFOW: {
            auto* info = reinterpret_cast<NMLVDISPINFOW*>(lp);
            if (InOwnMemory(info, sizeof *info, true)) fillListCell(list, *info);
            return 0;
        }
        case LVN_ODFINDITEMW: return -1;  // typing in the list finds no row (it would find row 0)
        case NM_CLICK:
        case NM_DBLCLK: {
            auto* act = reinterpret_cast<NMITEMACTIVATE*>(lp);
            if (!InOwnMemory(act, sizeof *act, false)) return 0;
            LVHITTESTINFO hit{};
            hit.pt = act->ptAction;
            SendMessageW(h.hwndFrom, LVM_SUBITEMHITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.iItem >= 0 && hit.iSubItem == 0 && (hit.flags & LVHT_ONITEMSTATEICON))
                raise(Ev::RowCheckClicked, list, hit.iItem);
            return 0;
        }
        case LVN_KEYDOWN: {
            auto* key = reinterpret_cast<NMLVKEYDOWN*>(lp);
            if (!InOwnMemory(key, sizeof *key, false) || key->wVKey != VK_SPACE) return 0;
            const int r = listSelectedRow(list);
            if (r >= 0) raise(Ev::RowCheckClicked, list, r);
            return 0;
        }
        case NM_CUSTOMDRAW: {
            // A switched-off alarm's row is drawn grey.
            auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(lp);
            if (!InOwnMemory(draw, sizeof *draw, true)) return CDRF_DODEFAULT;
            if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) return CDRF_NOTIFYITEMDRAW;
            if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT) {
                const Slot& s = slot(list);
                const int r = static_cast<int>(draw->nmcd.dwItemSpec);
                if (s.rows && r >= 0 && r < s.rowCount && s.rows->rowLook(r).dimmed)
                    draw->clrText = GetSysColor(COLOR_GRAYTEXT);
            }
            return CDRF_DODEFAULT;
        }
        default: return std::nullopt;
    }
}

void Win32Host::rescaleList(HWND h, int oldDpi, int dpi) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(h, LVM_GETHEADER, 0, 0));
    const LRESULT n = header ? SendMessageW(header, HDM_GETITEMCOUNT, 0, 0) : 0;
    for (int c = 0; c < n; ++c) {
        const int w = static_cast<int>(SendMessageW(h, LVM_GETCOLUMNWIDTH, c, 0));
        SendMessageW(h, LVM_SETCOLUMNWIDTH, c, MAKELPARAM(MulDiv(w, dpi, oldDpi), 0));
    }
}

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

void Win32Host::listShowRows(Ctl list, const ListSource* source, int count) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return;
    count = std::max(count, 0);
    Slot& s = slot(list);
    s.rows = source;
    s.rowCount = count;
    // A selection or focus on a row that is gone would be kept as a bare
    // number by the list view and name another alarm later.
    if (const int r = SelectedRow(h); r >= count) SetRowState(h, r, LVIS_SELECTED, 0);
    if (const int focused = FocusedRow(h); focused >= count) SetRowState(h, focused, LVIS_FOCUSED, 0);
    // NOSCROLL: a list scrolled down to a row stays there when one is added
    // or deleted elsewhere. Only when the count changed: the list view
    // measures itself again each time (milliseconds under Wine).
    // It also draws its scroll bars there and then (20 ms under Wine, the
    // most of 添加): they are drawn with the rows at the next paint.
    if (SendMessageW(h, LVM_GETITEMCOUNT, 0, 0) != count)
        ChangeUndrawn(h, false, [&] {
            SendMessageW(h, LVM_SETITEMCOUNT, static_cast<WPARAM>(count), LVSICF_NOSCROLL);
        });
    // Rows in view may have new texts even when the count is the same.
    InvalidateRect(h, nullptr, FALSE);
}

int Win32Host::listRowCount(Ctl list) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    return h ? static_cast<int>(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int Win32Host::listSelectedRow(Ctl list) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    return h ? SelectedRow(h) : -1;
}

void Win32Host::listSelectRow(Ctl list, int row) {
    HWND h = exists(list) ? hwndOf(list) : nullptr;
    if (!h) return;
    // Row by row, not "all rows" (-1): the list view would visit each of them.
    if (const int r = SelectedRow(h); r >= 0) SetRowState(h, r, LVIS_SELECTED, 0);
    if (const int focused = FocusedRow(h); focused >= 0) SetRowState(h, focused, LVIS_FOCUSED, 0);
    if (row < 0 || row >= listRowCount(list)) {
        SendMessageW(h, LVM_SETSELECTIONMARK, 0, -1);
        return;
    }
    SetRowState(h, row, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    // Shift+arrow keys extend from the mark, which would otherwise stay behind.
    SendMessageW(h, LVM_SETSELECTIONMARK, 0, static_cast<LPARAM>(row));
    SendMessageW(h, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

// LVN_GETDISPINFOW: the list view (painting, or answering another program's
// LVM_GETITEMTEXTW) wants a cell's text in its buffer. The caller has checked
// that `info` is ours; the buffer it names is checked here.
void Win32Host::fillListCell(Ctl list, NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    const Slot& s = slot(list);
    const bool isRow = s.rows && item.iItem >= 0 && item.iItem < s.rowCount;
    if ((item.mask & LVIF_STATE) && (item.stateMask & LVIS_STATEIMAGEMASK) && item.iSubItem == 0) {
        const RowLook look = isRow ? s.rows->rowLook(item.iItem) : RowLook{};
        item.state &= ~LVIS_STATEIMAGEMASK;
        if (look.checkBox) item.state |= CheckStateImage(look.checked);
    }
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    const size_t room = static_cast<size_t>(item.cchTextMax);
    if (!InOwnMemory(item.pszText, room * sizeof(wchar_t), true)) return;
    std::wstring w;
    if (isRow && item.iSubItem >= 0) w = ToWstr(s.rows->cellText(item.iItem, item.iSubItem));
    // The tone's path as it fits its column ("C:\…\alarm.mp3", the file's name
    // in view) when the list paints; another program reading the cell (a
    // screen reader) gets the whole path.
    if (item.iSubItem == col::kTone && !(InSendMessageEx(nullptr) & ISMEX_SEND)) {
        const int width = static_cast<int>(
            SendMessageW(info.hdr.hwndFrom, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(col::kTone), 0));
        w = fittedTone(info.hdr.hwndFrom, w, width - Scale(kCellMarginPx, slot(WindowOf(list)).dpi));
    }
    size_t n = std::min(w.size(), room - 1);
    // Never half a surrogate pair at the cut.
    if (n < w.size() && n > 0 && IS_HIGH_SURROGATE(w[n - 1])) --n;
    std::copy_n(w.data(), n, item.pszText);
    item.pszText[n] = L'\0';
}

std::wstring Win32Host::fittedTone(HWND list, const std::wstring& path, int room) {
    const auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
    for (const FittedTone& f : fittedTones_)
        if (f.font == font && f.room == room && f.path == path) return f.shown;
    constexpr size_t kKept = 16;  // more tones than rows in view
    if (fittedTones_.size() >= kKept) fittedTones_.erase(fittedTones_.begin());
    fittedTones_.push_back({font, room, path, PathTextToFit(list, path, room)});
    return fittedTones_.back().shown;
}

// The list's own keys: Delete, and the context-menu key or Shift+F10 (a
// system key), raised before the list view or the system acts on them.
LRESULT CALLBACK Win32Host::ListKeysProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                         DWORD_PTR ref) {
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN) {
        const Key k = KeyOf(wp);
        if (k == Key::Delete || k == Key::ContextMenu) {
            reinterpret_cast<Win32Host*>(ref)->raise(Ev::KeyDown, static_cast<Ctl>(GetDlgCtrlID(hwnd)),
                                                     static_cast<int>(k));
            return 0;
        }
    }
    // The menu is opened on the key's press: the system's own WM_CONTEXTMENU
    // for the keyboard (at -1, -1) would open it a second time.
    if (msg == WM_CONTEXTMENU && lp == -1) return 0;
    // The header tells its list (not our window) that the user resized a
    // column; the new width is in place once the header says it changed.
    if (msg == WM_NOTIFY) {
        auto* self = reinterpret_cast<Win32Host*>(ref);
        const auto* n = reinterpret_cast<const NMHDR*>(lp);
        if (InOwnMemory(n, sizeof *n, false)) {
            if (n->code == HDN_ENDTRACKW || n->code == HDN_DIVIDERDBLCLICKW) {
                self->columnResizing_ = true;
            } else if (n->code == HDN_ITEMCHANGEDW && self->columnResizing_) {
                const LRESULT r = DefSubclassProc(hwnd, msg, wp, lp);
                self->columnResizing_ = false;
                self->raise(Ev::ColumnResized, static_cast<Ctl>(GetDlgCtrlID(hwnd)));
                return r;
            }
        }
    }
    if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, ListKeysProc, id);
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace ny
