#include "alarms/editing.h"

#include <string_view>

namespace ny {

namespace {

constexpr std::string_view kAddCaption = "添加";
constexpr std::string_view kSaveCaption = "保存";

}  // namespace

void SetEditingRow(App& app, int row) {
    app.editingRow = row;
    app.host.setText(Ctl::添加, row >= 0 ? kSaveCaption : kAddCaption);
    app.host.setVisible(Ctl::取消, row >= 0);
}

void OnCancelEditClicked(App& app) {
    SetEditingRow(app, -1);
    // 取消 had the focus and is gone: the keys go back to the entry.
    app.host.setFocus(Ctl::编辑框1);
}

bool OnEntryEscape(App& app) {
    if (app.editingRow < 0) return false;
    OnCancelEditClicked(app);
    return true;
}

}  // namespace ny
