// Texts the user sees, or that stand in the record file, kept once so that
// the handlers, the record file and the tests cannot drift apart.
#pragma once

#include <string_view>

namespace ny::txt {

// The ringing box when the alarm or countdown has no prompt of its own.
constexpr std::string_view kTimeUp = "时间到！时间到！";

// The state column of the list and the record field 是否已响铃.
constexpr std::string_view kNotRung = "未响";
constexpr std::string_view kRung = "已响";

}  // namespace ny::txt

namespace ny::txt {

// The fields of an alarm record, in record order, with their maximum lengths
// (bytes of GB18030 text) as the store's file declares them. The list shows
// fields 3 to 6 in columns 0 to 3, under the same names.
struct AlarmField {
    std::string_view name;
    int maxLength;
};
constexpr AlarmField kAlarmFields[] = {
    {"月份", 2},      {"周数", 1},           {"闹钟时间", 18},
    {"铃声文件", 100}, {"闹钟提示信息", 100}, {"是否已响铃", 4},
};
constexpr int kFirstListedField = 2;

}  // namespace ny::txt
