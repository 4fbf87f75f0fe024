#include "platform/DesktopBridge.h"

#include "platform/Keystrokes.h"
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

FakeDesktopBridge::FakeDesktopBridge() {
    setWaitFunction(
        [this](int milliseconds) { log_.append(QStringLiteral("wait %1").arg(milliseconds)); });
}

void FakeDesktopBridge::addWindow(const QString &title) {
    windows_.append(title);
}

void FakeDesktopBridge::removeWindow(const QString &title) {
    windows_.removeOne(title);
}

QStringList FakeDesktopBridge::sentKeys() const {
    QStringList keys;
    for (const QString &entry : log_) {
        if (entry.startsWith(QLatin1String("keys ")))
            keys.append(entry.mid(5));
    }
    return keys;
}

bool FakeDesktopBridge::sendKeys(const QString &keys) {
    log_.append(QStringLiteral("keys ") + keys);
    return parseKeystrokes(keys).has_value();
}

// Window ids are positions in the window list, plus one.
DesktopBridge::WindowId FakeDesktopBridge::findTopLevelWindow(const QString &title) {
    log_.append(QStringLiteral("find ") + title);
    return WindowId(windows_.indexOf(title) + 1);
}

void FakeDesktopBridge::bringToFront(WindowId window) {
    log_.append(QStringLiteral("front ") + windows_.value(qsizetype(window) - 1));
}

void FakeDesktopBridge::restoreWindow(WindowId window) {
    log_.append(QStringLiteral("restore ") + windows_.value(qsizetype(window) - 1));
}

std::unique_ptr<DesktopBridge> createDesktopBridge(const QString &displayName) {
    if (std::unique_ptr<DesktopBridge> x11 = X11DesktopBridge::open(displayName))
        return x11;
    qCInfo(lcPlatform) << "No X display: other programs' windows cannot be reached";
    return std::make_unique<NullDesktopBridge>();
}

} // namespace tavimo
