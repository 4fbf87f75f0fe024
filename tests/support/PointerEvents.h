#pragma once

// The pointer on a thumbnail cell, as the main window's and the gallery's
// tests drive it.

#include "ui/AnimatedPicture.h"
#include "ui/ThumbCell.h"

#include <QApplication>
#include <QMouseEvent>

namespace tavimo::test {

// The part of a cell that takes the pointer: the animation when it shows.
inline QWidget *pointerPart(ThumbCell &cell) {
    return cell.AniGIF->isHidden() ? static_cast<QWidget *>(cell.img) : cell.AniGIF;
}

// A mouse event of `type` at (5, 5) of `target`.
inline void sendMouse(QWidget *target, QEvent::Type type, Qt::MouseButton button,
                      Qt::KeyboardModifiers modifiers = {}) {
    const QPointF at(5, 5);
    QMouseEvent event(type, at, target->mapToGlobal(at), button,
                      type == QEvent::MouseMove ? Qt::MouseButtons() : button, modifiers);
    QApplication::sendEvent(target, &event);
}

} // namespace tavimo::test
