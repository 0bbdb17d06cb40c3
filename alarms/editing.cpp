#include "alarms/editing.h"

#include <string_view>

namespace ny {

namespace {

constexpr std::string_view kAddCaption = "添加";
constexpr std::string_view kSaveCaption = "保存";

}  // namespace

void SetEditingAlarm(App& app, AlarmId id) {
    app.editingId = id;
    app.host.setText(Ctl::添加, id != 0 ? kSaveCaption : kAddCaption);
    app.host.setVisible(Ctl::取消, id != 0);
}

void EndEditIfGone(App& app) {
    if (app.editingId != 0 && !app.book.find(app.editingId)) SetEditingAlarm(app, 0);
}

void OnCancelEditClicked(App& app) {
    SetEditingAlarm(app, 0);
    // 取消 had the focus and is gone: the keys go back to the entry.
    app.host.setFocus(Ctl::编辑框1);
}

bool OnEntryEscape(App& app) {
    if (app.editingId == 0) return false;
    OnCancelEditClicked(app);
    return true;
}

}  // namespace ny
