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
}

}  // namespace ny
