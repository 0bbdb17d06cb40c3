// The one place that knows which handler answers which event.
#include "alarms/add.h"
#include "alarms/check.h"
#include "alarms/clock.h"
#include "alarms/editing.h"
#include "alarms/listedit.h"
#include "alarms/nextalarm.h"
#include "alarms/ring.h"
#include "alarms/rowmenu.h"
#include "alarms/snooze.h"
#include "alarms/storeui.h"
#include "alarms/wake.h"
#include "countdown/countdown.h"
#include "mainwindow/dispatch.h"
#include "mainwindow/autostart.h"
#include "mainwindow/listcolumns.h"
#include "mainwindow/startup.h"
#include "mainwindow/tray.h"
#include "pickers/calendar.h"
#include "pickers/entrypopup.h"
#include "pickers/popupclose.h"
#include "pickers/timepicker.h"
#include "ringtone/ringtone.h"

namespace ny {

namespace {

Reply OnClick(App& app, Ctl c) {
    switch (c) {
        case Ctl::添加: OnAddClicked(app); break;
        case Ctl::清空列表: OnClearClicked(app); break;
        case Ctl::删除: OnDeleteChosen(app); break;
        case Ctl::铃声选择: OnChooseRingTone(app); break;
        case Ctl::试听: OnPreview(app); break;
        case Ctl::默认铃声: OnDefaultRingTone(app); break;
        case Ctl::停止:
            OnStop(app);
            ForgetLoopingRing(app);
            break;
        case Ctl::按钮_倒计时开始: OnCountdownButton(app); break;
        case Ctl::打开: OnOpenChosen(app); break;
        case Ctl::关闭: OnQuitChosen(app); break;
        case Ctl::开机启动: OnStartupChosen(app); break;
        case Ctl::按钮1: OnPickerEarliest(app); break;
        case Ctl::按钮2: OnPickerLatest(app); break;
        case Ctl::左年按钮: OnCalendarYear(app, -1); break;
        case Ctl::持续响铃直到停止: OnRingUntilStoppedChosen(app); break;
        case Ctl::修改: OnEditChosen(app); break;
        case Ctl::取消修改: OnCancelEditChosen(app); break;
        case Ctl::重复_不重复: OnRepeatChosen(app, Repeat::Once); break;
        case Ctl::重复_每天: OnRepeatChosen(app, Repeat::Daily); break;
        case Ctl::重复_工作日: OnRepeatChosen(app, Repeat::Weekdays); break;
        case Ctl::重复_每周: OnRepeatChosen(app, Repeat::Weekly); break;
        case Ctl::重复_自定义: OnRepeatChosen(app, Repeat::Custom); break;
        case Ctl::停用: OnSwitchChosen(app); break;
        case Ctl::跳过下一次: OnSkipNextChosen(app); break;
        case Ctl::删除已响的闹钟: OnDeleteRungChosen(app); break;
        case Ctl::右年按钮: OnCalendarYear(app, +1); break;
        case Ctl::取消: OnCancelEditClicked(app); break;
        case Ctl::再响间隔_5:
        case Ctl::再响间隔_10:
        case Ctl::再响间隔_15:
        case Ctl::再响间隔_20:
        case Ctl::再响间隔_30: OnSnoozeMinutesChosen(app, c); break;
        default: break;
    }
    return Reply::None;
}

Reply OnTick(App& app, Ctl c) {
    switch (c) {
        case Ctl::时钟1: OnClockTick(app); break;
        case Ctl::时钟2: OnAlarmCheckTick(app); break;
        case Ctl::时钟_倒计时: OnCountdownTick(app); break;
        case Ctl::左键时钟: OnCalendarPickTick(app); break;
        case Ctl::日历时钟1: OnCalendarWatchTick(app); break;
        case Ctl::时间窗口时钟: OnPickerWatchTick(app); break;
        case Ctl::响铃时限时钟: OnRingLimitTick(app); break;
        default: break;
    }
    return Reply::None;
}

// List menu items that change an alarm's minute or whether it rings.
bool ChangesAnAlarm(Ctl c) {
    switch (c) {
        case Ctl::重复_不重复:
        case Ctl::重复_每天:
        case Ctl::重复_工作日:
        case Ctl::重复_每周:
        case Ctl::重复_自定义:
        case Ctl::停用:
        case Ctl::跳过下一次:
        case Ctl::删除已响的闹钟: return true;
        default: return false;
    }
}

// Events after which the earliest alarm still to ring may be another one.
bool MayMoveNextAlarm(const Event& e) {
    switch (e.kind) {
        case Ev::ClockChanged: return true;
        case Ev::Tick: return e.source == Ctl::时钟2;
        case Ev::Click:
            return e.source == Ctl::添加 || e.source == Ctl::删除 || e.source == Ctl::清空列表 ||
                   ChangesAnAlarm(e.source);
        case Ev::RowCheckClicked: return true;
        case Ev::JobDone: return true;  // a change the file refused is undone
        case Ev::KeyDown:  // Delete in the list is 删除
            return e.source == Ctl::超级列表框1 && static_cast<Key>(e.code) == Key::Delete;
        default: return false;
    }
}

Reply Route(App& app, const Event& e);

// Events whose handlers never read the alarms to change them: they need not
// wait for a write of ny.edb still running. Any other event first waits for
// it, so that a change the file refused is undone before a handler builds
// another change on it.
bool LeavesAlarmsAlone(const Event& e) {
    switch (e.kind) {
        case Ev::Tick: return e.source != Ctl::时钟2;  // only the alarm check rings
        case Ev::JobDone:
        case Ev::SoundStarted:
        case Ev::SoundFailed:
        case Ev::ToneProbed:
        case Ev::SizeChanged:
        case Ev::Deactivated:
        case Ev::MouseUp:
        case Ev::MouseDown:
        case Ev::Char:
        case Ev::SelChange:
        case Ev::CellChosen:
        case Ev::ColumnResized: return true;
        default: return false;
    }
}

// The time picker's keys and characters reach it on the window or the grid,
// whichever has the focus.
bool IsPicker(Ctl c) { return c == Ctl::TimePickerWindow || c == Ctl::时间高级表格; }

}  // namespace

Reply Dispatch(App& app, const Event& e) {
    if (!LeavesAlarmsAlone(e)) FinishStoreWrite(app);
    const Reply result = Route(app, e);
    if (!app.host.exists(Ctl::MainWindow)) return result;
    if (MayMoveNextAlarm(e)) {
        RearmWakeTimer(app);
        RefreshTrayTip(app);
    }
    // Its time left counts down with the clock.
    if (MayMoveNextAlarm(e) || (e.kind == Ev::Tick && e.source == Ctl::时钟1))
        RefreshNextAlarmLabel(app);
    return result;
}

namespace {

Reply Route(App& app, const Event& e) {
    switch (e.kind) {
        case Ev::Created:
            if (e.source == Ctl::MainWindow) OnMainWindowCreated(app);
            if (e.source == Ctl::CalendarWindow) OnCalendarCreated(app);
            return Reply::None;
        case Ev::CloseRequest:
            if (e.source == Ctl::MainWindow) return OnCloseRequest(app) ? Reply::Close : Reply::None;
            ClosePopup(app, e.source);  // the popups close for good
            return Reply::None;
        case Ev::SizeChanged:
            if (e.source == Ctl::MainWindow) OnSizeChanged(app);
            return Reply::None;
        case Ev::Tray: {
            const auto click = static_cast<TrayClick>(e.code);
            if (click != TrayClick::Left && click != TrayClick::Right) return Reply::None;
            if (click == TrayClick::Right) RefreshSnoozeMenu(app);  // the value may have been changed elsewhere
            OnTrayEvent(app, click);
            return Reply::None;
        }
        case Ev::Click: return OnClick(app, e.source);
        case Ev::Tick: return OnTick(app, e.source);
        case Ev::RightClick:
            if (e.source == Ctl::超级列表框1) OnListRightClick(app);
            return Reply::None;
        case Ev::ClockChanged: OnClockChanged(app); return Reply::None;
        case Ev::Loaded:
            if (e.source == Ctl::MainWindow) OnMainWindowLoaded(app);
            return Reply::None;
        case Ev::MouseUp:
            if (e.source == Ctl::编辑框1) OnEntryMouseUp(app, e.source);
            return Reply::None;
        case Ev::MouseDown:
            if (e.source == Ctl::编辑框1) OnEntryMouseDown(app, e.source);
            if (e.source == Ctl::月历) OnCalendarPress(app, e.code == kPressOnDay);
            return Reply::None;
        case Ev::SelChange:
            if (e.source == Ctl::月历) OnCalendarChange(app);
            return Reply::None;
        case Ev::Deactivated:
            if (e.source == Ctl::CalendarWindow || e.source == Ctl::TimePickerWindow)
                app.host.destroyWindow(e.source);
            return Reply::None;
        case Ev::KeyDown:
            if (IsPicker(e.source)) OnPickerKey(app, static_cast<Key>(e.code));
            if (e.source == Ctl::超级列表框1) OnListKey(app, static_cast<Key>(e.code));
            // Esc taken: an edit given up; otherwise it is the window's.
            if (e.source == Ctl::编辑框1 && static_cast<Key>(e.code) == Key::Escape)
                return OnEntryEscape(app) ? Reply::Taken : Reply::None;
            return Reply::None;
        case Ev::Char:
            if (IsPicker(e.source)) OnPickerChar(app, e.code);
            return Reply::None;
        case Ev::SoundStarted: OnSoundAnswer(app, e.code, true); return Reply::None;
        case Ev::SoundFailed: OnSoundAnswer(app, e.code, false); return Reply::None;
        case Ev::RowCheckClicked:
            if (e.source == Ctl::超级列表框1) OnRowCheckClicked(app, e.code);
            return Reply::None;
        case Ev::ColumnResized:
            if (e.source == Ctl::超级列表框1) OnListColumnResized(app);
            return Reply::None;
        case Ev::ToneProbed: OnToneProbed(app, e.code); return Reply::None;
        case Ev::JobDone: OnJobDone(app, e.code); return Reply::None;
        case Ev::CellChosen:
            if (e.source == Ctl::时间高级表格) OnPickerCellChosen(app);
            return Reply::None;
        default: return Reply::None;
    }
}

}  // namespace

}  // namespace ny
