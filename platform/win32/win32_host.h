// The real program's platform layer: builds the windows from their designs,
// turns window messages into ny::Event and carries out the Host operations
// with the Win32 API. Text crosses into UTF-16 only through wstr.h.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <mmsystem.h>

#include <array>
#include <optional>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/host.h"
#include "platform/win32/jobs.h"
#include "platform/win32/sound.h"

namespace ny {

// Tray icon notifications arrive as this message on MainWindow.
constexpr UINT WMAPP_NOTIFYCALLBACK = WM_APP + 1;
// The one tray icon of the program.
constexpr UINT kTrayIconId = 1;
// Posted by loadWindow once a window is on screen: raises Ev::Loaded.
constexpr UINT WMAPP_LOADED = WM_APP + 2;

// The time picker's grid: its window class, and what it keeps (grid.cpp).
constexpr wchar_t kGridClass[] = L"NyGrid";
struct GridData;

// The three windows; every other Ctl is a control, a timer or a menu.
inline bool IsWindowCtl(Ctl c) {
    return c == Ctl::MainWindow || c == Ctl::CalendarWindow || c == Ctl::TimePickerWindow;
}

// The handlers' name for a key, Key::None for keys they do not answer.
Key KeyOf(WPARAM vk);
// The design item a system menu command stands for, or None; and the
// command that stands for an item (menus.cpp).
Ctl SystemMenuCtl(WPARAM command);
UINT SystemMenuId(Ctl c);

// True when all `bytes` from `p` are this process's committed memory that
// can be read (and written, with `writable`): a pointer that came from
// another program is followed only then.
bool InOwnMemory(const void* p, size_t bytes, bool writable);

// The system's own words for an error code.
std::string SystemReason(DWORD error);


class Win32Host final : public Host {
public:
    explicit Win32Host(HINSTANCE instance);
    ~Win32Host() override;
    Win32Host(const Win32Host&) = delete;
    Win32Host& operator=(const Win32Host&) = delete;

    // Where events go (normally Dispatch over an App). Its result answers a
    // close request: 1 lets the window close.
    std::function<Reply(const Event&)> onEvent;

    // Runs the message loop until MainWindow has been destroyed.
    void run();
    // The user's high-contrast theme was on at the last look: every colour
    // is then the theme's.
    bool highContrast() const { return highContrast_; }

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
    int listColumnWidth(Ctl list, int col) override;
    std::optional<uint8_t> weekdayDialog(uint8_t checked) override;
    void listShowRows(Ctl list, const ListSource* source, int count) override;
    int listRowCount(Ctl list) override;
    int listSelectedRow(Ctl list) override;
    void listSelectRow(Ctl list, int row) override;
    BoxAnswer messageBox(std::string_view text, BoxKind kind,
                         std::optional<std::string_view> caption, bool urgent) override;
    std::optional<std::string> openFileDialog(std::string_view filter,
                                              std::string_view folder) override;
    void popupMenu(Ctl menu) override;
    void popupMenuAtRow(Ctl menu, Ctl list, int row) override;
    void setTrayIcon(std::string_view tip) override;
    void removeTrayIcon() override;
    int requestMp3(std::string_view path, int64_t giveUpMs) override { return sound_.requestMp3(path, giveUpMs); }
    void prepareMp3(std::string_view path) override { sound_.prepareMp3(path); }
    void stopAudio() override { sound_.stopAudio(); }
    int probeTone(std::string_view path) override { return sound_.probeTone(path); }
    ToneProblem toneProblem() override { return sound_.toneProblem(); }
    void playChime() override { sound_.playChime(); }
    LocalTime now() override;
    int64_t monotonicMs() override;
    bool wait(int64_t ms) override;
    std::string programDir() override;
    std::string perUserDataDir() override;
    IoResult makeFolder(const std::string& path) override;
    std::optional<std::string> readFile(const std::string& path, std::string* reason) override;
    IoResult writeFile(const std::string& path, std::string_view bytes) override;
    void setHiddenArchive(const std::string& path) override;
    IoResult holdExclusive(const std::string& path) override;
    IoResult probeFile(const std::string& path) override;
    IoResult fileStamp(const std::string& path, FileStamp* stamp) override;
    IoResult createFile(const std::string& path, int64_t* handle) override;
    IoResult writeHandle(int64_t handle, std::string_view bytes) override;
    IoResult flushHandle(int64_t handle) override;
    IoResult closeHandle(int64_t handle) override;
    IoResult renameFile(const std::string& from, const std::string& to,
                        bool replaceExisting) override;
    IoResult removeFile(const std::string& path) override;
    void pauseBeforeRetry(int64_t ms) override;
    void exitProcess(int code) override;
    int startJob(std::function<void()> job) override;
    void finishJob(int id) override;
    // beyond the basics (system.cpp)
    std::string programPath() override;
    bool startedInTray() override;
    std::optional<std::string> startupValue(std::string_view name) override;
    IoResult setStartupValue(std::string_view name, std::string_view command) override;
    IoResult deleteStartupValue(std::string_view name) override;
    void armWakeTimer(std::optional<LocalTime> at) override;
    // a menu item's check mark, also in the system menu (menus.cpp)
    void setMenuChecked(Ctl item, bool on) override;
    // the ringing alarm's box with its snooze button (ringbox.cpp)
    RingAnswer ringBox(std::string_view text, std::string_view second,
                       std::string_view title = {}) override;
    // the second start, the tray hint (shell.cpp)
    void showRunningCopy() override;
    void showTrayBalloon(std::string_view text) override;
    // a sound that starts again at its end (sound.h)
    void setLooping(bool on) override { sound_.setLooping(on); }
    // the program's own settings (settings.cpp)
    std::optional<uint32_t> settingValue(std::string_view name) override;
    IoResult setSettingValue(std::string_view name, uint32_t value) override;
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

private:
    // What the host knows of each window, control, timer and menu.
    struct Slot {
        HWND hwnd = nullptr;    // window or control
        HMENU menu = nullptr;   // menus
        bool ownVisible = true; // a control's own visibility; its tab page may still hide it
        int64_t period = 0;     // timers
        // windows only
        bool ready = false;     // Created raised: events may flow
        bool dying = false;     // DestroyWindow under way
        int dpi = 96;           // the DPI its controls are laid out for
        // list views only: what they show (listview.cpp)
        const ListSource* rows = nullptr;
        int rowCount = 0;
    };
    Slot& slot(Ctl c) { return slots_[static_cast<size_t>(c)]; }
    HWND hwndOf(Ctl c) { return c > Ctl::None && c < Ctl::Count_ ? slot(c).hwnd : nullptr; }
    Ctl windowCtl(HWND hwnd) const;

    // ---- events (win32_host.cpp) ------------------------------------------
    Reply raise(Ev kind, Ctl source, int code = 0);
    // KeyDown for a key the handlers answer; other keys raise nothing.
    void raiseKey(Ctl source, WPARAM vk);
    void deliver(MSG& msg);
    // The main window's keyboard navigation (keys.cpp): Tab and Shift+Tab
    // through the page's controls, Ctrl+Tab between the pages, Enter on the
    // focused button. True when the message was used.
    bool navigate(MSG& msg);
    bool escapeCloses(HWND target);
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK EditProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK GridProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ListKeysProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    static LRESULT CALLBACK TabLeavesProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    LRESULT route(Ctl window, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    // One per group of messages; nothing: leave it to the system.
    std::optional<LRESULT> onCommand(WPARAM wp);
    std::optional<LRESULT> onNotify(LPARAM lp);
    std::optional<LRESULT> onTimer(WPARAM wp);
    std::optional<LRESULT> onWindowLife(Ctl window, UINT msg, WPARAM wp);
    std::optional<LRESULT> onKey(Ctl window, UINT msg, WPARAM wp);
    std::optional<LRESULT> onClockNotice(Ctl window, UINT msg, WPARAM wp);
    std::optional<LRESULT> onTrayIcon(Ctl window, LPARAM lp);
    std::optional<LRESULT> onSizing(Ctl window, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    std::optional<LRESULT> onColour(Ctl window, UINT msg, WPARAM wp, LPARAM lp);
    // The theme's colours changed or high contrast went on or off: new
    // grounds and arrow pictures, and every window drawn again.
    std::optional<LRESULT> onTheme(Ctl window, HWND hwnd, UINT msg, WPARAM wp);
    void followTheme();
    static LRESULT CALLBACK NeutralisePosted(int code, WPARAM wp, LPARAM lp);
    HHOOK postedHook_ = nullptr;

    // ---- windows and controls (controls.cpp) -----------------------------
    void registerClasses();
    void createControl(Ctl window, const ControlDesign& d);
    void setUpControl(HWND h, const ControlDesign& d, int dpi);
    void setControlFont(HWND h, const ControlDesign& d, int dpi, bool redraw);
    void showPage(int page);
    // The main window's pages beyond the first are made when first shown or
    // first asked for by a handler: a start that stays on the alarm page
    // never pays for the countdown's controls.
    static bool MadeWithPage(const ControlDesign& d) { return d.window == Ctl::MainWindow && d.page > 0; }
    void makePage(int page);
    // Tab order and containers: the stacking of a window's controls.
    void stackControls(Ctl window);
    // Shows or hides a control as its own visibility and its page say (properties.cpp).
    void applyVisibility(Ctl c);
    void forgetWindow(Ctl window);
    HFONT fontFor(const ControlDesign& d, int dpi);
    HFONT uiFontFor(int dpi);
    HBITMAP arrowBitmap(bool pointsLeft, int dpi);
    // The window moved to a monitor of another DPI: every control again at
    // its design rectangle and font for the new DPI.
    void relayout(Ctl window, int dpi);
    LRESULT controlColour(Ctl window, HDC dc, HWND control, bool button);
    // ---- the month calendar (calendar.cpp) --------------------------------
    // Raises the press on it, saying whether it hit a day.
    static LRESULT CALLBACK MonthCalProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
    // The month calendar at the size it asks for, the popup around it, and
    // the year buttons beside its month arrows.
    void fitCalendar();
    // ---- the path control's tip (pathtip.cpp) ------------------------------
    // The tip that shows a path control's whole text.
    void addPathTip(const ControlDesign& d);
    void placePathTip(const ControlDesign& d);
    void setPathTip(Ctl c, const std::wstring& text);
    // ---- the list view (listview.cpp) -------------------------------------
    void setUpList(HWND h);
    void rescaleList(HWND h, int oldDpi, int dpi);
    void fillListCell(Ctl list, NMLVDISPINFOW& info);
    // The tone column's path compacted to `room` pixels in the list's font.
    // Rows mostly name the same tone, and compacting costs Wine a device
    // context and a dozen text measures per cell, so the last few are kept
    // (the fonts are never deleted while the program runs).
    std::wstring fittedTone(HWND list, const std::wstring& path, int room);
    struct FittedTone {
        HFONT font;
        int room;
        std::wstring path, shown;
    };
    std::vector<FittedTone> fittedTones_;
    // The list's other notifications (check boxes, grey rows); nullopt for
    // those it leaves alone.
    std::optional<LRESULT> onListNotify(Ctl list, const NMHDR& h, LPARAM lp);
    bool columnResizing_ = false;
    // ---- the time grid (grid.cpp) -------------------------------------------
    void registerGridClass();
    void rescaleGrid(HWND h, int dpi);
    GridData* gridData(Ctl grid);

    // ---- menus (menus.cpp) ------------------------------------------------
    void createMenus();
    // Puts a designed entry in its place among those of its menu shown now.
    void insertMenuEntry(const ControlDesign& d);
    void showMenuItem(const ControlDesign& d, bool on);
    void addSystemMenuItems();
    void trackMenu(Ctl menu, POINT at);

    // ---- boxes (shell.cpp) -------------------------------------------------
    // MessageBoxW's own answer (IDOK, IDCANCEL, ...).
    int messageBoxRaw(std::string_view text, int style, std::optional<std::string_view> caption,
                      bool urgent);

    // ---- tray and sound (shell.cpp, sound.cpp) ----------------------------
    bool addTrayIcon(DWORD message);
    void onMciNotify(WPARAM flags, LPARAM device) { sound_.onMciNotify(flags, device); }

    HINSTANCE instance_;
    std::array<Slot, static_cast<size_t>(Ctl::Count_)> slots_{};
    int page_ = 0;  // the tab page in front
    std::array<bool, kTabPages> pageMade_{};  // the main window's pages whose controls exist
    HWND pathTip_ = nullptr;  // tooltip window of the main window's path control
    // Where the tip's tools are: the control's parent, and the tab control
    // beneath it (a disabled control's mouse goes to what lies under it).
    std::vector<HWND> pathTipOn_;

    struct CachedFont {
        int px;
        bool bold;
        std::string face;
        HFONT font;
    };
    std::vector<CachedFont> fonts_;
    HFONT uiFont_ = nullptr;   // the system's message font, for undecorated controls
    std::wstring uiFace_;      // its face, for designed fonts that name none
    HBRUSH backgrounds_[3] = {};  // per window, index = window - MainWindow
    bool highContrast_ = false;
    struct ScaledFont {
        int dpi;
        HFONT font;
    };
    std::vector<ScaledFont> uiFonts_;  // the message font at other DPIs
    struct ScaledArrow {
        int size;
        bool left;
        HBITMAP bitmap;
    };
    std::vector<ScaledArrow> arrows_;
    HICON iconBig_ = nullptr;
    HICON iconSmall_ = nullptr;

    bool trayShown_ = false;
    std::wstring trayTip_;
    UINT taskbarCreated_ = 0;
    UINT quitMessage_ = 0;  // kQuitMessageName: ends the program as 关闭 does
    UINT showMessage_ = 0;  // kShowMessageName: shows the window as 打开 does
    // A running copy was asked to show its window: this copy's message box
    // (it has no window of its own on screen) comes in front of it.
    bool runningCopyShown_ = false;

    // The sound requests (sound.cpp), answered as events of the main window.
    void warmUpAudio() { sound_.warmUpAudio(); }
    Sound sound_{instance_, [this](Ev kind, int code) { raise(kind, Ctl::MainWindow, code); },
                 [this] { return hwndOf(Ctl::MainWindow); }};

    std::vector<HANDLE> held_;

    // The write of the store off the window's thread (jobs.cpp).
    Jobs jobs_;

    // The timer that wakes the computer for the next alarm (system.cpp).
    HANDLE wakeTimer_ = nullptr;
};

}  // namespace ny
