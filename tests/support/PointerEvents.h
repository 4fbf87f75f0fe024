#pragma once

// The pointer on a thumbnail cell, as the main window's and the gallery's
// tests drive it.

#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

namespace tavimo::test {

// The part of a cell that takes the pointer: the animation when it shows.
inline QWidget *pointerPart(ThumbCell &cell) {
    return cell.AniGIF()->isHidden() ? static_cast<QWidget *>(cell.img) : cell.AniGIF();
}

// A mouse event of `type` at (5, 5) of `target`.
inline void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                      Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(5, 5);
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseMove ? Qt::MouseButtons() : button, modifiers);
    QApplication::sendEvent(target, &event);
}

// A wheel turn over `target`, delivered where Qt delivers a turn that did not
// come from the platform: to the window.
inline void sendWheel(QWidget *target, int delta) {
    QWidget *window = target->window();
    const QPointF at = target->mapTo(window, QPoint(2, 2));
    QWheelEvent event(at, window->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(window, &event);
}

} // namespace tavimo::test
