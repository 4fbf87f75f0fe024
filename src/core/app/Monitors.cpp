#include "core/app/Monitors.h"

#include <QGuiApplication>
#include <QScreen>

namespace tavimo {

void MonitorList::enumerate(const QList<QRect> &screens) {
    MonitorCount = 0;
    for (const QRect &rect : screens) {
        ++MonitorCount;
        if (Monitors.size() <= MonitorCount)
            Monitors.resize(MonitorCount + 1);
        Monitors[MonitorCount] = {MonitorCount, rect.left(), rect.top(), rect.left() + rect.width(),
                                  rect.top() + rect.height()};
    }
}

QList<QRect> screenRects() {
    QList<QRect> rects;
    for (const QScreen *screen : QGuiApplication::screens())
        rects.append(screen->geometry());
    return rects;
}

} // namespace tavimo
