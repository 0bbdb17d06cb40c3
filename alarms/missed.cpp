#include "alarms/missed.h"

#include <algorithm>
#include <string>
#include <vector>

#include "alarms/ring.h"
#include "host/textops.h"

namespace ny {

namespace {

// More lines would make a box taller than the screen.
constexpr size_t kMaxLines = 10;
// A longer prompt would make the box wider than the screen.
constexpr int kMaxPromptChars = 40;

}  // namespace

void NotifyMissedAlarms(App& app) {
    app.missedStillToTell = false;
    if (!app.startMinute) return;
    // A minute of the start-up minute itself is the alarm check's to ring,
    // and one still ahead (the clock set back since) is not missed.
    const Minute limit = std::min(*app.startMinute, MinuteAt(app.host.now()));
    const std::vector<AlarmId> missed = app.book.pendingBefore(limit);
    if (missed.empty()) return;

    std::string text = "程序没有运行时错过了 " + std::to_string(missed.size()) + " 个闹钟：";
    for (size_t i = 0; i < missed.size() && i < kMaxLines; ++i) {
        const Alarm& a = *app.book.find(missed[i]);
        text += "\n" + MinuteText(a.minute) + "  " + OneLinePrompt(a.prompt, kMaxPromptChars);
    }
    if (missed.size() > kMaxLines)
        text += "\n…还有 " + std::to_string(missed.size() - kMaxLines) + " 个";
    app.host.messageBox(text, BoxKind::Exclamation);

    // Told is delivered: the notice comes once. The book may have changed
    // while the box was open: only those still missed are settled.
    std::vector<AlarmId> still;
    for (AlarmId id : missed)
        if (const Alarm* a = app.book.find(id); a && a->pending() && a->minute < limit)
            still.push_back(id);
    SettleMissedAlarms(app, still, limit);
}

}  // namespace ny
