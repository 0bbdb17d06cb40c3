// An in-memory host for tests: controls are property holders, time is
// virtual and advances only when a test (or a scripted message box, or a
// wait) lets it; timers fire in time order as it passes. Message boxes and
// file dialogs are answered from scripts; audio calls are recorded; files
// are real, in the directory the test gives, with the faults it asks for
// (SimFiles, which the host's file calls go to).
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "host/host.h"
#include "platform/sim/sim_files.h"

namespace ny {

// Thrown by exitProcess so a test can see the exit code.
struct SimExit {
    int code;
};

class SimHost final : public Host {
public:
    SimHost(std::string dir, LocalTime start);
    ~SimHost() override;

    // The event sink (normally Dispatch over an App).
    std::function<Reply(const Event&)> onEvent;

    // ---- driving the simulation ---------------------------------------
    // Lets virtual time pass, firing due timers in order (re-entrant: a
    // handler may open a message box whose script lets more time pass).
    void advance(int64_t ms);
    // Advances to the given wall-clock time (must not be in the past).
    void advanceTo(const LocalTime& t);
    // Sets the wall clock without letting time pass (a clock change); the
    // test raises Ev::ClockChanged itself if the platform would.
    void setWallClock(const LocalTime& t);
    // The computer sleeps: both clocks move on, no timer fires meanwhile;
    // after waking, timers that fell due fire once (as WM_TIMER does).
    void sleep(int64_t ms);
    // Raises an event as the platform would.
    Reply raise(Ev kind, Ctl source, int code = 0);

    // ---- scripts and records -------------------------------------------
    // The user's press on the next box: its buttons counted from 0 in the
    // order the box shows them.
    struct BoxPress {
        int button = 0;
        int64_t elapseMs = 0;             // virtual time that passes while it is open
        std::function<void()> whileOpen;  // runs while the box is open
    };
    std::deque<BoxPress> boxAnswers;  // empty: OK at once
    struct Box {
        std::string text;
        BoxKind kind;
        std::optional<std::string> caption;
        bool urgent;
        LocalTime at;
        std::string second;  // a ring box's second button ("" for a message box)
    };
    std::vector<Box> boxes;

    std::deque<std::optional<std::string>> fileAnswers;  // empty: cancelled
    std::vector<std::string> fileFilters;
    std::vector<std::string> fileFolders;  // the folder each dialog opened in

    struct AudioCall {
        LocalTime at;
        std::string op;  // "play", "chime" or "stop"
        std::string path;
        bool ok;
    };
    std::vector<AudioCall> audio;
    std::vector<AudioCall> prepared;  // prepareMp3 hints, op "prepare"
    // Sounds as they start: op "start" (a requested file) or "chime".
    std::vector<AudioCall> heard;
    // How long opening a file takes, in virtual ms, before the request is
    // answered (0 when not listed).
    std::map<std::string, int64_t> openMs;
    std::vector<Ctl> popups;  // menus popped up
    std::vector<int> popupRows;  // the rows of the menus popped up at a list row
    int frontCount = 0;       // bringToFront calls on MainWindow
    std::optional<std::string> trayTip;  // the tray icon's tip while shown

    // The files, their faults and what was done to them.
    SimFiles files;
    // The per-user data folder the system names ("" = none).
    std::string userDir;

    // The list view's selection (a user click).
    void selectRow(Ctl list, int row);
    // A cell as the list shows it ("" outside): the texts it was last told
    // to show (up to kSnapshotRows rows; a longer list is read through its
    // source, as the real one reads only the rows in view).
    std::string listCell(Ctl list, int row, int col);
    static constexpr int kSnapshotRows = 2000;
    // How often the list was told to show its rows again.
    int listShowCount(Ctl list) const;
    // The user drags a column to a width (design pixels) and lets go.
    void resizeColumn(Ctl list, int col, int width);
    std::vector<int> listColumnWidths(Ctl list) const;
    // The weekday dialog: the days it was opened with, and the answers
    // (nullopt: 取消; none left: 取消).
    std::vector<uint8_t> weekdaysAsked;
    std::deque<std::optional<uint8_t>> weekdayAnswers;
    std::vector<std::string> listColumns(Ctl list) const;
    std::vector<std::string> comboItems(Ctl combo) const;

    // ---- the date and time pickers --------------------------------------
    // The work area of the (one) monitor.
    Rect screenWork{0, 0, 1024, 768};
    // The control disappears (an entry field destroyed under an open popup).
    void destroyControl(Ctl c);
    // A grid of another size than its design's (24-pixel cells).
    void resizeGrid(Ctl grid, int rows, int cols);
    // The control with the keyboard focus (None when it is gone).
    Ctl focused() const;
    // A left click on a grid cell: it becomes current, then CellChosen.
    void chooseCell(Ctl grid, int row, int col);
    // A left click on a day of a month calendar as the platform reports it:
    // the press, then one SelChange when the day was not selected already.
    void clickCalendarDay(Ctl cal, const LocalTime& day);

    bool ended() const { return ended_; }

    // ---- work off the window's thread -------------------------------------
    // A job runs when it is started and its end is raised as soon as the
    // handler that started it has returned (or time passes inside it, as a
    // box's loop would deliver it). With `holdJobs` the jobs wait instead, as
    // on a slow disk, until runJobs: the window goes on meanwhile.
    bool holdJobs = false;
    void runJobs();
    // Jobs started and not yet ended (held).
    size_t jobsHeld() const { return held_.size(); }

    // ---- Host ------------------------------------------------------------
    void loadWindow(Ctl window) override;
    void destroyWindow(Ctl window) override;
    bool exists(Ctl c) override;
    WindowState windowState(Ctl window) override;
    void setWindowState(Ctl window, WindowState state) override;
    void bringToFront(Ctl window) override;
    Rect windowRect(Ctl c) override;
    void moveWindow(Ctl window, int left, int top) override;
    std::string text(Ctl c) override;
    void setText(Ctl c, std::string_view s) override;
    bool enabled(Ctl c) override;
    void setEnabled(Ctl c, bool on) override;
    bool visible(Ctl c) override;
    void setVisible(Ctl c, bool on) override;
    int caret(Ctl edit) override;
    void setCaret(Ctl edit, int offset) override;
    void setFocus(Ctl c) override;
    void setTimer(Ctl timer, int64_t periodMs) override;
    int64_t timerPeriod(Ctl timer) override;
    void listInsertColumn(Ctl list, std::string_view caption, int width) override;
    void listShowRows(Ctl list, const ListSource* source, int count) override;
    int listRowCount(Ctl list) override;
    int listSelectedRow(Ctl list) override;
    void listSelectRow(Ctl list, int row) override;
    int listColumnWidth(Ctl list, int col) override;
    std::optional<uint8_t> weekdayDialog(uint8_t checked) override;
    BoxAnswer messageBox(std::string_view text, BoxKind kind, std::optional<std::string_view> caption,
                   bool urgent) override;
    std::optional<std::string> openFileDialog(std::string_view filter,
                                              std::string_view folder) override;
    void popupMenu(Ctl menu) override;
    void popupMenuAtRow(Ctl menu, Ctl list, int row) override;
    void setTrayIcon(std::string_view tip) override;
    void removeTrayIcon() override;
    int requestMp3(std::string_view path, int64_t giveUpMs) override;
    void prepareMp3(std::string_view path) override;
    void stopAudio() override;
    void playChime() override;
    int probeTone(std::string_view path) override;
    ToneProblem toneProblem() override { return problem_; }
    // The paths probed, in order.
    std::vector<std::string> probes;
    LocalTime now() override;
    int64_t monotonicMs() override { return mono_; }
    bool wait(int64_t ms) override;
    std::string programDir() override { return dir_; }
    std::string perUserDataDir() override { return userDir; }
    IoResult makeFolder(const std::string& path) override { return files.makeFolder(path); }
    std::optional<std::string> readFile(const std::string& path, std::string* reason) override {
        return files.readFile(path, reason);
    }
    IoResult writeFile(const std::string& path, std::string_view bytes) override {
        return files.writeFile(path, bytes);
    }
    void setHiddenArchive(const std::string& path) override { files.setHiddenArchive(path); }
    IoResult holdExclusive(const std::string& path) override { return files.holdExclusive(path); }
    IoResult probeFile(const std::string& path) override { return files.probeFile(path); }
    IoResult fileStamp(const std::string& path, FileStamp* stamp) override {
        return files.fileStamp(path, stamp);
    }
    IoResult createFile(const std::string& path, int64_t* handle) override {
        return files.createFile(path, handle);
    }
    IoResult writeHandle(int64_t handle, std::string_view bytes) override {
        return files.writeHandle(handle, bytes);
    }
    IoResult flushHandle(int64_t handle) override { return files.flushHandle(handle); }
    IoResult closeHandle(int64_t handle) override { return files.closeHandle(handle); }
    IoResult renameFile(const std::string& from, const std::string& to,
                        bool replaceExisting) override {
        return files.renameFile(from, to, replaceExisting);
    }
    IoResult removeFile(const std::string& path) override { return files.removeFile(path); }
    void pauseBeforeRetry(int64_t ms) override;
    void exitProcess(int code) override;
    int startJob(std::function<void()> job) override;
    void finishJob(int id) override;
    int gridRowCount(Ctl grid) override;
    int gridColCount(Ctl grid) override;
    void gridClear(Ctl grid) override;
    void gridSetCell(Ctl grid, int row, int col, std::string_view s) override;
    std::string gridCell(Ctl grid, int row, int col) override;
    int gridCurrentRow(Ctl grid) override;
    int gridCurrentCol(Ctl grid) override;
    void gridSelect(Ctl grid, int row, int col) override;
    LocalTime monthCalDate(Ctl cal) override;
    void setMonthCalDate(Ctl cal, const LocalTime& day) override;
    Rect workArea(Ctl c) override;

    // ---- beyond the basics: start with Windows, the wake timer ------------
    std::string programPath() override { return exePath; }
    bool startedInTray() override { return inTray; }
    std::optional<std::string> startupValue(std::string_view name) override;
    IoResult setStartupValue(std::string_view name, std::string_view command) override;
    IoResult deleteStartupValue(std::string_view name) override;
    void setMenuChecked(Ctl item, bool on) override;
    void armWakeTimer(std::optional<LocalTime> at) override;
    RingAnswer ringBox(std::string_view text, std::string_view second, std::string_view title = {}) override;
    void showRunningCopy() override { ++runningCopyShown; }
    void showTrayBalloon(std::string_view text) override;
    void setLooping(bool on) override;
    std::optional<uint32_t> settingValue(std::string_view name) override;
    IoResult setSettingValue(std::string_view name, uint32_t value) override;

    // Ringing until stopped: whether sounds repeat now, and each change of it.
    bool looping = false;
    struct LoopCall {
        LocalTime at;
        bool on;
    };
    std::vector<LoopCall> loopCalls;
    std::map<std::string, uint32_t> settings;      // the program's settings key
    std::optional<std::string> failSettingWrites;  // its writes fail with this reason

    std::string exePath;   // dir + "\\Ny闹钟.exe" unless a test says otherwise
    bool inTray = false;   // started with the tray switch
    std::map<std::string, std::string> startupValues;  // the per-user Run key
    std::optional<std::string> failStartupWrites;      // its writes fail with this reason
    std::map<Ctl, bool> menuChecks;
    int runningCopyShown = 0;            // showRunningCopy calls
    std::vector<std::string> balloons;   // tray balloons shown (with the icon there)
    std::optional<LocalTime> wakeAt;                   // the armed time, if any
    int wakeArmCalls = 0;

private:
    struct State {
        bool exists = false;
        std::string text;
        bool enabled = true;
        bool visible = true;
        WindowState windowState = WindowState::Normal;
        int64_t period = 0;
        int64_t due = 0;
        int caret = 0;
        int x = 0, y = 0;
        std::vector<std::string> columns;
        std::vector<int> widths;
        const ListSource* source = nullptr;
        int rowCount = 0;
        int shows = 0;
        std::vector<std::vector<std::string>> rows;  // as last shown
        int selected = -1;
        std::vector<std::string> items;
        // grid: rows x cols cells, row-major, and the current cell
        int gridRows = 0, gridCols = 0, curRow = 0, curCol = 0;
        std::vector<std::string> cells;
        LocalTime day;  // month calendar
    };
    State& st(Ctl c) { return states_[static_cast<int>(c)]; }
    const State* find(Ctl c) const;
    bool fireNextDue(int64_t limit);
    // Answers the unanswered play request if it is due by `limit`.
    bool answerDue(int64_t limit);

    struct SoundRequest {
        int id;
        int64_t due;
        bool starts;
        std::string path;
        ToneProblem problem;  // why it fails
    };
    std::optional<SoundRequest> request_;
    // The unanswered probe: its id, when it is due and what it found.
    struct Probe {
        int id;
        int64_t due;
        ToneProblem problem;
    };
    std::optional<Probe> probe_;
    int nextProbe_ = 1;
    ToneProblem problem_ = ToneProblem::None;  // told with the answer being raised
    bool answerProbeDue(int64_t limit);
    // What playing `path` would find: a file that starts like an MP3 (ID3
    // tag or frame sync) or RIFF/WAVE plays.
    ToneProblem classify(std::string_view path);
    int nextRequest_ = 1;
    // The next scripted answer to a box (OK at once when none is left).
    int answerBox();

    struct Job {
        int id;
        std::function<void()> run;
    };
    std::vector<Job> held_;
    std::vector<int> jobsEnded_;  // their JobDone still to be raised
    int nextJob_ = 1;
    int raiseDepth_ = 0;
    void raiseJobsEnded();

    std::string dir_;
    int64_t mono_ = 0;
    int64_t wallOffset_ = 0;  // wall ms = mono_ + wallOffset_
    bool ended_ = false;
    std::map<int, State> states_;
    Ctl focus_ = Ctl::None;
};

}  // namespace ny
