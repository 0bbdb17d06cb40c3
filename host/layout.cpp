#include "host/layout.h"

#include <array>

namespace ny {
namespace {

constexpr Ctl M = Ctl::MainWindow;
constexpr Ctl CW = Ctl::CalendarWindow;
constexpr Ctl TW = Ctl::TimePickerWindow;
constexpr Ctl TAB = Ctl::选择夹1;

ControlDesign C(Ctl id, std::string_view name, Kind kind, Ctl window, Ctl origin, int page, int x,
                int y, int w, int h, std::string_view caption = {}) {
    ControlDesign d{id, name, kind, window, origin, page, x, y, w, h, caption};
    return d;
}
ControlDesign Font(ControlDesign d, int px, bool bold, std::string_view face = {}) {
    d.fontPx = px;
    d.bold = bold;
    d.fontFace = face;
    return d;
}
ControlDesign Disabled(ControlDesign d) {
    d.disabled = true;
    return d;
}
ControlDesign Hidden(ControlDesign d) {
    d.hidden = true;
    return d;
}
ControlDesign Timer(Ctl id, std::string_view name, Ctl window, int ms) {
    ControlDesign d = C(id, name, Kind::Timer, window, window, -1, 0, 0, 0, 0);
    d.timerMs = ms;
    return d;
}
ControlDesign Combo(Ctl id, std::string_view name, int x, int y, int max) {
    ControlDesign d = Font(C(id, name, Kind::Combo, M, TAB, 1, x, y, 48, 32, "00"), 24, false);
    d.comboMax = max;
    return d;
}
ControlDesign Item(Ctl id, std::string_view name, Ctl menu) {
    ControlDesign d = C(id, name, Kind::MenuItem, M, M, -1, 0, 0, 0, 0, name);
    d.parentMenu = menu;
    return d;
}
ControlDesign Whole(ControlDesign d, std::string_view sample) {
    d.showsWhole = sample;
    return d;
}
ControlDesign End(ControlDesign d) {
    d.showsEnd = true;
    return d;
}
ControlDesign Top(ControlDesign d) {
    d.captionTop = true;
    return d;
}
ControlDesign Below(ControlDesign d) {
    d.separatorBefore = true;
    return d;
}
ControlDesign Radio(ControlDesign d) {
    d.radio = true;
    return d;
}
ControlDesign AlsoInSystemMenu(ControlDesign d) {
    d.inSystemMenu = true;
    return d;
}
ControlDesign Red(ControlDesign d) {
    d.textColor = {255, 0, 0};
    d.hasTextColor = true;
    return d;
}

const std::array kControls = {
    // MainWindow, outside the tab control
    C(Ctl::选择夹1, "选择夹1", Kind::Tab, M, M, -1, 8, 16, 824, 232, "指定时间|倒计时"),
    Font(C(Ctl::现行时间, "现行时间", Kind::Label, M, M, -1, 373, 2, 328, 32, "现行时间"), 20, true),
    Disabled(Font(C(Ctl::停止, "停止", Kind::Button, M, M, -1, 8, 256, 544, 40, "停止闹钟"), 19, true)),
    Red(C(Ctl::版权, "版权", Kind::Label, M, M, -1, 574, 274, 259, 16, "Ny闹钟 © 2026 Verunda 制作")),
    // page "指定时间"
    C(Ctl::闹钟设置, "闹钟设置", Kind::Label, M, TAB, 0, 12, 52, 64, 16, "闹钟设置："),
    // Reaches to 4 px before 添加 so that the whole date and time fits.
    Whole(C(Ctl::编辑框1, "编辑框1", Kind::Edit, M, TAB, 0, 76, 44, 106, 24), "0000-00-00 00:00:00"),
    C(Ctl::铃声, "铃声", Kind::Label, M, TAB, 0, 12, 86, 64, 16, "铃    声："),
    End(Disabled(C(Ctl::铃声路径, "铃声路径", Kind::Edit, M, TAB, 0, 76, 78, 102, 24))),
    C(Ctl::铃声选择, "铃声选择", Kind::Button, M, TAB, 0, 18, 110, 52, 24, "选择"),
    C(Ctl::试听, "试听", Kind::Button, M, TAB, 0, 75, 110, 52, 24, "试听"),
    C(Ctl::默认铃声, "默认铃声", Kind::Button, M, TAB, 0, 133, 110, 49, 24, "默认"),
    // 添加 ends above the row of small buttons, where 取消 shows while a row
    // is being edited (保存 then replaces that row).
    Top(C(Ctl::添加, "添加", Kind::Button, M, TAB, 0, 186, 36, 74, 70, "添加")),
    Hidden(C(Ctl::取消, "取消", Kind::Button, M, TAB, 0, 186, 110, 74, 24, "取消")),
    C(Ctl::分组框1, "分组框1", Kind::GroupBox, M, TAB, 0, 12, 148, 248, 72, "闹钟提示信息"),
    C(Ctl::闹钟提示信息输入, "闹钟提示信息输入", Kind::MultiEdit, M, Ctl::分组框1, 0, 8, 16, 232, 48),
    C(Ctl::超级列表框1, "超级列表框1", Kind::ListView, M, TAB, 0, 272, 32, 544, 168),
    C(Ctl::清空列表, "清空列表", Kind::Button, M, TAB, 0, 272, 204, 88, 20, "清空列表"),
    // The next alarm and how long until it, in the free space after 清空列表.
    C(Ctl::下一个闹钟, "下一个闹钟", Kind::Label, M, TAB, 0, 368, 206, 448, 16, "没有待响的闹钟"),
    Hidden(C(Ctl::已设置闹钟时间, "已设置闹钟时间", Kind::Label, M, TAB, 0, 387, 64, 117, 16,
             "暂未设定闹钟时间")),
    Hidden(C(Ctl::短位时间, "短位时间", Kind::Label, M, TAB, 0, 408, 91, 184, 16, "短位时间")),
    Timer(Ctl::时钟1, "时钟1", M, 1000),
    Timer(Ctl::时钟2, "时钟2", M, 60000),
    C(Ctl::通用对话框1, "通用对话框1", Kind::FileDialog, M, TAB, 0, 8, 24, 24, 24),
    // page "倒计时"
    Font(C(Ctl::标签_时, "标签_时", Kind::Label, M, TAB, 1, 24, 51, 40, 24, "时"), 24, false),
    Font(C(Ctl::标签_分, "标签_分", Kind::Label, M, TAB, 1, 88, 51, 40, 24, "分"), 24, false),
    Font(C(Ctl::标签_秒, "标签_秒", Kind::Label, M, TAB, 1, 152, 51, 40, 24, "秒"), 24, false),
    Combo(Ctl::组合框_时, "组合框_时", 24, 83, 24),
    Combo(Ctl::组合框_分, "组合框_分", 88, 83, 60),
    Combo(Ctl::组合框_秒, "组合框_秒", 152, 83, 60),
    Font(C(Ctl::标签_到计时, "标签_到计时", Kind::Label, M, TAB, 1, 208, 72, 200, 48,
           "00时00分00秒"),
         29, true),
    C(Ctl::分组框2, "分组框2", Kind::GroupBox, M, TAB, 1, 422, 40, 384, 104, "闹钟提示信息"),
    C(Ctl::编辑框_倒计时闹钟提示信息, "编辑框_倒计时闹钟提示信息", Kind::MultiEdit, M, Ctl::分组框2,
      1, 8, 16, 368, 80),
    Font(C(Ctl::按钮_倒计时开始, "按钮_倒计时开始", Kind::Button, M, TAB, 1, 16, 152, 792, 64,
           "倒计时开始"),
         19, true),
    Timer(Ctl::时钟_倒计时, "时钟_倒计时", M, 0),
    // CalendarWindow
    C(Ctl::月历, "月历", Kind::MonthCal, CW, CW, -1, 0, 0, 266, 143),
    C(Ctl::左年按钮, "左年按钮", Kind::Button, CW, CW, -1, 31, 6, 22, 16, ""),
    C(Ctl::右年按钮, "右年按钮", Kind::Button, CW, CW, -1, 214, 6, 22, 16, "按钮"),
    Timer(Ctl::左键时钟, "左键时钟", CW, 0),
    Timer(Ctl::日历时钟1, "时钟1", CW, 0),
    // TimePickerWindow
    C(Ctl::时间高级表格, "时间高级表格", Kind::Grid, TW, TW, -1, 0, 0, 244, 148),
    C(Ctl::按钮1, "按钮1", Kind::Button, TW, TW, -1, 0, 147, 56, 20, "最小时间"),
    Font(C(Ctl::透明标签1, "透明标签1", Kind::TransparentLabel, TW, TW, -1, 72, 148, 100, 20,
           "透明标签"),
         12, true),
    C(Ctl::按钮2, "按钮2", Kind::Button, TW, TW, -1, 189, 147, 56, 20, "最大时间"),
    Timer(Ctl::时间窗口时钟, "时间窗口时钟", TW, 0),
    // menus of MainWindow
    C(Ctl::托盘菜单, "托盘菜单", Kind::Menu, M, M, -1, 0, 0, 0, 0),
    Item(Ctl::打开, "打开", Ctl::托盘菜单),
    AlsoInSystemMenu(Item(Ctl::开机启动, "开机启动", Ctl::托盘菜单)),
    Item(Ctl::关闭, "关闭", Ctl::托盘菜单),
    AlsoInSystemMenu(Below(Item(Ctl::持续响铃直到停止, "持续响铃直到停止", Ctl::托盘菜单))),
    C(Ctl::指定时间列表框右键菜单, "指定时间列表框右键菜单", Kind::Menu, M, M, -1, 0, 0, 0, 0),
    Item(Ctl::删除, "删除", Ctl::指定时间列表框右键菜单),
    [] {
        ControlDesign d = C(Ctl::重复, "重复", Kind::Menu, M, M, -1, 0, 0, 0, 0, "重复");
        d.parentMenu = Ctl::指定时间列表框右键菜单;
        return Below(d);
    }(),
    Radio(Item(Ctl::重复_不重复, "不重复", Ctl::重复)),
    Radio(Item(Ctl::重复_每天, "每天", Ctl::重复)),
    Radio(Item(Ctl::重复_工作日, "工作日（周一至周五）", Ctl::重复)),
    Radio(Item(Ctl::重复_每周, "每周", Ctl::重复)),
    Radio(Item(Ctl::重复_自定义, "自定义…", Ctl::重复)),
    Item(Ctl::修改, "修改", Ctl::指定时间列表框右键菜单),
    Hidden(Item(Ctl::取消修改, "取消修改", Ctl::指定时间列表框右键菜单)),
    // Switches the alarm off, or (captioned 启用) on again.
    Item(Ctl::停用, "停用", Ctl::指定时间列表框右键菜单),
    Item(Ctl::跳过下一次, "跳过下一次", Ctl::指定时间列表框右键菜单),
    Below(Item(Ctl::删除已响的闹钟, "删除已响的闹钟", Ctl::指定时间列表框右键菜单)),
    // Ends a ring that repeats the tone once it has gone on long enough.
    Timer(Ctl::响铃时限时钟, "响铃时限时钟", M, 0),
    // The snooze length, in the tray menu and the system menu.
    [] {
        ControlDesign d = C(Ctl::再响间隔, "再响间隔", Kind::Menu, M, M, -1, 0, 0, 0, 0, "再响间隔");
        d.parentMenu = Ctl::托盘菜单;
        return AlsoInSystemMenu(d);
    }(),
    AlsoInSystemMenu(Radio(Item(Ctl::再响间隔_5, "5 分钟", Ctl::再响间隔))),
    AlsoInSystemMenu(Radio(Item(Ctl::再响间隔_10, "10 分钟", Ctl::再响间隔))),
    AlsoInSystemMenu(Radio(Item(Ctl::再响间隔_15, "15 分钟", Ctl::再响间隔))),
    AlsoInSystemMenu(Radio(Item(Ctl::再响间隔_20, "20 分钟", Ctl::再响间隔))),
    AlsoInSystemMenu(Radio(Item(Ctl::再响间隔_30, "30 分钟", Ctl::再响间隔))),
};

const WindowDesign kWindows[] = {
    {Ctl::MainWindow, 50, 50, 849, 332, "Ny闹钟 v1.5", true, true, true, false, {0, 0, 0}},
    {Ctl::CalendarWindow, 50, 50, 266, 143, "", false, false, false, true, {255, 255, 255}},
    // The buttons below the grid reach to 245 x 167: the client area holds
    // them whole, inside the 1-px border.
    {Ctl::TimePickerWindow, 50, 50, 247, 170, "", false, false, false, true, {0, 136, 255}},
};

Paint Sys(SysColour c) { return Paint{true, c, {0, 0, 0}}; }
Paint Own(Rgb rgb) { return Paint{false, SysColour::Window, rgb}; }

}  // namespace

Paint GroundOf(const WindowDesign& w, bool highContrast) {
    if (!w.hasBackground) return Sys(SysColour::ButtonFace);
    if (!highContrast) return Own(w.background);
    // The calendar fills its popup: the theme's window colour, as its days.
    // The time picker holds buttons and a label: the buttons' face.
    return Sys(w.id == Ctl::CalendarWindow ? SysColour::Window : SysColour::ButtonFace);
}

std::optional<Paint> TextOf(const ControlDesign& d, bool highContrast) {
    if (highContrast || !d.hasTextColor) return std::nullopt;
    return Own(d.textColor);
}

GridPaints GridColours(bool highContrast) {
    GridPaints p{Own({255, 255, 255}), Own({192, 192, 192}), Sys(SysColour::WindowText),
                 Sys(SysColour::Highlight), Sys(SysColour::HighlightText)};
    if (highContrast) {
        p.ground = Sys(SysColour::Window);
        p.line = Sys(SysColour::GrayText);
    }
    return p;
}

ArrowPaints ArrowColours(bool highContrast) {
    if (highContrast) return {Sys(SysColour::ButtonFace), Sys(SysColour::ButtonText)};
    return {Own({236, 233, 216}), Own({0, 0, 0})};
}

std::span<const ControlDesign> ControlDesigns() { return kControls; }

const ControlDesign* FindDesign(Ctl id) {
    for (const auto& d : kControls)
        if (d.id == id) return &d;
    return nullptr;
}

const WindowDesign& WindowDesignOf(Ctl window) {
    for (const auto& w : kWindows)
        if (w.id == window) return w;
    return kWindows[0];
}

Ctl WindowOf(Ctl id) {
    if (id == Ctl::MainWindow || id == Ctl::CalendarWindow || id == Ctl::TimePickerWindow)
        return id;
    const ControlDesign* d = FindDesign(id);
    return d ? d->window : Ctl::None;
}

}  // namespace ny
