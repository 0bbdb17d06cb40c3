// The one door from the handlers to the platform. Plain types only: every
// text is UTF-8, every duration is milliseconds, every control is a Ctl.
// Two implementations: platform/win32 (the real program) and platform/sim (tests).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "host/datetime.h"
#include "host/design.h"
#include "host/fileops.h"

namespace ny {

// How a row looks beyond its texts: a check box at its start (checked or
// not), and whether it is drawn grey (switched off).
struct RowLook {
    bool checkBox = false;
    bool checked = false;
    bool dimmed = false;
};

// The texts a list view shows, by row and column (0-based). A row or column
// outside what the source holds gives "".
class ListSource {
public:
    virtual ~ListSource() = default;
    virtual std::string cellText(int row, int col) const = 0;
    virtual RowLook rowLook(int row) const { return {}; }
};

// Why a tone cannot be played (Host::toneProblem).
enum class ToneProblem {
    None,        // it can (or it started)
    CannotOpen,  // missing, unreadable, or not a file on a disk
    NotSound,    // opened, but not a sound this program can play
    NotInTime,   // dropped: not started within the time it was given
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

class Host : public FileOps {
public:
    virtual ~Host() = default;

    // --- windows -------------------------------------------------------
    // Loads a window from its design (raising its Created event). The
    // popups are loaded hidden and anew for each use.
    virtual void loadWindow(Ctl window) = 0;
    // Destroying MainWindow ends the message loop and with it the program.
    virtual void destroyWindow(Ctl window) = 0;
    virtual bool exists(Ctl c) = 0;
    virtual WindowState windowState(Ctl window) = 0;
    virtual void setWindowState(Ctl window, WindowState state) = 0;
    // Puts a shown window in front of other programs' windows.
    virtual void bringToFront(Ctl window) = 0;
    // Outer rectangle in screen pixels.
    virtual Rect windowRect(Ctl c) = 0;
    virtual void moveWindow(Ctl window, int left, int top) = 0;

    // --- control properties -------------------------------------------
    virtual std::string text(Ctl c) = 0;  // caption or content
    virtual void setText(Ctl c, std::string_view s) = 0;
    virtual bool enabled(Ctl c) = 0;
    virtual void setEnabled(Ctl c, bool on) = 0;
    virtual bool visible(Ctl c) = 0;
    virtual void setVisible(Ctl c, bool on) = 0;
    virtual int caret(Ctl edit) = 0;  // selection start, in characters
    virtual void setCaret(Ctl edit, int offset) = 0;
    // Gives a control the keyboard focus (its caret and selection kept).
    virtual void setFocus(Ctl c) = 0;

    // --- timers: period in ms, 0 = stopped. Setting a period re-arms the
    // timer: its next tick comes one period from now.
    virtual void setTimer(Ctl timer, int64_t periodMs) = 0;
    virtual int64_t timerPeriod(Ctl timer) = 0;

    // --- list view: a view of rows the handlers keep ------------------------
    // The list keeps no texts of its own: it asks its source for a cell each
    // time it shows one (or another program reads one), so that a list of
    // any length costs only the rows in view.
    virtual void listInsertColumn(Ctl list, std::string_view caption, int width) = 0;
    // From now on the list shows rows 0 .. count - 1 of `source`, any of
    // which may have changed: those in view are asked for again. The source
    // outlives the list (or is replaced before it goes).
    virtual void listShowRows(Ctl list, const ListSource* source, int count) = 0;
    virtual int listRowCount(Ctl list) = 0;
    virtual int listSelectedRow(Ctl list) = 0;  // -1 when none
    // Selects `row` alone (-1: none) and brings it into view.
    virtual void listSelectRow(Ctl list, int row) = 0;
    // A column's width in design pixels (at 96 DPI), as the user left it.
    virtual int listColumnWidth(Ctl list, int col) = 0;

    // --- dialogs and menus ----------------------------------------------
    // Returns the button pressed. No caption given: the box is titled with
    // the program's name. `urgent` puts the box on top of every window and
    // in the foreground (a ringing alarm).
    virtual BoxAnswer messageBox(std::string_view text, BoxKind kind,
                           std::optional<std::string_view> caption = std::nullopt,
                           bool urgent = false) = 0;
    // Shows the open-file dialog with a filter such as
    // "MP3 文件 (*.mp3)|*.mp3|所有文件 (*.*)|*.*" (the first pair chosen),
    // opened in `folder`; with "" in the system's own folder of sounds when
    // there is one. nullopt when the user cancels.
    virtual std::optional<std::string> openFileDialog(std::string_view filter,
                                                      std::string_view folder) = 0;
    // Pops up a menu of MainWindow at the mouse position.
    virtual void popupMenu(Ctl menu) = 0;
    // Pops up a menu of MainWindow at a list row (the list's top-left corner
    // when `row` is not a row): the menu opened from the keyboard.
    virtual void popupMenuAtRow(Ctl menu, Ctl list, int row) = 0;
    // Shows (or replaces) the tray icon with the program icon and `tip`.
    virtual void setTrayIcon(std::string_view tip) = 0;
    virtual void removeTrayIcon() = 0;

    // --- audio: one channel; a new play replaces the current sound -------
    // Asks for `path` to be played and returns at once: opening a file may
    // take long (a slow disk, a device posing as a file). The answer comes
    // later as Ev::SoundStarted or Ev::SoundFailed whose code is the returned
    // request id (never 0). A newer request, a chime or stopAudio cancels an
    // unanswered one: it is never heard and never answered. With giveUpMs > 0
    // a sound not started that long after the request is dropped, never to
    // start late, and answered SoundFailed.
    virtual int requestMp3(std::string_view path, int64_t giveUpMs) = 0;
    // A hint that `path` is about to be played: the file is opened for
    // playback ahead, so that the play itself starts sooner. No sound.
    virtual void prepareMp3(std::string_view path) = 0;
    virtual void stopAudio() = 0;
    // Checks off the window's thread, without a sound, whether `path` can be
    // played: opened, recognised and its start decoded as a play would. The
    // answer comes later as Ev::ToneProbed whose code is the returned id
    // (never 0); toneProblem() then says what was found. A newer probe
    // cancels an unanswered one. Plays and the output stay as they are.
    virtual int probeTone(std::string_view path) = 0;
    // Why the sound or probe being answered (Ev::SoundFailed, Ev::ToneProbed)
    // cannot be played; None for one that can. Valid while that event is
    // handled.
    virtual ToneProblem toneProblem() = 0;

    // --- built-in chime ---------------------------------------------------
    // Plays the short chime that is part of the program itself, on the same
    // channel (it replaces the current sound; stopAudio stops it). It needs
    // no file, so it is the last resort of a sound that must be heard.
    virtual void playChime() = 0;

    // --- clock -----------------------------------------------------------
    virtual LocalTime now() = 0;             // local wall-clock time
    virtual int64_t monotonicMs() = 0;       // never jumps
    // Lets events through for `ms` (timers tick, the window repaints).
    // Returns false when the program is ending and the caller must stop.
    virtual bool wait(int64_t ms) = 0;

    // --- work off the window's thread ---------------------------------
    // Runs `job` on a thread of its own and returns at once, so that a long
    // file write never keeps the window from answering. One at a time: start
    // the next only after finishJob (a job still running is waited for
    // first). The job touches nothing but what it was given, and only reads
    // what the window's thread leaves alone until the job has ended. When it
    // has, Ev::JobDone (code: the returned id, never 0) is raised on the
    // window's thread, unless finishJob took it first.
    virtual int startJob(std::function<void()> job) = 0;
    // Waits until job `id` has ended (at once when it has, or is unknown);
    // its Ev::JobDone is then never raised.
    virtual void finishJob(int id) = 0;

    // --- files -----------------------------------------------------------
    virtual std::string programDir() = 0;  // no trailing separator
    // The folder of ny.edb and ny.yz. Start-up chooses it once, before the
    // store is touched (mainwindow/startup.cpp); until then the program's own.
    std::string dataDir() { return dataDir_.empty() ? programDir() : dataDir_; }
    void setDataDir(std::string dir) { dataDir_ = std::move(dir); }
    // The per-user folder for the data when the program's own folder cannot
    // be written (%LOCALAPPDATA%\Ny闹钟); "" when the system names none.
    virtual std::string perUserDataDir() = 0;
    // Creates the folder (and the missing ones above it); ok when it exists.
    virtual IoResult makeFolder(const std::string& path) = 0;
    // Plain write (create or truncate).
    virtual IoResult writeFile(const std::string& path, std::string_view bytes) = 0;
    virtual void setHiddenArchive(const std::string& path) = 0;
    // Opens an existing file with sharing denied and holds it open for the
    // life of the process. Failure Sharing: another process holds it.
    virtual IoResult holdExclusive(const std::string& path) = 0;
    // The primitive file operations come from FileOps (host/fileops.h).

    // Ends the process at once with `code` (the second instance gives way).
    virtual void exitProcess(int code) = 0;

    // --- beyond the basics: start with Windows, the wake timer -----------
    // The running program's own full path (the .exe).
    virtual std::string programPath() = 0;
    // True when the program was started with the tray switch (kTraySwitch).
    virtual bool startedInTray() = 0;
    // The per-user start-with-Windows value `name`: its data, or nullopt
    // when there is none (or it cannot be read).
    virtual std::optional<std::string> startupValue(std::string_view name) = 0;
    virtual IoResult setStartupValue(std::string_view name, std::string_view command) = 0;
    virtual IoResult deleteStartupValue(std::string_view name) = 0;
    // A check mark on a menu item.
    virtual void setMenuChecked(Ctl item, bool on) = 0;
    // One timer that wakes the computer from sleep at the local time `at`;
    // nullopt cancels it. Arming again replaces the previous time.
    virtual void armWakeTimer(std::optional<LocalTime> at) = 0;

    // --- beyond the basics: snooze, ringing until stopped -----------------
    // The ringing alarm's box: `text`, OK (the default) and a second
    // button captioned `second` (Snooze); modal, on top and in front, like
    // an urgent messageBox. Closing it otherwise counts as OK. Titled
    // `title`, or with the program's name when none is given.
    virtual RingAnswer ringBox(std::string_view text, std::string_view second,
                               std::string_view title = {}) = 0;
    // While on, a sound that reaches its end starts again at once, with no
    // gap, until stopAudio or a new play; turned off, the sound playing ends
    // after its current pass. Holds for the sound playing and later plays.
    virtual void setLooping(bool on) = 0;
    // A DWORD under the program's own per-user settings key; nullopt when
    // absent or unreadable.
    virtual std::optional<uint32_t> settingValue(std::string_view name) = 0;
    virtual IoResult setSettingValue(std::string_view name, uint32_t value) = 0;

    // --- beyond the basics: any weekdays ----------------------------------
    // The small dialog with a check box for each weekday (bit 0 Monday ...
    // bit 6 Sunday), `checked` ticked at first; 确定 gives the days ticked,
    // 取消 (or closing it) nullopt.
    virtual std::optional<uint8_t> weekdayDialog(uint8_t checked) = 0;

    // --- beyond the basics: the second start, the hint about the tray -----
    // Asks the copy of the program already running to show its window,
    // restored and in front (as its tray menu's 打开 does); a message box
    // that follows comes in front of that window.
    virtual void showRunningCopy() = 0;
    // A balloon from the tray icon saying `text`, titled with the program's
    // name. Nothing while the icon is not shown.
    virtual void showTrayBalloon(std::string_view text) = 0;

    // --- the date and time pickers ---------------------------------------
    // Grid of text cells, 0-based rows and columns; "" outside or empty.
    virtual int gridRowCount(Ctl grid) = 0;
    virtual int gridColCount(Ctl grid) = 0;
    virtual void gridClear(Ctl grid) = 0;
    virtual void gridSetCell(Ctl grid, int row, int col, std::string_view s) = 0;
    virtual std::string gridCell(Ctl grid, int row, int col) = 0;
    // The current cell: the one last clicked (the one a CellChosen event is
    // about) or selected. It is drawn selected.
    virtual int gridCurrentRow(Ctl grid) = 0;
    virtual int gridCurrentCol(Ctl grid) = 0;
    // Makes a cell the current one; raises nothing.
    virtual void gridSelect(Ctl grid, int row, int col) = 0;
    // A month calendar's selected day (the time of day is 0). Setting it
    // raises no SelChange.
    virtual LocalTime monthCalDate(Ctl cal) = 0;
    virtual void setMonthCalDate(Ctl cal, const LocalTime& day) = 0;
    // The work area (screen minus taskbars) of the monitor a control is on,
    // in screen pixels.
    virtual Rect workArea(Ctl c) = 0;

private:
    std::string dataDir_;
};

}  // namespace ny
