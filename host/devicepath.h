// Paths that name a device or another non-file: opening one for reading may
// block for ever (a serial port, a pipe nobody writes to) or read without end
// (NUL, CON). A ring tone is refused on its name alone, before it is opened.
#pragma once

#include <string_view>

namespace ny {

// True for the reserved device names (CON, NUL, PRN, AUX, COM1-9, LPT1-9,
// CONIN$, CONOUT$; any case, with or without an extension, a folder in front,
// trailing dots or spaces) and for the device namespaces \\.\ and
// \\?\GLOBALROOT (either slash).
bool IsDevicePath(std::string_view path);

}  // namespace ny
