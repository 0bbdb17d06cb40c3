#include "mainwindow/listcolumns.h"

#include <string>

#include "host/alarmlist.h"
#include "store/alarmfields.h"

namespace ny {

namespace {

constexpr Ctl kList = Ctl::超级列表框1;
constexpr std::string_view kRepeatCaption = "重复";
// A kept width outside this is not taken (a damaged or foreign value).
constexpr uint32_t kMinWidth = 8;
constexpr uint32_t kMaxWidth = 2000;

std::string WidthValueName(int c) { return "ListColumnWidth" + std::to_string(c); }

std::string_view CaptionOf(int c) {
    if (c == col::kRepeat) return kRepeatCaption;
    return kAlarmFields[kFirstListedField + c].name;
}

}  // namespace

void CreateListColumns(App& app) {
    for (int c = 0; c < col::kCount; ++c) {
        const std::optional<uint32_t> kept = app.host.settingValue(WidthValueName(c));
        const int width = kept && *kept >= kMinWidth && *kept <= kMaxWidth ? int(*kept) : col::kDesignWidths[c];
        app.host.listInsertColumn(kList, CaptionOf(c), width);
    }
}

void OnListColumnResized(App& app) {
    // Quietly: a width not kept is no reason to bother the user.
    for (int c = 0; c < col::kCount; ++c)
        app.host.setSettingValue(WidthValueName(c), uint32_t(app.host.listColumnWidth(kList, c)));
}

}  // namespace ny
