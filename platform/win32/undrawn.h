// Changing a control without the drawing it would do there and then: some
// common controls paint at once when their state changes (a button when it
// is enabled, a list view's scroll bars when its row count changes), which
// costs Wine milliseconds of the window's time at every such change.
#pragma once

#include <windows.h>

namespace ny {

// Runs `change` with `h` kept from drawing and leaves it to be drawn whole at
// the next paint. The system's own WM_SETREDRAW, not the control's: a
// control's handler may draw everything when switched back on.
template <typename Change>
void ChangeUndrawn(HWND h, bool erase, Change change) {
    // A hidden control draws nothing anyway, and must stay hidden.
    const bool shown = (GetWindowLongPtrW(h, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) DefWindowProcW(h, WM_SETREDRAW, FALSE, 0);
    change();
    if (!shown) return;
    DefWindowProcW(h, WM_SETREDRAW, TRUE, 0);
    // Switching off dropped what was waiting to be drawn, its children's too.
    RedrawWindow(h, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | (erase ? RDW_ERASE : 0));
}

}  // namespace ny
