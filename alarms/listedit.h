#pragma once

#include "app/app.h"

namespace ny {

void OnListRightClick(App& app);
void OnDeleteChosen(App& app);
void OnClearClicked(App& app);

}  // namespace ny
