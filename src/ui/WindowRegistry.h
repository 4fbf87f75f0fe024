#pragma once

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace tavimo {

// The windows that are loaded now. Each window is created with
// WA_DeleteOnClose and registered under its name; it counts as loaded until
// it is destroyed, so nothing has to unregister it.
// Escape closes the window as its close box does, whatever the window does
// with other keys: the rule for every window but the main window. Applied
// once however often it is asked for.
void closeOnEscape(QWidget &window);

class WindowRegistry {
public:
    // Registers a window under a name ("PictureViewer"); a window registered
    // twice is counted once, under its latest name. Escape closes every
    // registered window.
    void add(const QString &name, QWidget *window);

    // How many loaded windows carry this name, ignoring letter case; an empty
    // name counts every loaded window.
    int IsFormLoaded(const QString &name) const;

    // The first loaded window of that name (letter case ignored), or null.
    QWidget *find(const QString &name) const;

    // Every loaded window, in the order they were registered.
    QList<QWidget *> loadedWindows() const;

private:
    struct Entry {
        QString name;
        QPointer<QWidget> window;
    };
    mutable QList<Entry> entries_;
    void prune() const;
};

} // namespace tavimo
