#pragma once

#include <string>

#include "app/app.h"

namespace ny {

// Returns false: the window never closes, it hides behind the tray icon.
bool OnCloseRequest(App& app);
void OnSizeChanged(App& app);
void OnTrayEvent(App& app, TrayClick click);
void OnOpenChosen(App& app);
void OnQuitChosen(App& app);
// Visible, no longer minimised, in front, tray icon removed.
void ShowMainWindow(App& app);
// Invisible, the tray icon shown.
void HideToTray(App& app);
// The tray tip: the program's, and on a second line the next alarm still to
// ring ("下一个：12-11 07:30 起床"), its prompt cut to fit the tip.
std::string TrayTipText(App& app);
// The tip again while the icon is shown (the list or the minute changed).
void RefreshTrayTip(App& app);

}  // namespace ny
