// The time picker's grid: a window class of its own drawing rows x columns of
// text cells with silver lines, the current cell selected, and the Host
// operations on it.
#include <windows.h>

#include "platform/win32/access.h"
#include "platform/win32/colours.h"
#include "platform/win32/dpi.h"
#include "platform/win32/win32_host.h"
#include "platform/win32/wstr.h"
#include "host/layout.h"

namespace ny {

namespace {

constexpr int kGridCell = 24;  // pixels per grid cell at 96 DPI, grid line included

}  // namespace

struct GridData {
    Win32Host* host = nullptr;
    Ctl id = Ctl::None;
    int cell = kGridCell;  // at the window's DPI
    int rows = 0, cols = 0;
    int row = 0, col = 0;  // the current cell
    HFONT font = nullptr;
    std::vector<std::wstring> cells;

    bool has(int r, int c) const { return r >= 0 && c >= 0 && r < rows && c < cols; }
    std::wstring& at(int r, int c) { return cells[static_cast<size_t>(r * cols + c)]; }
};

namespace {

GridData* GridOf(HWND h) {
    return h ? reinterpret_cast<GridData*>(GetWindowLongPtrW(h, GWLP_USERDATA)) : nullptr;
}

// What a screen reader is told about (access.cpp).
bool ReadGrid(HWND h, GridView* v) {
    const GridData* g = GridOf(h);
    if (!g) return false;
    v->rows = g->rows;
    v->cols = g->cols;
    v->cell = g->cell;
    v->row = g->row;
    v->col = g->col;
    v->cells = g->cells;
    return true;
}

void PaintGrid(HWND hwnd, GridData* g) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    RECT all;
    GetClientRect(hwnd, &all);
    const GridPaints paints = GridColours(g && g->host->highContrast());
    HBRUSH ground = BrushOf(paints.ground);
    FillRect(dc, &all, ground);
    DeleteObject(ground);  // a system brush ignores this
    HBRUSH chosen = BrushOf(paints.chosenGround);
    HPEN pen = CreatePen(PS_SOLID, 1, ColourOf(paints.line));
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
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            const std::wstring& t = g->at(r, c);
            RECT box{c * cell + 1, r * cell + 1, (c + 1) * cell, (r + 1) * cell};
            const bool current = r == g->row && c == g->col;
            if (current) FillRect(dc, &box, chosen);
            SetTextColor(dc, ColourOf(current ? paints.chosenText : paints.text));
            if (!t.empty())
                DrawTextW(dc, t.c_str(), static_cast<int>(t.size()), &box,
                          DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
            if (current && GetFocus() == hwnd) DrawFocusRect(dc, &box);
        }
    }
    SelectObject(dc, oldFont);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    DeleteObject(chosen);
    EndPaint(hwnd, &ps);
}

}  // namespace

void Win32Host::registerGridClass() {
    WNDCLASSEXW grid{};
    grid.cbSize = sizeof grid;
    grid.lpfnWndProc = GridProc;
    grid.hInstance = instance_;
    grid.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    grid.hbrBackground = nullptr;  // the paint fills it, in the theme's colours when asked
    grid.lpszClassName = kGridClass;
    RegisterClassExW(&grid);
}

void Win32Host::rescaleGrid(HWND h, int dpi) {
    if (GridData* g = GridOf(h)) g->cell = Scale(kGridCell, dpi);
}

LRESULT CALLBACK Win32Host::GridProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    auto* g = GridOf(hwnd);
    switch (msg) {
        case WM_NCCREATE: {
            const auto* cs = reinterpret_cast<const CREATESTRUCTW*>(lp);
            auto* host = static_cast<Win32Host*>(cs->lpCreateParams);
            const int cell = Scale(kGridCell, host->slot(host->windowCtl(cs->hwndParent)).dpi);
            g = new GridData;
            g->host = host;
            g->cell = cell;
            g->id = static_cast<Ctl>(reinterpret_cast<INT_PTR>(cs->hMenu));
            g->rows = cs->cy / cell;
            g->cols = cs->cx / cell;
            g->cells.resize(static_cast<size_t>(g->rows * g->cols));
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
            InvalidateRect(hwnd, nullptr, FALSE);
            AnnounceGridCell(hwnd, ReadGrid);
            return 0;
        case WM_KILLFOCUS:
            InvalidateRect(hwnd, nullptr, FALSE);
            return 0;
        case WM_GETOBJECT:
            if (LRESULT r = AnswerGridObject(hwnd, wp, lp, ReadGrid)) return r;
            break;
        case WM_PAINT:
            PaintGrid(hwnd, g);
            return 0;
        case WM_LBUTTONDOWN: {
            if (!g) break;
            SetFocus(hwnd);
            const int c = static_cast<short>(LOWORD(lp)) / g->cell;
            const int r = static_cast<short>(HIWORD(lp)) / g->cell;
            if (!g->has(r, c)) return 0;
            g->row = r;
            g->col = c;
            InvalidateRect(hwnd, nullptr, FALSE);
            AnnounceGridCell(hwnd, ReadGrid);
            // Last: the handler may close the window and with it this grid.
            g->host->raise(Ev::CellChosen, g->id);
            return 0;
        }
        case WM_KEYDOWN:
            if (g) g->host->raiseKey(g->id, wp);
            return 0;
        case WM_CHAR:
            if (g) g->host->raise(Ev::Char, g->id, static_cast<int>(wp));
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

// ---- Host operations -----------------------------------------------------------

GridData* Win32Host::gridData(Ctl grid) { return GridOf(exists(grid) ? hwndOf(grid) : nullptr); }

int Win32Host::gridRowCount(Ctl grid) {
    const GridData* g = gridData(grid);
    return g ? g->rows : 0;
}

int Win32Host::gridColCount(Ctl grid) {
    const GridData* g = gridData(grid);
    return g ? g->cols : 0;
}

void Win32Host::gridClear(Ctl grid) {
    GridData* g = gridData(grid);
    if (!g) return;
    for (std::wstring& c : g->cells) c.clear();
    InvalidateRect(hwndOf(grid), nullptr, FALSE);
}

void Win32Host::gridSetCell(Ctl grid, int row, int col, std::string_view s) {
    GridData* g = gridData(grid);
    if (!g || !g->has(row, col)) return;
    g->at(row, col) = ToWstr(s);
    InvalidateRect(hwndOf(grid), nullptr, FALSE);
}

std::string Win32Host::gridCell(Ctl grid, int row, int col) {
    GridData* g = gridData(grid);
    if (!g || !g->has(row, col)) return {};
    return ToUtf8(g->at(row, col));
}

int Win32Host::gridCurrentRow(Ctl grid) {
    const GridData* g = gridData(grid);
    return g ? g->row : 0;
}

int Win32Host::gridCurrentCol(Ctl grid) {
    const GridData* g = gridData(grid);
    return g ? g->col : 0;
}

void Win32Host::gridSelect(Ctl grid, int row, int col) {
    GridData* g = gridData(grid);
    if (!g || !g->has(row, col)) return;
    g->row = row;
    g->col = col;
    InvalidateRect(hwndOf(grid), nullptr, FALSE);
    AnnounceGridCell(hwndOf(grid), ReadGrid);
}

}  // namespace ny
