#include "alarms/nextalarm.h"

#include "host/alarmlist.h"
#include "host/textops.h"

namespace ny {

namespace {

constexpr int64_t kMsPerMinute = 60 * 1000;
constexpr int64_t kMinutesPerHour = 60;
constexpr int64_t kMinutesPerDay = 24 * kMinutesPerHour;
// A longer prompt would not fit the label.
constexpr int kMaxPromptChars = 16;

// Whole minutes left, counted down: under a minute is "不到 1 分钟".
std::string TimeLeft(int64_t ms) {
    const int64_t minutes = ms / kMsPerMinute;
    if (minutes < 1) return "不到 1 分钟";
    const int64_t days = minutes / kMinutesPerDay;
    const int64_t hours = minutes % kMinutesPerDay / kMinutesPerHour;
    const int64_t mins = minutes % kMinutesPerHour;
    if (days > 0)
        return "还有 " + std::to_string(days) + " 天" +
               (hours > 0 ? " " + std::to_string(hours) + " 小时" : std::string());
    if (hours > 0)
        return "还有 " + std::to_string(hours) + " 小时" +
               (mins > 0 ? " " + std::to_string(mins) + " 分钟" : std::string());
    return "还有 " + std::to_string(mins) + " 分钟";
}

}  // namespace

std::string NextAlarmText(const AlarmBook& book, const LocalTime& now) {
    const Alarm* next = book.earliestPending(MinuteAt(now));
    if (!next) return "没有待响的闹钟";
    std::string text = "下一个闹钟：" + MinuteText(next->minute).substr(timetext::kMonth);
    if (!next->prompt.empty()) text += " " + OneLinePrompt(next->prompt, kMaxPromptChars);
    const int64_t left = MsFromCivil(StartOfMinute(next->minute)) - MsFromCivil(now);
    return text + "（" + TimeLeft(left < 0 ? 0 : left) + "）";
}

void RefreshNextAlarmLabel(App& app) {
    std::string text = NextAlarmText(app.book, app.host.now());
    if (text == app.nextAlarmText) return;
    app.host.setText(Ctl::下一个闹钟, text);
    app.nextAlarmText = std::move(text);
}

}  // namespace ny
