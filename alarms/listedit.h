#pragma once

#include "mainwindow/app.h"

namespace ny {

void OnListRightClick(App& app);
void OnDeleteChosen(App& app);
void OnClearClicked(App& app);

}  // namespace ny
