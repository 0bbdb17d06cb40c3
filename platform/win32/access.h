// What screen readers are told (access.cpp): each control's name, and the
// time grid's cells as items of a list.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "host/design.h"

namespace ny {

// Answers a screen reader's question for the control's object with a name:
// an entry's or combo box's label, a button's caption, the list's column
// headers. Other kinds keep the system's own answer.
void GiveAccessibleName(HWND control, Kind kind);

// The grid as it is now, read by grid.cpp for each question.
struct GridView {
    int rows = 0, cols = 0;
    int cell = 1;          // pixels per cell, line included
    int row = 0, col = 0;  // the current cell
    std::vector<std::wstring> cells;  // row by row
};
using GridReader = bool (*)(HWND grid, GridView* view);

// WM_GETOBJECT of the grid: its object when the client area is asked for, 0 otherwise.
LRESULT AnswerGridObject(HWND grid, WPARAM wp, LPARAM lp, GridReader read);
// The current cell changed (or the grid took the focus): tell listeners.
void AnnounceGridCell(HWND grid, GridReader read);

}  // namespace ny
