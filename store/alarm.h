// One alarm as the program holds it: its minute as a number, its repeat and
// ring state as enums, its tone and prompt. The record file stores texts; the
// two functions at the end are the only ones that turn one into the other.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "host/datetime.h"

namespace ny {

// Stays with an alarm for the whole run, whatever rows come and go; 0 is none.
using AlarmId = uint64_t;

// Minutes since 1970-01-01 00:00 on the local wall clock.
using Minute = int64_t;
// The minute of a record whose time is not a well-formed minute text: such
// an alarm is shown and kept as stored, and never rings.
constexpr Minute kNoMinute = INT64_MIN;

enum class Repeat { Once, Daily, Weekdays, Weekly, Custom };
// The weekdays of a Custom rule: bit 0 Monday ... bit 6 Sunday.
using Weekdays = uint8_t;
constexpr Weekdays kAllWeekdays = 0x7F;
// The weekday bit of a time (Monday's is 1).
Weekdays WeekdayBit(const LocalTime& t);

// The record's 周数 code: "" once, "D" every day, "W" Monday to Friday, "7"
// every week on the same weekday, "w" and the chosen weekdays' digits in
// ascending order (1 Monday ... 7 Sunday: "w135"). A code this version does
// not know reads as once.
Repeat RepeatOfCode(std::string_view code, Weekdays* days = nullptr);
std::string RepeatCode(Repeat r, Weekdays days = 0);

enum class RingState { NotRung, Rung, Off };
// The record's 是否已响铃 text: "未响", "已响", "停用" (switched off: never
// rings, is never missed). Anything else reads as rung: only an alarm known
// not to have rung is caught up.
RingState RingStateOfCode(std::string_view code);
std::string_view RingStateCode(RingState s);

struct Alarm {
    AlarmId id = 0;
    Minute minute = kNoMinute;
    Repeat repeat = Repeat::Once;
    Weekdays days = 0;  // of a Custom repeat
    RingState state = RingState::NotRung;
    std::string tone;
    std::string prompt;
    // Field texts of a record that this version reads otherwise than stored
    // (an unknown code, a malformed time): written back as they were until
    // the alarm's own change replaces them, so that no record is altered by
    // a change to another. Null for every record this program writes.
    struct Verbatim {
        std::optional<std::string> month, repeat, time, state;
    };
    std::shared_ptr<const Verbatim> verbatim;

    bool pending() const { return state == RingState::NotRung && minute != kNoMinute; }
    bool on() const { return state != RingState::Off; }
    // The alarm's own change of a field: its stored text no longer stands.
    void setMinute(Minute m);
    void setRepeat(Repeat r, Weekdays d = 0);
    void setState(RingState s);
};

// The minute a time falls in, and the time that minute starts.
Minute MinuteAt(const LocalTime& t);
LocalTime StartOfMinute(Minute m);

// "YYYY-MM-DD HH:MM" and back; nullopt unless the text is exactly that shape
// and names a real date and time.
std::string MinuteText(Minute m);
// The same into `out`, reusing its room.
void PutMinuteText(Minute m, std::string& out);
std::optional<Minute> MinuteOfText(std::string_view minuteText);
// The minute of the list's and the record's time field as shown: the text
// the record holds when it did not read as a minute.
std::string AlarmTimeText(const Alarm& a);

// Room to make for n alarms and those to come: a full vector or map grows
// by moving or rehashing all it holds, tens of milliseconds at 100,000.
constexpr size_t WithRoomToGrow(size_t n) { return n + n / 8 + 16; }

// The record's six fields (月份, 周数, 闹钟时间, 铃声文件, 闹钟提示信息,
// 是否已响铃) and back. The id is the caller's.
void AlarmToFields(const Alarm& a, std::vector<std::string>& fields);

// The same six texts without copying them: they point into the alarm and
// into this object, and stand until its next `of` or a change of the alarm.
// Writing 100,000 alarms then copies and allocates nothing per alarm.
class AlarmFieldTexts {
public:
    std::span<const std::string_view> of(const Alarm& a);

private:
    std::array<std::string_view, 6> values_;
    std::string repeat_, time_;
};
Alarm AlarmOfFields(std::vector<std::string>&& fields);

}  // namespace ny
