#include "alarms/missed.h"

#include <string>
#include <vector>

#include "alarms/check.h"
#include "alarms/ring.h"
#include "alarms/storeui.h"
#include "alarms/wake.h"
#include "host/alarmlist.h"
#include "host/textops.h"
#include "host/uitexts.h"

namespace ny {

namespace {

// More lines would make a box taller than the screen.
constexpr size_t kMaxLines = 10;
// A longer prompt would make the box wider than the screen.
constexpr int kMaxPromptChars = 40;

// One line per alarm: its prompt's line breaks become spaces, and a long
// prompt is cut, with "…" where it was cut.
std::string OneLinePrompt(std::string_view prompt) {
    std::string flat;
    for (size_t i = 0; i < prompt.size(); ++i) {
        if (prompt[i] == '\r' && i + 1 < prompt.size() && prompt[i + 1] == '\n') continue;
        flat += prompt[i] == '\r' || prompt[i] == '\n' ? ' ' : prompt[i];
    }
    if (CharCount(flat) <= kMaxPromptChars) return flat;
    return LeftChars(flat, kMaxPromptChars) + "…";
}

}  // namespace

void NotifyMissedAlarms(App& app) {
    Host& host = app.host;
    const Ctl list = Ctl::超级列表框1;
    const std::string& start = app.startMinute;
    if (!IsMinuteText(start)) return;
    // A row of the start-up minute itself is the alarm check's to ring.
    auto isMissed = [&](int r) {
        const std::string a = MinuteOf(host.listCell(list, r, col::kMinute));
        return a < start && MinuteStart(a) && host.listCell(list, r, col::kState) == txt::kNotRung;
    };
    auto gather = [&] {
        std::vector<int> rows;
        for (int r = 0, n = host.listRowCount(list); r < n; ++r)
            if (isMissed(r)) rows.push_back(r);
        return rows;
    };
    std::vector<int> missed = gather();
    if (missed.empty()) return;

    std::string text = "程序没有运行时错过了 " + std::to_string(missed.size()) + " 个闹钟：";
    for (size_t i = 0; i < missed.size() && i < kMaxLines; ++i)
        text += "\n" + MinuteOf(host.listCell(list, missed[i], col::kMinute)) + "  " +
                OneLinePrompt(host.listCell(list, missed[i], col::kPrompt));
    if (missed.size() > kMaxLines)
        text += "\n…还有 " + std::to_string(missed.size() - kMaxLines) + " 个";
    host.messageBox(text, kMbExclamation);

    // Told is delivered: the notice comes once. The list may have changed
    // while the box was open, so the rows are looked for again.
    SettleMissedRows(app, gather());
}

}  // namespace ny
