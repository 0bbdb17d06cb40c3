#include "pickers/timepicker.h"

#include <algorithm>
#include <string>

#include "host/alarmlist.h"
#include "host/textops.h"
#include "pickers/entrytext.h"
#include "pickers/popupclose.h"

namespace ny {
namespace {

// One of the entry's three two-digit time fields.
struct TimeField {
    int start;  // characters in front of it; also where the caret goes after a change
    int end;    // characters up to its end (the ":" or the text's end behind it)
    int max;    // highest value
    int count;  // values in the grid
    const char* unit;
};

constexpr TimeField kHour{timetext::kHour, timetext::kHour + 2, 23, 24, "小时"};
constexpr TimeField kMinute{timetext::kMinute, timetext::kMinute + 2, 59, 60, "分钟"};
constexpr TimeField kSecond{timetext::kSecond, timetext::kSecond + 2, 59, 60, "秒钟"};

// The field a caret offset selects: from its start to its end, both included.
const TimeField* FieldAt(int caret) {
    for (const TimeField* f : {&kHour, &kMinute, &kSecond})
        if (caret >= f->start && caret <= f->end) return f;
    return nullptr;
}

std::string TwoDigits(int v) {
    std::string s = std::to_string(v);
    return s.size() == 1 ? "0" + s : s;
}

// The text with the field's two characters replaced; everything else kept.
std::string ReplaceField(const std::string& text, const TimeField& f, const std::string& two) {
    return LeftChars(text, f.start) + two + RightChars(text, CharCount(text) - f.end);
}

// A typed character as text: a UTF-16 code unit, so that nothing outside
// ASCII can split or corrupt the entry (it reads as a non-digit).
std::string CharText(int code) {
    // A lone surrogate or nothing at all.
    if (code <= 0 || code > 0xFFFF || (code >= 0xD800 && code <= 0xDFFF)) return "?";
    std::string s;
    AppendUtf8(s, static_cast<uint32_t>(code));
    return s;
}

void Close(App& app) { ClosePopup(app, Ctl::TimePickerWindow); }

// Makes the cell of value `v` the grid's current one (cells run row by row
// from 00); a value past the grid's cells selects its last cell.
void SelectValue(Host& host, int v) {
    const Ctl grid = Ctl::时间高级表格;
    const int rows = host.gridRowCount(grid), cols = host.gridColCount(grid);
    if (rows <= 0 || cols <= 0) return;
    v = std::min(std::max(v, 0), rows * cols - 1);
    host.gridSelect(grid, v / cols, v % cols);
}

// The value the field's two characters show (0 when they show none).
int FieldValue(const std::string& text, const TimeField& f) {
    return LeadingDigits(MidChars(text, f.start + 1, 2));
}

}  // namespace

void FillPickerGrid(App& app, Ctl field) {
    Host& host = app.host;
    const Ctl grid = Ctl::时间高级表格;
    app.TimePickerTarget = field;
    host.setTimer(Ctl::时间窗口时钟, kPopupWatchMs);  // the watch: closes the picker once the field is gone
    host.gridClear(grid);
    const TimeField* f = FieldAt(host.caret(field));
    const int n = f ? f->count : 0;
    if (f) host.setText(Ctl::透明标签1, f->unit);
    const int rows = host.gridRowCount(grid), cols = host.gridColCount(grid);
    if (rows <= 0 || cols <= 0) return;
    // The field's value is the selected cell; one past the field's highest
    // (a hand-typed 75 minutes) selects nothing better than its last value.
    SelectValue(host, f ? std::min(FieldValue(host.text(field), *f), f->max) : 0);
    int row = 0, col = 0;
    for (int v = 0; v < n; ++v) {
        host.gridSetCell(grid, row, col, TwoDigits(v));
        if (col == cols - 1) {
            if (row == rows - 1) break;
            ++row;
            col = 0;
        } else {
            ++col;
        }
    }
}

void OnPickerCellChosen(App& app) {
    Host& host = app.host;
    const Ctl grid = Ctl::时间高级表格;
    const std::string cell =
        host.gridCell(grid, host.gridCurrentRow(grid), host.gridCurrentCol(grid));
    if (cell.empty()) {
        Close(app);
        return;
    }
    const Ctl entry = app.TimePickerTarget;
    std::string text = host.text(entry);
    const TimeField* f = FieldAt(host.caret(entry));
    if (f) text = ReplaceField(text, *f, cell);
    host.setText(entry, text);
    if (f) host.setCaret(entry, f->start);
    Close(app);
}

void OnPickerChar(App& app, int code) {
    Host& host = app.host;
    const Ctl entry = app.TimePickerTarget;
    const std::string text = host.text(entry);
    const TimeField* f = FieldAt(host.caret(entry));
    if (!f) {
        host.setText(entry, text);
        return;
    }
    // The field's two characters and the typed one; while that is above the
    // field's highest value, its first character goes (at most twice).
    std::string candidate = MidChars(text, f->start + 1, 2) + CharText(code);
    for (int drop = 0; drop < 2 && LeadingDigits(candidate) > f->max; ++drop)
        candidate = RightChars(candidate, CharCount(candidate) - 1);
    const int value = LeadingDigits(candidate);
    host.setText(entry, ReplaceField(text, *f, TwoDigits(value)));
    host.setCaret(entry, f->start);
    SelectValue(host, value);
}

void OnPickerKey(App& app, Key key) {
    Host& host = app.host;
    const Ctl entry = app.TimePickerTarget;
    const Ctl grid = Ctl::时间高级表格;
    const TimeField* f = FieldAt(host.caret(entry));
    switch (key) {
        case Key::Backspace:
        case Key::Delete:
        case Key::Escape:
            Close(app);
            return;
        case Key::Enter:  // the selected cell, as a click on it
            OnPickerCellChosen(app);
            return;
        case Key::Left:  // second -> minute -> hour, no wrap
            if (f == &kSecond) host.setCaret(entry, kMinute.start);
            else if (f == &kMinute) host.setCaret(entry, kHour.start);
            FillPickerGrid(app, entry);
            return;
        case Key::Right:  // hour -> minute -> second, no wrap
            if (f == &kHour) host.setCaret(entry, kMinute.start);
            else if (f == &kMinute) host.setCaret(entry, kSecond.start);
            FillPickerGrid(app, entry);
            return;
        case Key::Up:
        case Key::Down: {
            // A row up or down, staying on the cells that hold a value.
            const int cols = host.gridColCount(grid);
            if (!f || cols <= 0) return;
            const int v = host.gridCurrentRow(grid) * cols + host.gridCurrentCol(grid) +
                          (key == Key::Up ? -cols : cols);
            if (v >= 0 && v < f->count) SelectValue(host, v);
            return;
        }
        default:
            return;
    }
}

namespace {

void SetWholeTime(App& app, const char* time) {
    Host& host = app.host;
    const Ctl entry = app.TimePickerTarget;
    const std::string text = host.text(entry);
    host.setText(entry, LeftChars(text, 11) + time + RightChars(text, CharCount(text) - 19));
    Close(app);
}

}  // namespace

void OnPickerEarliest(App& app) { SetWholeTime(app, "00:00:00"); }
void OnPickerLatest(App& app) { SetWholeTime(app, "23:59:59"); }

void OnPickerWatchTick(App& app) {
    if (!app.host.exists(app.TimePickerTarget)) Close(app);
}

}  // namespace ny
