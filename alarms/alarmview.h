// The alarm list's cells, formatted from the book when the list shows them.
#pragma once

#include <string>

#include "app/alarmbook.h"
#include "host/host.h"

namespace ny {

class AlarmView final : public ListSource {
public:
    explicit AlarmView(const AlarmBook& book) : book_(book) {}
    std::string cellText(int row, int col) const override;
    // A check box: checked while the alarm is on; an alarm switched off is grey.
    RowLook rowLook(int row) const override;

private:
    const AlarmBook& book_;
};

// The list's state cell: "未响", "已响", "停用" (or the text the record holds).
std::string StateCellOf(const Alarm& a);

}  // namespace ny
