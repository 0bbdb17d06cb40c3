#include "alarms/listedit.h"

#include "alarms/rowmenu.h"
#include "alarms/storeui.h"

namespace ny {

void OnListRightClick(App& app) {
    PrepareListMenu(app);
    app.host.popupMenu(Ctl::指定时间列表框右键菜单);
}

void OnDeleteChosen(App& app) {
    Host& host = app.host;
    const Ctl list = Ctl::超级列表框1;
    const int r = host.listSelectedRow(list);
    if (r < 0) return;  // nothing selected: nothing to delete
    // The row goes only once its record is gone: the list never leaves the store.
    if (!TellStoreResult(app, StoreOf(app).deleteRow(r))) return;
    host.listDeleteRow(list, r);
    OnAlarmRowDeleted(app, r);
}

void OnListKey(App& app, Key key) {
    const Ctl list = Ctl::超级列表框1;
    if (key == Key::Delete) OnDeleteChosen(app);
    if (key == Key::ContextMenu) {
        PrepareListMenu(app);  // the same items as a right click shows
        app.host.popupMenuAtRow(Ctl::指定时间列表框右键菜单, list, app.host.listSelectedRow(list));
    }
}

void OnClearClicked(App& app) {
    Host& host = app.host;
    // Taken before the question: a check while it is open may fill the list.
    const bool loaded = app.alarmListLoaded;
    if (host.messageBox("确定清空全部闹钟数据吗？", kMbOkCancel, "提示") != 0) return;
    // A list that start-up could not fill is filled now, but not cleared
    // unseen: the user looks at what "全部" is and may clear again.
    if (!loaded) {
        AlarmListReady(app);
        return;
    }
    if (!TellStoreResult(app, StoreOf(app).clear())) return;
    host.listDeleteAll(Ctl::超级列表框1);
    OnAlarmListCleared(app);
}

}  // namespace ny
