// The alarm store "ny.edb" and the record sequences that keep it in step
// with the alarm list (row i of 超级列表框1 is record i + 1). Every sequence
// opens and closes the file within the call. A failure is reported to the
// user in a message box naming the file and the system's reason; the caller
// then goes on with the list as usual.
#pragma once

#include <string>

#include "mainwindow/app.h"

namespace ny {

struct AlarmRecord {
    std::string 月份;  // always empty
    std::string 周数;  // always empty
    std::string 闹钟时间;
    std::string 铃声文件;
    std::string 闹钟提示信息;
    std::string 是否已响铃;
};

std::string StorePath(Host& host);  // program directory + "\ny.edb"

// Start-up: lists every stored record in 超级列表框1, or creates the store
// when there is none. A damaged or foreign file is reported, moved aside
// (never deleted) and replaced by a new empty store.
void LoadOrCreateStore(App& app);
// Each returns false when the file was not changed: after telling the user
// when the file could not be read or written; silently when the row has no
// record (row -1 when nothing is selected, or a row past the last record).
bool StoreAppend(App& app, const AlarmRecord& r);
bool StoreMarkRung(App& app, int row);
bool StoreDeleteRow(App& app, int row);
bool StoreClear(App& app);

}  // namespace ny
