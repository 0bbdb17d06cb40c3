// The alarm list's columns: the four of the record's fields and the repeat,
// at the widths the user last left them (kept under the settings key).
#pragma once

#include "app/app.h"

namespace ny {

// Creation: the columns, each at its kept width or its design width.
void CreateListColumns(App& app);
// The user changed a column's width: every width is kept for the next start.
void OnListColumnResized(App& app);

}  // namespace ny
