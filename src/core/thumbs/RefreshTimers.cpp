#include "core/thumbs/RefreshTimers.h"

#include <utility>

namespace tavimo {

RefreshTimers::RefreshTimers(WxPageQuery onWxPage, QObject *parent,
                             std::chrono::milliseconds sstvInterval,
                             std::chrono::milliseconds wxInterval)
    : QObject(parent), onWxPage_(std::move(onWxPage)), sstvRefreshTimer(this),
      wxRefreshTimer(this) {
    sstvRefreshTimer.setObjectName(QStringLiteral("sstvRefreshTimer"));
    wxRefreshTimer.setObjectName(QStringLiteral("wxRefreshTimer"));
    sstvRefreshTimer.setInterval(sstvInterval);
    wxRefreshTimer.setInterval(wxInterval);
    connect(&sstvRefreshTimer, &QTimer::timeout, this, &RefreshTimers::sstvTick);
    connect(&wxRefreshTimer, &QTimer::timeout, this, &RefreshTimers::wxTick);
}

void RefreshTimers::StopRefreshTimers() {
    wxRefreshTimer.stop();
    sstvRefreshTimer.stop();
}

void RefreshTimers::StartRefreshTimers() {
    if (onWxPage_ && onWxPage_()) {
        Timer4Ticks = 0;
        wxRefreshTimer.start();
    } else {
        Timer6Seconds = 0;
        sstvRefreshTimer.start();
    }
}

} // namespace tavimo
