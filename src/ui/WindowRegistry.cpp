#include "ui/WindowRegistry.h"

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>

namespace tavimo {

namespace {

const QString kEscapeName = QStringLiteral("tavimoCloseOnEscape");

// Closes its window on Escape pressed anywhere inside it. It watches every
// key the program delivers, not the window alone: a widget inside that takes
// every key for itself (the web page of the street view) would otherwise
// never pass Escape on to its window.
class EscapeCloser : public QObject {
public:
    explicit EscapeCloser(QWidget &window) : QObject(&window), window_(window) {
        setObjectName(kEscapeName);
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape && watched->isWidgetType() &&
            static_cast<QWidget *>(watched)->window() == &window_) {
            window_.close();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget &window_;
};

} // namespace

void closeOnEscape(QWidget &window) {
    if (!window.findChild<QObject *>(kEscapeName, Qt::FindDirectChildrenOnly))
        new EscapeCloser(window);
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
