#include "mainwindow/trayhint.h"

namespace ny {

void TellHiddenInTrayOnce(App& app) {
    Host& host = app.host;
    if (host.settingValue(kTrayHintShownValue).value_or(0) == 1) return;
    // Remembered first: where the value cannot be written the hint is not
    // given at all rather than at every close.
    if (!host.setSettingValue(kTrayHintShownValue, 1).ok) return;
    host.showTrayBalloon(kTrayHintText);
}

}  // namespace ny
