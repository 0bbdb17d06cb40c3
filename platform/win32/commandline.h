// What this process was started as: the .exe it runs and the switches on
// its command line ("/tray", the quit switch).
#pragma once

#include <string>
#include <string_view>

namespace ny {

// True when the command line holds the switch (any case), as in "/tray".
bool CommandLineHas(std::string_view switchText);

// The full path of this .exe, however long; empty when Windows cannot say.
std::wstring ModulePath();

}  // namespace ny
