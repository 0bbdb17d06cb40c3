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
}

void EndEditIfGone(App& app) {
    if (app.editingId != 0 && !app.book.find(app.editingId)) SetEditingAlarm(app, 0);
}

}  // namespace ny
