#include "alarms/snooze.h"

#include <iterator>

#include "host/alarmlist.h"

namespace ny {

namespace {

constexpr Ctl kItems[] = {Ctl::再响间隔_5, Ctl::再响间隔_10, Ctl::再响间隔_15, Ctl::再响间隔_20,
                          Ctl::再响间隔_30};
static_assert(std::size(kItems) == std::size(kSnoozeChoices));

bool Offered(uint32_t minutes) {
    for (int m : kSnoozeChoices)
        if (static_cast<uint32_t>(m) == minutes) return true;
    return false;
}

}  // namespace

int SnoozeMinutes(Host& host) {
    const std::optional<uint32_t> v = host.settingValue(kSnoozeMinutesValue);
    // A value written by hand (0, 7, 1440) is no choice of the menu: the
    // default then, so that a snooze never rings at once nor a day later.
    return v && Offered(*v) ? static_cast<int>(*v) : kDefaultSnoozeMinutes;
}

std::string SnoozeButtonText(int minutes) { return std::to_string(minutes) + " 分钟后再响"; }

std::string RingBoxTitle(std::string_view alarmTime) {
    std::string title(kProgramName);
    // The time of day is what the user set the alarm for.
    const std::string minute = MinuteOf(alarmTime);
    if (MinuteStart(minute)) title += " - " + minute.substr(11, 5);
    return title;
}

Ctl SnoozeItem(int minutes) {
    for (size_t i = 0; i < std::size(kSnoozeChoices); ++i)
        if (kSnoozeChoices[i] == minutes) return kItems[i];
    return Ctl::None;
}

std::optional<int> SnoozeMinutesOfItem(Ctl item) {
    for (size_t i = 0; i < std::size(kItems); ++i)
        if (kItems[i] == item) return kSnoozeChoices[i];
    return std::nullopt;
}

void RefreshSnoozeMenu(App& app) {
    const Ctl current = SnoozeItem(SnoozeMinutes(app.host));
    for (Ctl item : kItems) app.host.setMenuChecked(item, item == current);
}

void OnSnoozeMinutesChosen(App& app, Ctl item) {
    Host& host = app.host;
    const std::optional<int> minutes = SnoozeMinutesOfItem(item);
    if (!minutes) return;
    if (const IoResult r = host.setSettingValue(kSnoozeMinutesValue, static_cast<uint32_t>(*minutes));
        !r.ok) {
        host.messageBox("无法保存设置“再响间隔”：不能写入注册表值 HKCU\\Software\\" +
                            std::string(kProgramName) + "\\" + std::string(kSnoozeMinutesValue) +
                            "：" + r.reason,
                        BoxKind::Exclamation);
    }
    RefreshSnoozeMenu(app);
}

}  // namespace ny
