#include "platform/DesktopBridge.h"

#include "platform/Logging.h"
#include "platform/X11DesktopBridge.h"

#include <QElapsedTimer>

namespace tavimo {

void busyWait(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds) {
    }
}

DesktopBridge::DesktopBridge() : wait_(busyWait) {}

DesktopBridge::~DesktopBridge() = default;

bool DesktopBridge::activateWindowByTitle(const QString &title) {
    const WindowId window = findTopLevelWindow(title);
    if (window == 0) {
        qCDebug(lcPlatform) << "No window titled" << title;
        return false;
    }
    bringToFront(window);
    wait(200);
    restoreWindow(window);
    wait(500);
    return true;
}

void DesktopBridge::wait(int milliseconds) {
    wait_(milliseconds);
}

void DesktopBridge::setWaitFunction(WaitFunction wait) {
    wait_ = wait ? std::move(wait) : WaitFunction(busyWait);
}

bool NullDesktopBridge::sendKeys(const QString &keys) {
    qCDebug(lcPlatform) << "No desktop to send keystrokes to:" << keys;
    return false;
}

DesktopBridge::WindowId NullDesktopBridge::findTopLevelWindow(const QString &) {
    return 0;
}

std::unique_ptr<DesktopBridge> createDesktopBridge(const QString &displayName) {
    if (std::unique_ptr<DesktopBridge> x11 = X11DesktopBridge::open(displayName))
        return x11;
    qCInfo(lcPlatform) << "No X display: other programs' windows cannot be reached";
    return std::make_unique<NullDesktopBridge>();
}

} // namespace tavimo
