#pragma once

#include <string>

#include "mainwindow/app.h"

namespace ny {

// Creation handler of MainWindow: instance lock, list columns, first clock
// and entry texts, the alarm list from the store.
void OnMainWindowCreated(App& app);

}  // namespace ny
