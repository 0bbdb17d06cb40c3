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
// Switched off by the user: kept, never rings.
constexpr std::string_view kOff = "停用";

}  // namespace ny::txt
