// The alarm-time entry's popups: which one a click opens and where, the time
// grid (cells, typing, arrow keys, the two buttons) and the calendar's pick
// rule, on the whole program.
#include <gtest/gtest.h>

#include "host/layout.h"
#include "pickers/entrypopup.h"
#include "program_fixture.h"

namespace ny::testing {
namespace {


class Pickers : public ProgramTest {
protected:
    Pickers() { start(At(2026, 12, 8, 7, 0, 0)); }

    // The user clicks in the entry (press and release) with the caret at `caret`.
    void clickEntry(const std::string& text, int caret) {
        host().setText(Ctl::编辑框1, text);
        host().setCaret(Ctl::编辑框1, caret);
        host().raise(Ev::MouseDown, Ctl::编辑框1);
        host().raise(Ev::MouseUp, Ctl::编辑框1);
    }
    std::string entry() { return host().text(Ctl::编辑框1); }
    int caret() { return host().caret(Ctl::编辑框1); }
    bool open(Ctl w) { return host().exists(w) && host().visible(w); }

    // The grid's cells, row by row, as one text ("" cells as "..").
    std::vector<std::string> cells() {
        std::vector<std::string> out;
        const Ctl g = Ctl::时间高级表格;
        for (int r = 0; r < host().gridRowCount(g); ++r)
            for (int c = 0; c < host().gridColCount(g); ++c) out.push_back(host().gridCell(g, r, c));
        return out;
    }
    int filled() {
        int n = 0;
        for (const auto& c : cells()) n += !c.empty();
        return n;
    }
    void type(const std::string& keys) {
        for (char k : keys) host().raise(Ev::Char, Ctl::时间高级表格, static_cast<unsigned char>(k));
    }
    void key(Key k, Ctl on = Ctl::TimePickerWindow) {
        host().raise(Ev::KeyDown, on, static_cast<int>(k));
    }
    // The grid's current cell as the value it shows.
    std::string selected() {
        const Ctl g = Ctl::时间高级表格;
        return host().gridCell(g, host().gridCurrentRow(g), host().gridCurrentCol(g));
    }
};

constexpr const char* kEntry = "2026-12-08 07:30:15";

// ---- which popup, and where ---------------------------------------------------

TEST_F(Pickers, CaretZoneChoosesThePopup) {
    struct Case {
        const char* text;
        int caret;
        Ctl popup;
        const char* label;  // the unit label of the time picker
        int values;
    } cases[] = {
        {kEntry, 0, Ctl::CalendarWindow, "", 0},
        {kEntry, 10, Ctl::CalendarWindow, "", 0},
        {kEntry, 11, Ctl::TimePickerWindow, "小时", 24},
        {kEntry, 13, Ctl::TimePickerWindow, "小时", 24},
        {kEntry, 14, Ctl::TimePickerWindow, "分钟", 60},
        {kEntry, 16, Ctl::TimePickerWindow, "分钟", 60},
        {kEntry, 17, Ctl::TimePickerWindow, "秒钟", 60},
        {kEntry, 19, Ctl::TimePickerWindow, "秒钟", 60},
        {"2026-12-08 07:30:15 later", 20, Ctl::TimePickerWindow, "透明标签", 0},
        {"2026-12-08 07:30:15 later", 25, Ctl::TimePickerWindow, "透明标签", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        // The field is disabled while the popup is being loaded and filled.
        bool disabledWhileLoading = false;
        auto route = host().onEvent;
        host().onEvent = [&](const Event& e) {
            if (e.kind == Ev::Created) disabledWhileLoading = !host().enabled(Ctl::编辑框1);
            return route(e);
        };
        clickEntry(c.text, c.caret);
        host().onEvent = route;
        EXPECT_TRUE(disabledWhileLoading);
        EXPECT_TRUE(host().enabled(Ctl::编辑框1));
        const Ctl other =
            c.popup == Ctl::CalendarWindow ? Ctl::TimePickerWindow : Ctl::CalendarWindow;
        ASSERT_TRUE(open(c.popup));
        EXPECT_FALSE(host().exists(other));
        // Top-left corner on the field's bottom-left corner.
        const Rect f = host().windowRect(Ctl::编辑框1);
        const Rect p = host().windowRect(c.popup);
        EXPECT_EQ(p.left, f.left);
        EXPECT_EQ(p.top, f.bottom);
        if (c.popup == Ctl::TimePickerWindow) {
            EXPECT_EQ(app().TimePickerTarget, Ctl::编辑框1);
            EXPECT_EQ(host().text(Ctl::透明标签1), c.label);
            EXPECT_EQ(filled(), c.values);
            EXPECT_EQ(host().timerPeriod(Ctl::时间窗口时钟), 1);
        } else {
            EXPECT_EQ(app().CalendarTarget, Ctl::编辑框1);
            EXPECT_EQ(host().monthCalDate(Ctl::月历), At(2026, 12, 8, 0, 0, 0));
            EXPECT_EQ(host().timerPeriod(Ctl::日历时钟1), 1);
        }
        EXPECT_EQ(entry(), c.text);  // opening changes nothing
        host().raise(Ev::Deactivated, c.popup);
        EXPECT_FALSE(host().exists(c.popup));
    }
}

TEST_F(Pickers, PopupFitsTheWorkArea) {
    const Rect work{0, 0, 1024, 738};
    struct Case {
        const char* what;
        Rect field;
        int x, y;
    } cases[] = {
        {"room below", {100, 100, 201, 124}, 100, 124},
        {"exactly room below and right", {758, 571, 859, 595}, 758, 595},
        {"bottom edge: above", {100, 600, 201, 624}, 100, 457},
        {"right edge: shifted left", {900, 100, 1001, 124}, 758, 124},
        {"bottom-right corner", {950, 700, 1051, 724}, 758, 557},
        {"room neither below nor above: as low as fits", {100, 50, 201, 650}, 100, 595},
        {"left of the screen: moved right", {-60, 100, 41, 124}, 0, 124},
    };
    for (const Case& c : cases) {
        const Point p = PlacePopup(c.field, work, 266, 143);
        EXPECT_EQ(p.x, c.x) << c.what;
        EXPECT_EQ(p.y, c.y) << c.what;
    }
}

TEST_F(Pickers, NearTheScreenCornerThePopupOpensAboveAndInside) {
    host().screenWork = {0, 0, 1024, 738};
    host().moveWindow(Ctl::MainWindow, 1024 - 500, 738 - 200);
    const Rect f = host().windowRect(Ctl::编辑框1);
    ASSERT_GT(f.bottom + 166, 738);  // below it would not fit
    for (auto [caret, popup] : {std::pair{15, Ctl::TimePickerWindow}, {3, Ctl::CalendarWindow}}) {
        clickEntry(kEntry, caret);
        const Rect p = host().windowRect(popup);
        EXPECT_EQ(p.bottom, f.top);
        EXPECT_EQ(p.left, f.left);  // room enough to the right of the field
        EXPECT_GE(p.top, 0);
    }
    host().moveWindow(Ctl::MainWindow, 1024 - 100, 738 - 200);
    clickEntry(kEntry, 15);
    const Rect p = host().windowRect(Ctl::TimePickerWindow);
    EXPECT_EQ(p.right, 1024);
    EXPECT_EQ(p.bottom, host().windowRect(Ctl::编辑框1).top);
}

TEST_F(Pickers, ANewClickClosesTheOpenPopup) {
    clickEntry(kEntry, 3);
    ASSERT_TRUE(open(Ctl::CalendarWindow));
    // The platform deactivates the popup when the main window is clicked.
    host().raise(Ev::Deactivated, Ctl::CalendarWindow);
    clickEntry(kEntry, 15);
    EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
    EXPECT_TRUE(open(Ctl::TimePickerWindow));
    // Even without the deactivation, only one popup is ever open.
    clickEntry(kEntry, 5);
    EXPECT_FALSE(host().exists(Ctl::TimePickerWindow));
    EXPECT_TRUE(open(Ctl::CalendarWindow));
    clickEntry(kEntry, 5);
    EXPECT_TRUE(open(Ctl::CalendarWindow));
    EXPECT_EQ(entry(), kEntry);
}

// A release in the entry opens a popup only after a press in it: the second
// click of a double-click on a file of the file dialog is released there too.
TEST_F(Pickers, OnlyAPressAndReleaseInTheEntryOpensAPopup) {
    host().setText(Ctl::编辑框1, kEntry);
    host().setCaret(Ctl::编辑框1, 3);
    host().raise(Ev::MouseUp, Ctl::编辑框1);  // pressed elsewhere
    EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
    host().raise(Ev::MouseDown, Ctl::编辑框1);
    host().raise(Ev::MouseUp, Ctl::编辑框1);
    EXPECT_TRUE(open(Ctl::CalendarWindow));
    host().raise(Ev::Deactivated, Ctl::CalendarWindow);
    // One press opens one popup: a second release alone does not reopen it.
    host().raise(Ev::MouseUp, Ctl::编辑框1);
    EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
}

// ---- the time grid -------------------------------------------------------------

TEST_F(Pickers, TheFieldsValueIsTheSelectedCellWhenTheGridOpens) {
    struct Case {
        const char* text;
        int caret;
        const char* selected;
    } cases[] = {
        {kEntry, 12, "07"},  {kEntry, 15, "30"},  {kEntry, 19, "15"},
        {"2026-12-08 23:59:59", 11, "23"},
        {"2026-12-08 07:75:15", 15, "59"},  // out of range: the highest value
        {"2026-12-08 07:xx:15", 15, "00"},  // no digits
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text + std::string(" @") + std::to_string(c.caret));
        clickEntry(c.text, c.caret);
        EXPECT_EQ(selected(), c.selected);
    }
    // Typing and the field keys keep the selection on the field's value.
    clickEntry(kEntry, 15);
    type("4");
    EXPECT_EQ(selected(), "04");
    key(Key::Right);
    EXPECT_EQ(selected(), "15");
}

TEST_F(Pickers, UpAndDownMoveTheSelectionAndEnterPicksIt) {
    struct Case {
        int caret;
        std::vector<Key> keys;
        const char* selected;
        const char* picked;
    } cases[] = {
        {15, {Key::Down}, "40", "2026-12-08 07:40:15"},
        {15, {Key::Up, Key::Up, Key::Up, Key::Up}, "00", "2026-12-08 07:00:15"},
        {15, {Key::Down, Key::Down, Key::Down}, "50", "2026-12-08 07:50:15"},  // stops at the last row
        {12, {Key::Down, Key::Down}, "17", "2026-12-08 17:30:15"},  // no 27 o'clock
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.picked);
        clickEntry(kEntry, c.caret);
        for (Key k : c.keys) key(k, Ctl::时间高级表格);
        EXPECT_EQ(selected(), c.selected);
        EXPECT_EQ(entry(), kEntry);  // moving the selection writes nothing
        key(Key::Enter, Ctl::时间高级表格);
        EXPECT_EQ(entry(), c.picked);
        EXPECT_FALSE(host().exists(Ctl::TimePickerWindow));
    }
}

TEST_F(Pickers, ClosingAPopupGivesTheEntryBackTheKeyboard) {
    // Closed by the user's word: the entry has the focus, caret kept.
    clickEntry(kEntry, 15);
    host().raise(Ev::CloseRequest, Ctl::TimePickerWindow);
    EXPECT_EQ(host().focused(), Ctl::编辑框1);
    EXPECT_EQ(caret(), 15);
    host().setFocus(Ctl::超级列表框1);
    clickEntry(kEntry, 3);
    host().clickCalendarDay(Ctl::月历, At(2026, 12, 24, 0, 0, 0));
    host().advance(50);
    EXPECT_EQ(host().focused(), Ctl::编辑框1);
    host().setFocus(Ctl::超级列表框1);
    clickEntry(kEntry, 18);
    key(Key::Enter);
    EXPECT_EQ(host().focused(), Ctl::编辑框1);
    EXPECT_EQ(caret(), 17);
    // Closed by a click elsewhere: the focus stays where that click put it.
    host().setFocus(Ctl::超级列表框1);
    clickEntry(kEntry, 15);
    host().raise(Ev::Deactivated, Ctl::TimePickerWindow);
    EXPECT_EQ(host().focused(), Ctl::超级列表框1);
}

TEST_F(Pickers, GridHoldsTheFieldsValuesRowByRow) {
    clickEntry(kEntry, 12);
    std::vector<std::string> hours(60);
    for (int v = 0; v < 24; ++v) hours[size_t(v)] = (v < 10 ? "0" : "") + std::to_string(v);
    EXPECT_EQ(cells(), hours);  // 20-23 in row 2, nothing after 23
    EXPECT_EQ(host().gridRowCount(Ctl::时间高级表格), 6);
    EXPECT_EQ(host().gridColCount(Ctl::时间高级表格), 10);

    clickEntry(kEntry, 15);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 10; ++c)
            EXPECT_EQ(std::stoi(host().gridCell(Ctl::时间高级表格, r, c)), 10 * r + c);

    // A smaller grid is filled to its last cell and no further.
    host().resizeGrid(Ctl::时间高级表格, 3, 4);
    key(Key::Right);  // refills for the seconds
    EXPECT_EQ(cells(), (std::vector<std::string>{"00", "01", "02", "03", "04", "05", "06", "07",
                                                  "08", "09", "10", "11"}));
}

TEST_F(Pickers, ChoosingACellWritesItsField) {
    struct Case {
        const char* text;
        int caret;
        int row, col;
        const char* expected;
        int caretAfter;
    } cases[] = {
        {kEntry, 15, 4, 5, "2026-12-08 07:45:15", 14},
        {kEntry, 11, 2, 3, "2026-12-08 23:30:15", 11},
        {kEntry, 13, 0, 0, "2026-12-08 00:30:15", 11},
        {kEntry, 19, 5, 9, "2026-12-08 07:30:59", 17},
        {"2026-12-08 07:30:15 备注", 18, 0, 6, "2026-12-08 07:30:06 备注", 17},
        // Empty cells: after 23 on the hour grid, everything with no field.
        {kEntry, 12, 2, 4, kEntry, 12},
        {kEntry, 12, 5, 9, kEntry, 12},
        {"2026-12-08 07:30:15 later", 22, 0, 0, "2026-12-08 07:30:15 later", 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        clickEntry(c.text, c.caret);
        host().chooseCell(Ctl::时间高级表格, c.row, c.col);
        EXPECT_EQ(entry(), c.expected);
        EXPECT_EQ(caret(), c.caretAfter);
        EXPECT_FALSE(host().exists(Ctl::TimePickerWindow));
    }
}

TEST_F(Pickers, TypedDigitsFollowTheThreeCharacterRule) {
    struct Case {
        const char* field;  // the time part before typing
        int caret;
        std::string typed;
        const char* expected;  // the time part after
    } cases[] = {
        {"20:30:15", 11, "5", "05:30:15"},
        {"05:30:15", 12, "3", "03:30:15"},
        {"01:30:15", 13, "2", "12:30:15"},
        {"23:30:15", 11, "7", "07:30:15"},
        {"07:30:15", 11, "1", "01:30:15"},
        {"07:30:15", 11, "19", "19:30:15"},
        {"07:30:15", 11, "23", "23:30:15"},
        {"07:45:15", 14, "9", "07:59:15"},
        {"07:30:59", 17, "6", "07:30:06"},
        {"07:30:59", 19, "60", "07:30:00"},
        {"07:30:15", 16, "42", "07:42:15"},
        // Not digits: the conversion reads the leading digits only.
        {"12:30:15", 11, "a", "12:30:15"},
        {"07:30:15", 14, "-", "07:30:15"},
        {"0a:30:15", 11, "5", "00:30:15"},
        {"xy:30:15", 11, "7", "00:30:15"},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("2026-12-08 ") + c.field;
        SCOPED_TRACE(std::string(c.field) + " + " + c.typed);
        clickEntry(text, c.caret);
        type(c.typed);
        EXPECT_EQ(entry(), std::string("2026-12-08 ") + c.expected);
        const int start = c.caret >= 17 ? 17 : c.caret >= 14 ? 14 : 11;
        EXPECT_EQ(caret(), start);
        EXPECT_TRUE(open(Ctl::TimePickerWindow));
    }
}

TEST_F(Pickers, TypingKeepsTheRestOfTheEntryAndNeverCorruptsIt) {
    // Text past character 19 stays; a character outside ASCII is a non-digit.
    clickEntry("2026-12-08 07:30:15 备注", 15);
    host().raise(Ev::Char, Ctl::TimePickerWindow, 0x4E2D);  // 中
    EXPECT_EQ(entry(), "2026-12-08 07:30:15 备注");
    host().raise(Ev::Char, Ctl::TimePickerWindow, 0xD83D);  // half of a surrogate pair
    type("4");
    EXPECT_EQ(entry(), "2026-12-08 07:04:15 备注");
    // A caret in no field: the text is written back unchanged, the picker stays.
    clickEntry("2026-12-08 07:30:15 later", 21);
    type("5");
    EXPECT_EQ(entry(), "2026-12-08 07:30:15 later");
    EXPECT_TRUE(open(Ctl::TimePickerWindow));
    // An entry shorter than its fields: nothing is read or written past its end.
    clickEntry("2026-12-08 7", 12);
    type("9");
    EXPECT_EQ(entry(), "2026-12-08 09");
}

TEST_F(Pickers, LeftAndRightMoveBetweenFieldsWithoutWrapping) {
    struct Case {
        int caret;
        Key key;
        int caretAfter;
        const char* label;
        int values;
    } cases[] = {
        {15, Key::Left, 11, "小时", 24},  {12, Key::Left, 12, "小时", 24},
        {18, Key::Left, 14, "分钟", 60},  {11, Key::Right, 14, "分钟", 60},
        {16, Key::Right, 17, "秒钟", 60}, {19, Key::Right, 19, "秒钟", 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caret);
        clickEntry(kEntry, c.caret);
        key(c.key, Ctl::时间高级表格);
        EXPECT_EQ(caret(), c.caretAfter);
        EXPECT_EQ(host().text(Ctl::透明标签1), c.label);
        EXPECT_EQ(filled(), c.values);  // no minute values left after 23 on the hour grid
        EXPECT_TRUE(open(Ctl::TimePickerWindow));
        EXPECT_EQ(entry(), kEntry);
    }
    // The next digit goes to the new field.
    clickEntry(kEntry, 12);
    key(Key::Right);
    type("48");
    EXPECT_EQ(entry(), "2026-12-08 07:48:15");
}

TEST_F(Pickers, EarliestAndLatestReplaceTheWholeTime) {
    struct Case {
        const char* text;
        int caret;
        Ctl button;
        const char* expected;
    } cases[] = {
        {kEntry, 15, Ctl::按钮1, "2026-12-08 00:00:00"},
        {kEntry, 12, Ctl::按钮2, "2026-12-08 23:59:59"},
        {"2026-12-08 07:30:15 备注", 22, Ctl::按钮2, "2026-12-08 23:59:59 备注"},
        {"2026-12-08 07:30:15 备注", 18, Ctl::按钮1, "2026-12-08 00:00:00 备注"},
        {"2026-12-08 07", 12, Ctl::按钮2, "2026-12-08 23:59:59"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        clickEntry(c.text, c.caret);
        host().raise(Ev::Click, c.button);
        EXPECT_EQ(entry(), c.expected);
        EXPECT_FALSE(host().exists(Ctl::TimePickerWindow));
    }
}

TEST_F(Pickers, KeysThatCloseThePickerKeepWhatWasTyped) {
    struct Case {
        Key key;
        bool closes;
    } cases[] = {{Key::Backspace, true}, {Key::Enter, true}, {Key::Delete, true},
                 {Key::Escape, true},    {Key::Up, false},   {Key::ContextMenu, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.key));
        clickEntry(kEntry, 15);
        type("42");
        key(c.key);
        EXPECT_EQ(host().exists(Ctl::TimePickerWindow), !c.closes);
        EXPECT_EQ(entry(), "2026-12-08 07:42:15");
    }
    // Esc is the window's close request; a click elsewhere deactivates it.
    for (Ev ev : {Ev::CloseRequest, Ev::Deactivated}) {
        clickEntry(kEntry, 15);
        type("5");
        host().raise(ev, Ctl::TimePickerWindow);
        EXPECT_FALSE(host().exists(Ctl::TimePickerWindow));
        EXPECT_EQ(entry(), "2026-12-08 07:05:15");
    }
}

TEST_F(Pickers, WatchTimersCloseAPopupWhoseFieldIsGone) {
    for (auto [caret, popup] : {std::pair{15, Ctl::TimePickerWindow}, {3, Ctl::CalendarWindow}}) {
        start(At(2026, 12, 8, 7, 0, 0));
        clickEntry(kEntry, caret);
        host().advance(20);
        ASSERT_TRUE(open(popup));  // the watch leaves it alone while the field is there
        host().destroyControl(Ctl::编辑框1);
        host().advance(1);
        EXPECT_FALSE(host().exists(popup));
        // Nothing of the popup runs after it closed.
        int ticks = 0;
        auto route = host().onEvent;
        host().onEvent = [&](const Event& e) {
            if (e.kind == Ev::Tick && WindowOf(e.source) == popup) ++ticks;
            return route(e);
        };
        host().advance(500);
        EXPECT_EQ(ticks, 0);
        host().onEvent = route;
    }
}

// ---- the calendar ----------------------------------------------------------------

TEST_F(Pickers, ClickingADayWritesItsDateAndKeepsTheTime) {
    struct Case {
        const char* text;
        LocalTime day;
        const char* expected;
    } cases[] = {
        {"2026-12-08 07:30:00", At(2026, 12, 24, 0, 0, 0), "2026-12-24 07:30:00"},
        {"2026-12-08 07:30:00", At(2026, 12, 8, 0, 0, 0), "2026-12-08 07:30:00"},  // already selected
        {"2026-1-5 7:3:9", At(2026, 2, 1, 0, 0, 0), "2026-02-01 07:03:09"},  // padded
        {"2026-12-08 07:30:00 备注", At(2027, 1, 2, 0, 0, 0), "2027-01-02 07:30:00"},
        {"坏的时间", At(2026, 12, 9, 0, 0, 0), "2026-12-09 00:00:00"},  // unreadable: midnight
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        clickEntry(c.text, 4);
        host().clickCalendarDay(Ctl::月历, c.day);
        host().advance(49);
        EXPECT_EQ(entry(), c.text);  // the pick waits 50 ms
        host().advance(1);
        EXPECT_EQ(entry(), c.expected);
        EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
    }
}

TEST_F(Pickers, OnlyAPressOnADayWithFewerThanTwoChangesPicks) {
    struct Case {
        const char* what;
        bool press;
        int pressCode;
        int changes;
        bool picks;
    } cases[] = {
        {"press on a day, no change", true, kPressOnDay, 0, true},
        {"press on a day, one change", true, kPressOnDay, 1, true},
        {"press on a day, two changes", true, kPressOnDay, 2, false},
        {"press on the month arrow, one change", true, 0, 1, false},
        {"press on the title, no change", true, 0, 0, false},
        {"changes without a press (keys)", false, 0, 1, false},
        {"two changes without a press", false, 0, 2, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        clickEntry("2026-12-08 07:30:00", 4);
        if (c.press) host().raise(Ev::MouseDown, Ctl::月历, c.pressCode);
        for (int i = 1; i <= c.changes; ++i) {
            host().setMonthCalDate(Ctl::月历, At(2026, 12, 8 + i, 0, 0, 0));
            host().raise(Ev::SelChange, Ctl::月历);
        }
        host().advance(50);
        const std::string picked = "2026-12-" + std::string(c.changes == 2 ? "10" : c.changes ? "09" : "08") +
                                   " 07:30:00";
        EXPECT_EQ(host().exists(Ctl::CalendarWindow), !c.picks);
        EXPECT_EQ(entry(), c.picks ? picked : "2026-12-08 07:30:00");
        if (!c.picks) {
            // The counts were cleared: a plain click on a day picks next.
            EXPECT_FALSE(app().CalendarPressed);
            EXPECT_EQ(app().CalendarChangeCount, 0);
            host().clickCalendarDay(Ctl::月历, At(2026, 12, 20, 0, 0, 0));
            host().advance(50);
            EXPECT_EQ(entry(), "2026-12-20 07:30:00");
            EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
        }
    }
}

TEST_F(Pickers, YearButtonsMoveTheSelectionOnly) {
    clickEntry("2026-12-08 07:30:00", 2);
    host().raise(Ev::Click, Ctl::左年按钮);
    EXPECT_EQ(host().monthCalDate(Ctl::月历), At(2025, 12, 8, 0, 0, 0));
    host().advance(200);
    EXPECT_TRUE(open(Ctl::CalendarWindow));
    EXPECT_EQ(entry(), "2026-12-08 07:30:00");
    host().raise(Ev::Click, Ctl::右年按钮);
    host().raise(Ev::Click, Ctl::右年按钮);
    EXPECT_EQ(host().monthCalDate(Ctl::月历), At(2027, 12, 8, 0, 0, 0));
    host().clickCalendarDay(Ctl::月历, At(2027, 12, 8, 0, 0, 0));
    host().advance(50);
    EXPECT_EQ(entry(), "2027-12-08 07:30:00");
    // 29 February has no twin in a common year.
    clickEntry("2028-02-29 06:00:00", 2);
    host().raise(Ev::Click, Ctl::右年按钮);
    EXPECT_EQ(host().monthCalDate(Ctl::月历), At(2029, 2, 28, 0, 0, 0));
}

TEST_F(Pickers, CalendarClosesWithoutAChangeWhenDeactivated) {
    clickEntry("2026-12-08 07:30:00", 2);
    host().setMonthCalDate(Ctl::月历, At(2026, 12, 15, 0, 0, 0));
    host().raise(Ev::SelChange, Ctl::月历);
    host().raise(Ev::Deactivated, Ctl::CalendarWindow);
    host().advance(100);
    EXPECT_FALSE(host().exists(Ctl::CalendarWindow));
    EXPECT_EQ(entry(), "2026-12-08 07:30:00");
}

TEST_F(Pickers, UnreadableEntryOpensTheCalendarOnToday) {
    start(At(2026, 5, 20, 9, 0, 0));
    clickEntry("2026-13-40 25:00:00", 1);
    EXPECT_EQ(host().monthCalDate(Ctl::月历), At(2026, 5, 20, 0, 0, 0));
}

// ---- with the rest of the program ---------------------------------------------------

TEST_F(Pickers, PickedDateAndMinuteAreWhatIsAdded) {
    clickEntry("2026-12-08 07:30:00", 3);
    host().clickCalendarDay(Ctl::月历, At(2026, 12, 24, 0, 0, 0));
    host().advance(50);
    clickEntry(entry(), 15);
    host().chooseCell(Ctl::时间高级表格, 4, 5);
    clickEntry(entry(), 12);
    type("9");
    key(Key::Enter);
    EXPECT_EQ(entry(), "2026-12-24 09:45:00");
    click(Ctl::添加);
    ASSERT_EQ(rows(), 1);
    EXPECT_EQ(row(0)[0], "2026-12-24 09:45");
}

}  // namespace
}  // namespace ny::testing
