// The row 修改 put into the entry fields: while one is being edited, 添加
// reads 保存 and replaces it instead of adding.
#pragma once

#include "app/app.h"

namespace ny {

// `row` is being edited from now on; -1 ends the edit.
void SetEditingRow(App& app, int row);

}  // namespace ny
