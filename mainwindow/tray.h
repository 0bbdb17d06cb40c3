#pragma once

#include "app/app.h"

namespace ny {

// Returns false: the window never closes, it hides behind the tray icon.
bool OnCloseRequest(App& app);
void OnSizeChanged(App& app);
void OnTrayEvent(App& app, int code);
void OnOpenChosen(App& app);
void OnQuitChosen(App& app);
// Visible, no longer minimised, in front, tray icon removed.
void ShowMainWindow(App& app);
// Invisible, the tray icon shown.
void HideToTray(App& app);

}  // namespace ny
