#include "ui/WindowRegistry.h"

#include <QKeySequence>
#include <QShortcut>

namespace tavimo {

namespace {

const QString kEscapeName = QStringLiteral("tavimoCloseOnEscape");

} // namespace

void closeOnEscape(QWidget &window) {
    if (window.findChild<QShortcut *>(kEscapeName, Qt::FindDirectChildrenOnly))
        return;
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    escape->setObjectName(kEscapeName);
    escape->setContext(Qt::WindowShortcut);
    QObject::connect(escape, &QShortcut::activated, &window, &QWidget::close);
}

void WindowRegistry::prune() const {
    entries_.removeIf([](const Entry &entry) { return entry.window.isNull(); });
}

void WindowRegistry::add(const QString &name, QWidget *window) {
    if (!window)
        return;
    prune();
    entries_.removeIf([window](const Entry &entry) { return entry.window == window; });
    entries_.append({name, window});
    closeOnEscape(*window);
}

int WindowRegistry::IsFormLoaded(const QString &name) const {
    prune();
    if (name.isEmpty())
        return static_cast<int>(entries_.size());
    int count = 0;
    for (const Entry &entry : entries_) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            ++count;
    }
    return count;
}

QWidget *WindowRegistry::find(const QString &name) const {
    prune();
    for (const Entry &entry : entries_) {
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return entry.window;
    }
    return nullptr;
}

QList<QWidget *> WindowRegistry::loadedWindows() const {
    prune();
    QList<QWidget *> windows;
    for (const Entry &entry : entries_)
        windows.append(entry.window);
    return windows;
}

} // namespace tavimo
