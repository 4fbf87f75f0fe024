#include "ui/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace tavimo {

WindowPlacement windowPlacement(const QWidget &window) {
    WindowPlacement p;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        p.showCmd = WindowPlacement::Minimized;
        if (state & Qt::WindowMaximized)
            p.flags = WindowPlacement::RestoreToMaximized;
    } else if (state & Qt::WindowMaximized) {
        p.showCmd = WindowPlacement::Maximized;
    } else {
        p.showCmd = window.isVisible() ? WindowPlacement::Normal : WindowPlacement::Hidden;
    }
    QRect normal = window.normalGeometry();
    if (normal.isEmpty())
        normal = window.geometry();
    p.Left = normal.x();
    p.Top = normal.y();
    p.Right = normal.x() + normal.width();
    p.Bottom = normal.y() + normal.height();
    return p;
}

void applyWindowPlacement(QWidget &window, const WindowPlacement &p) {
    QRect normal(p.Left, p.Top, p.Right - p.Left, p.Bottom - p.Top);
    if (normal.width() > 0 && normal.height() > 0) {
        // A monitor that has gone away must not take the window with it.
        if (!QGuiApplication::screenAt(normal.center()) && QGuiApplication::primaryScreen())
            normal.moveTopLeft(QGuiApplication::primaryScreen()->availableGeometry().topLeft());
        window.setGeometry(normal);
    }
    switch (p.showCmd) {
    case WindowPlacement::Maximized:
        window.setWindowState(Qt::WindowMaximized);
        break;
    case WindowPlacement::Minimized:
    case WindowPlacement::Minimize:
    case WindowPlacement::MinimizedNoActivate:
        window.setWindowState(p.flags & WindowPlacement::RestoreToMaximized
                                  ? Qt::WindowMinimized | Qt::WindowMaximized
                                  : Qt::WindowMinimized);
        break;
    default:
        window.setWindowState(Qt::WindowNoState);
        break;
    }
}

} // namespace tavimo
