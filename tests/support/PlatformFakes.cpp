#include "support/PlatformFakes.h"

#include "platform/Keystrokes.h"

namespace tavimo::test {

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

} // namespace tavimo::test
