// The vocabulary shared by the handlers and both hosts: which windows and
// controls exist, what events they raise, and the plain-data design that a
// host builds a window from. No platform types here.
#pragma once

#include <cstdint>
#include <string_view>

namespace ny {

// Every window, control, timer and menu item of the program. The names are the
// design names. The calendar window has its own timer also called 时钟1 in the
// design; it is 日历时钟1 here so that one enum can name everything.
enum class Ctl : int {
    None = 0,
    // windows
    MainWindow,
    CalendarWindow,
    TimePickerWindow,
    // MainWindow, outside the tab control
    选择夹1,
    现行时间,
    停止,
    版权,
    // page "指定时间"
    闹钟设置,
    编辑框1,
    铃声,
    铃声路径,
    铃声选择,
    试听,
    默认铃声,
    添加,
    分组框1,
    闹钟提示信息输入,
    超级列表框1,
    清空列表,
    已设置闹钟时间,
    短位时间,
    时钟1,
    时钟2,
    通用对话框1,
    // page "倒计时"
    标签_时,
    标签_分,
    标签_秒,
    组合框_时,
    组合框_分,
    组合框_秒,
    标签_到计时,
    分组框2,
    编辑框_倒计时闹钟提示信息,
    按钮_倒计时开始,
    时钟_倒计时,
    // CalendarWindow
    月历,
    左年按钮,
    右年按钮,
    左键时钟,
    日历时钟1,
    // TimePickerWindow
    时间高级表格,
    按钮1,
    透明标签1,
    按钮2,
    时间窗口时钟,
    // menus and their items
    托盘菜单,
    打开,
    开机启动,
    关闭,
    指定时间列表框右键菜单,
    删除,
    // beyond the basics: editing and repeating alarms (list menu), ringing
    // until stopped (tray and system menus), and the timer that ends such a
    // ring after its limit
    修改,
    取消修改,
    重复,
    重复_不重复,
    重复_每天,
    重复_工作日,
    重复_每周,
    持续响铃直到停止,
    响铃时限时钟,
    // beyond the basics: alarms switched off, any weekdays, skipping once,
    // removing the rung ones (list menu), the next alarm at a glance
    重复_自定义,
    停用,  // captioned 启用 while the selected alarm is off
    跳过下一次,
    删除已响的闹钟,
    下一个闹钟,
    // the snooze length (a submenu of the tray and system menus), the button
    // that gives up editing a row, beside 添加
    再响间隔,
    再响间隔_5,
    再响间隔_10,
    再响间隔_15,
    再响间隔_20,
    再响间隔_30,
    取消,
    Count_
};

enum class Kind {
    Window,
    Label,
    Button,
    Edit,
    MultiEdit,
    Combo,
    GroupBox,
    Tab,
    ListView,
    MonthCal,
    TransparentLabel,
    Grid,
    Timer,
    FileDialog,
    Menu,
    MenuItem,
};

struct Rgb {
    uint8_t r, g, b;
};

// Colours the user's theme decides; a high-contrast theme sets every one.
enum class SysColour : uint8_t {
    Window,
    WindowText,
    ButtonFace,
    ButtonText,
    Highlight,
    HighlightText,
    GrayText,
};

// A colour to draw with: one of the theme's, or the design's own.
struct Paint {
    bool system = false;
    SysColour sys = SysColour::Window;  // when system
    Rgb rgb = {0, 0, 0};                // otherwise
};

// The pages of 选择夹1.
constexpr int kTabPages = 2;

// One control as designed. Coordinates are relative to `origin`: the window's
// client area, the tab control (tab strip included) or a group box.
struct ControlDesign {
    Ctl id;
    std::string_view name;
    Kind kind;
    Ctl window;  // the window the control lives in (for menus: MainWindow)
    Ctl origin;  // what x, y are relative to
    int page;    // tab page 0 or 1 of 选择夹1, -1 when not on a page
    int x, y, w, h;
    std::string_view caption;  // caption, initial text, or (for a tab) "page0|page1"
    int fontPx = 0;            // character height; 0 = default UI font
    bool bold = false;
    std::string_view fontFace = {};
    bool disabled = false;
    bool hidden = false;
    int timerMs = 0;      // design period of a timer
    int comboMax = -1;    // combo items "00".."comboMax"
    Ctl parentMenu = Ctl::None;  // for menu items (and submenus)
    Rgb textColor = {0, 0, 0};
    bool hasTextColor = false;
    // A text the control must show whole (an entry of fixed layout): where
    // the font does not fit it, a smaller size of the same face is used.
    std::string_view showsWhole = {};
    bool showsEnd = false;    // a path: its end (the file name) in view, the whole as a tip
    bool captionTop = false;  // caption at the top: the entry's popups cover the rest
    // Menu items: a separator above it; a round check mark (one of a group);
    // also in MainWindow's system menu (Alt+Space), below a separator there.
    bool separatorBefore = false;
    bool radio = false;
    bool inSystemMenu = false;
};

struct WindowDesign {
    Ctl id;
    int x, y, w, h;              // outer rectangle (a popup's 1-px border included)
    std::string_view caption;
    bool titleBar;               // fixed single border with caption, close + minimise
    bool taskbar;
    bool visibleAtLoad;
    bool hasBackground;          // false: platform default
    Rgb background;
};

enum class Ev {
    Created,       // window created (handler runs before it takes input)
    CloseRequest,  // user asked to close (title bar, system menu, Esc)
    SizeChanged,   // window state changed
    Tray,          // tray icon event; code a TrayClick
    Click,         // button click or menu item chosen
    Tick,          // timer tick
    RightClick,    // right click on a list view
    MouseUp,       // left button released in an edit box
    MouseDown,     // left button pressed (month calendar); code kPressOnDay on a day
    SelChange,     // month calendar selection changed
    Deactivated,   // window lost activation
    KeyDown,       // code = a Key
    Char,          // code = character code
    CellChosen,    // grid cell chosen
    ClockChanged,  // system clock set, or the computer resumed from sleep
    Loaded,        // once, after Created: the window is on screen (or kept hidden)
    SoundStarted,  // a requested sound is heard; code = the request id (Host::requestMp3)
    SoundFailed,   // a requested sound cannot be played; code = the request id
    RowCheckClicked,  // a list row's check box clicked, or Space on the selected row; code = row
    ColumnResized,    // the user changed the width of a list view's column
    ToneProbed,    // a tone checked (Host::probeTone); code = the probe id
    JobDone,       // a job off the window's thread ended (Host::startJob); code = its id
};

// The keys the handlers answer, named here so that no platform's key numbers
// reach them. The host raises KeyDown only for these.
enum class Key : int {
    None = 0,
    Backspace,
    Enter,
    Escape,
    Delete,
    Left,
    Right,
    Up,
    Down,
    ContextMenu,  // Shift+F10 or the context-menu key
};

struct Event {
    Ev kind;
    Ctl source;
    int code = 0;
};

// MouseDown on a month calendar: the press hit a day (not the title, the
// month-scroll arrows or the week-day names).
constexpr int kPressOnDay = 1;

// Ev::Tray's code: which button clicked the icon. Other codes mean nothing.
enum class TrayClick : int { Left = 1, Right = 2 };

// What the handlers answer to an event; the host acts on it where it can.
enum class Reply {
    None,
    Close,  // CloseRequest: the window may close
    Taken,  // KeyDown: the handler took the key, the window's own use of it is off
};

// The message boxes the handlers show: their buttons and icon.
enum class BoxKind {
    Ok,
    OkCancel,
    Exclamation,     // OK, with a warning icon
    YesNoDefaultNo,  // No the default
};

// The button pressed (closing a box otherwise answers OK, Cancel or No).
enum class BoxAnswer { Ok, Cancel, Yes, No };

// The ringing alarm's box: OK, or its second button (snooze).
enum class RingAnswer { Ok, Snooze };

enum class WindowState { Normal, Minimised, Maximised };

constexpr std::string_view kProgramName = "Ny闹钟";
constexpr std::string_view kTrayTip = "闹钟 - Verunda";
// The most UTF-16 units a tray tip can show (the terminating zero excluded).
constexpr int kTrayTipMaxUnits = 127;

// Start with Windows: the value's name under the per-user Run key, and the
// switch its command line carries so that such a start stays in the tray.
constexpr std::string_view kStartupValueName = "Ny闹钟";
constexpr std::string_view kTraySwitch = "/tray";
// Started with this switch the program only has its running copy end (installers).
constexpr std::string_view kQuitSwitch = "/quit";

}  // namespace ny
