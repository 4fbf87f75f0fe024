#include "ui/Placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <limits>
#include <optional>

namespace tavimo {

namespace {

// X11 keeps window positions and sizes in 16 bits: a rectangle beyond them was
// never a window's, and its size would overflow an int.
constexpr qint64 kCoordinateLimit = 32767;

std::optional<QRect> plausibleRect(const WindowPlacement &p) {
    const qint64 left = p.Left, top = p.Top, right = p.Right, bottom = p.Bottom;
    const qint64 width = right - left, height = bottom - top;
    for (const qint64 edge : {left, top, right, bottom}) {
        if (edge < -kCoordinateLimit - 1 || edge > kCoordinateLimit)
            return std::nullopt;
    }
    if (width <= 0 || height <= 0 || width > kCoordinateLimit || height > kCoordinateLimit)
        return std::nullopt;
    return QRect(int(left), int(top), int(width), int(height));
}

std::int32_t clampedSum(int a, int b) {
    return std::int32_t(std::clamp<qint64>(qint64(a) + b, std::numeric_limits<std::int32_t>::min(),
                                           std::numeric_limits<std::int32_t>::max()));
}

} // namespace

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
    p.Right = clampedSum(normal.x(), normal.width());
    p.Bottom = clampedSum(normal.y(), normal.height());
    return p;
}

void applyWindowPlacement(QWidget &window, const WindowPlacement &p) {
    if (isFirstStartPlacement(p))
        return;
    if (std::optional<QRect> rect = plausibleRect(p)) {
        QRect &normal = *rect;
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

bool isFirstStartPlacement(const WindowPlacement &p) {
    return p.showCmd == WindowPlacement::Hidden;
}

QRect frameOnScreen(const QRect &frame, const QRect &available) {
    if (available.isEmpty())
        return frame;
    QRect placed = frame;
    // Right and bottom first, then left and top, so that a frame too large
    // for the area ends up with its title bar and left edge inside.
    if (placed.right() > available.right())
        placed.moveRight(available.right());
    if (placed.bottom() > available.bottom())
        placed.moveBottom(available.bottom());
    if (placed.left() < available.left())
        placed.moveLeft(available.left());
    if (placed.top() < available.top())
        placed.moveTop(available.top());
    return placed;
}

QRect centredFrame(QSize frame, const QRect &available) {
    QRect placed(QPoint(0, 0), frame);
    placed.moveCenter(available.center());
    return frameOnScreen(placed, available);
}

void placeFrameOnScreen(QWidget &window, bool centre) {
    if (window.windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized))
        return;
    const QRect frame = window.frameGeometry();
    const QScreen *screen =
        centre ? QGuiApplication::primaryScreen() : QGuiApplication::screenAt(frame.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const QRect placed =
        centre ? centredFrame(frame.size(), available) : frameOnScreen(frame, available);
    // move() places the frame, not the client area.
    if (placed.topLeft() != frame.topLeft())
        window.move(placed.topLeft());
}

} // namespace tavimo
