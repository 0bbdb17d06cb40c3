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
    // Nothing selected: nothing to delete.
    if (r < 0 || size_t(r) >= app.book.size()) return;
    AlarmChange change;
    change.removed.push_back(app.book.at(size_t(r)).id);
    // The row goes together with its record: the list never leaves the store.
    if (ChangeAlarms(app, change).done) host.listSelectRow(list, -1);
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
    const bool loaded = app.alarmsLoaded;
    if (host.messageBox("确定清空全部闹钟数据吗？", BoxKind::OkCancel, "提示") != BoxAnswer::Ok) return;
    // A list that start-up could not fill is filled now, but not cleared
    // unseen: the user looks at what "全部" is and may clear again.
    if (!loaded) {
        AlarmsReady(app);
        return;
    }
    AlarmChange change;
    change.clear = true;
    if (ChangeAlarms(app, change).done) host.listSelectRow(Ctl::超级列表框1, -1);
}

}  // namespace ny
