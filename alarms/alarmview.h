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

private:
    const AlarmBook& book_;
};

// The list's minute cell of an alarm: its minute and, after it, its repeat.
std::string MinuteCellOf(const Alarm& a);
// The list's state cell: "未响" or "已响" (or the text the record holds).
std::string StateCellOf(const Alarm& a);

}  // namespace ny
