#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <functional>

namespace tavimo {

// The main window's two refresh timers, of which at most one runs: the
// one-second count-down of the SSTV pages and the one-minute tick of the WX
// page. The owner connects the tick signals, counts in Timer6Seconds and
// Timer4Ticks and reloads when they reach their marks. Whether refreshing is
// automatic is the callers' business, not this class's.
class RefreshTimers : public QObject {
    Q_OBJECT

public:
    // True while the page shown is the WX page (CurrentPage equals PageCount).
    using WxPageQuery = std::function<bool()>;

    explicit RefreshTimers(WxPageQuery onWxPage, QObject *parent = nullptr,
                           std::chrono::milliseconds sstvInterval = std::chrono::seconds(1),
                           std::chrono::milliseconds wxInterval = std::chrono::minutes(1));

    // Both timers off; the counters keep their values.
    void StopRefreshTimers();
    // On an SSTV page: Timer6Seconds = 0 and the one-second timer on; on the
    // WX page: Timer4Ticks = 0 and the one-minute timer on. The other timer is
    // left as it is.
    void StartRefreshTimers();

    bool sstvRunning() const { return sstvRefreshTimer.isActive(); }
    bool wxRunning() const { return wxRefreshTimer.isActive(); }

    // Ticks since the timer last started; the tick handlers add to them and
    // clear them at their marks.
    std::int16_t Timer6Seconds = 0;
    std::int16_t Timer4Ticks = 0;

signals:
    void sstvTick();
    void wxTick();

private:
    WxPageQuery onWxPage_;
    QTimer sstvRefreshTimer;
    QTimer wxRefreshTimer;
};

} // namespace tavimo
