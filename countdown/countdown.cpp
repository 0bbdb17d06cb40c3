#include "countdown/countdown.h"

#include <algorithm>
#include <string>

#include "host/textops.h"
#include "host/uitexts.h"
#include "ringtone/defaulttone.h"
#include "ringtone/ringtone.h"

namespace ny {

namespace {

constexpr std::string_view kIdleCaption = "倒计时开始";
constexpr std::string_view kRunningCaption = "倒计时取消";
constexpr std::string_view kIdleText = "00时00分00秒";
constexpr int64_t kTickMs = 1000;

void Start(App& app) {
    Host& host = app.host;
    const double total = TextToNumber(host.text(Ctl::组合框_时)) * 3600 +
                         TextToNumber(host.text(Ctl::组合框_分)) * 60 +
                         TextToNumber(host.text(Ctl::组合框_秒));
    // Nothing to count down from below one second.
    if (!(total >= 1)) {
        host.messageBox("你还没有设置倒计时时间！", BoxKind::Ok);
        return;
    }
    app.CountdownRemaining = total > 2e9 ? 2000000000 : static_cast<int32_t>(total);
    app.countdownStartMs = host.monotonicMs();
    app.countdownTicks = 0;
    app.countdownRunning = true;
    host.setText(Ctl::按钮_倒计时开始, kRunningCaption);
    host.setTimer(Ctl::时钟_倒计时, kTickMs);
    host.setText(Ctl::标签_到计时, CountdownText(app.CountdownRemaining));
}

void Cancel(App& app) {
    Host& host = app.host;
    app.countdownRunning = false;
    host.setText(Ctl::按钮_倒计时开始, kIdleCaption);
    host.setTimer(Ctl::时钟_倒计时, 0);
    host.setText(Ctl::标签_到计时, kIdleText);
}

}  // namespace

std::string CountdownText(int32_t r) {
    const int64_t hours = r / 3600;
    const int64_t minutes = r / 60 - hours * 60;
    const int64_t seconds = r - minutes * 60 - hours * 3600;
    return std::to_string(hours) + "时" + std::to_string(minutes) + "分" + std::to_string(seconds) +
           "秒";
}

void OnCountdownButton(App& app) {
    if (!app.countdownRunning) Start(app);
    else Cancel(app);
}

void OnCountdownTick(App& app) {
    Host& host = app.host;
    // Each tick is due a whole number of seconds after the start, so a late
    // tick makes the next one come sooner instead of the countdown drifting.
    ++app.countdownTicks;
    const int64_t nextDue = app.countdownStartMs + (app.countdownTicks + 1) * kTickMs;
    host.setTimer(Ctl::时钟_倒计时, std::max<int64_t>(1, nextDue - host.monotonicMs()));

    if (app.CountdownRemaining != 0) {
        --app.CountdownRemaining;
        host.setText(Ctl::标签_到计时, CountdownText(app.CountdownRemaining));
        return;
    }
    host.setTimer(Ctl::时钟_倒计时, 0);
    host.setLooping(false);  // only an alarm's tone repeats until stopped
    PlayToBeHeard(app, DefaultRingTonePath(host));
    host.setEnabled(Ctl::停止, true);
    app.countdownRunning = false;
    host.setText(Ctl::按钮_倒计时开始, kIdleCaption);
    const std::string prompt = host.text(Ctl::编辑框_倒计时闹钟提示信息);
    // In front even while the window stays in the tray.
    host.messageBox(prompt.empty() ? txt::kTimeUp : prompt, BoxKind::Ok, std::nullopt, true);
}

}  // namespace ny
