#pragma once

#include "app/app.h"

namespace ny {

void OnListRightClick(App& app);
void OnDeleteChosen(App& app);
// Delete is the menu's 删除; the context-menu key (or Shift+F10) opens the
// menu at the selected row.
void OnListKey(App& app, Key key);
void OnClearClicked(App& app);

}  // namespace ny
