// The time picker: a grid of the hour, minute or second values for the field
// in which the entry's caret stands; every change goes straight into the
// entry, and the picker keeps no copy of the time.
#pragma once

#include "app/app.h"

namespace ny {

// Fills the grid and the unit label for the caret's field of `field`, and
// starts the watch that closes the picker once the field is gone.
void FillPickerGrid(App& app, Ctl field);

void OnPickerCellChosen(App& app);
void OnPickerChar(App& app, int code);  // code: a UTF-16 code unit
// Enter picks the selected cell; Left/Right go to the previous/next field;
// Up/Down move the selection a row; Backspace, Delete and Esc close.
void OnPickerKey(App& app, Key key);
void OnPickerEarliest(App& app);  // 按钮1
void OnPickerLatest(App& app);    // 按钮2
void OnPickerWatchTick(App& app);

}  // namespace ny
