// The fields of an alarm record, in record order, with their maximum lengths
// (bytes of GB18030 text) as the store's file declares them. The list shows
// fields 3 to 6 in its columns, under the same names.
#pragma once

#include <string_view>

namespace ny {

struct AlarmField {
    std::string_view name;
    int maxLength;
};
constexpr AlarmField kAlarmFields[] = {
    {"月份", 2},      {"周数", 1},           {"闹钟时间", 18},
    {"铃声文件", 100}, {"闹钟提示信息", 100}, {"是否已响铃", 4},
};
constexpr int kFirstListedField = 2;

}  // namespace ny
