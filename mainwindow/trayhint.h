// The first time the user hides the window to the tray, a balloon from the
// icon says that the program still runs and how to end it; once per user,
// remembered under the program's settings key.
#pragma once

#include <string_view>

#include "app/app.h"

namespace ny {

// The DWORD under the program's settings key: 1 once the hint was given.
constexpr std::string_view kTrayHintShownValue = "TrayHintShown";
constexpr std::string_view kTrayHintText =
    "Ny闹钟 仍在运行，闹钟会照常响铃。右键点击图标可以退出，或选择“持续响铃直到停止”。";

// The user has just hidden the window (closed or minimised it) and the tray
// icon is there: the hint, unless given before. A start with the tray
// switch hides the window without the user and gives none.
void TellHiddenInTrayOnce(App& app);

}  // namespace ny
