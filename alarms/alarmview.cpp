#include "alarms/alarmview.h"

#include "alarms/repeat.h"
#include "host/alarmlist.h"

namespace ny {

std::string MinuteCellOf(const Alarm& a) { return MinuteCellText(AlarmTimeText(a), a.repeat); }

std::string StateCellOf(const Alarm& a) {
    if (a.verbatim && a.verbatim->state) return *a.verbatim->state;
    return std::string(RingStateCode(a.state));
}

std::string AlarmView::cellText(int row, int col) const {
    if (row < 0 || size_t(row) >= book_.size()) return {};
    const Alarm& a = book_.at(size_t(row));
    switch (col) {
        case col::kMinute: return MinuteCellOf(a);
        case col::kTone: return a.tone;
        case col::kPrompt: return a.prompt;
        case col::kState: return StateCellOf(a);
        default: return {};
    }
}

}  // namespace ny
