#include "stations/BusyPointer.h"

#include <QCursor>
#include <QGuiApplication>

namespace tavimo {

void BusyPointer::set() {
    if (set_)
        return;
    set_ = true;
    QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}

void BusyPointer::restore() {
    if (!set_)
        return;
    set_ = false;
    QGuiApplication::restoreOverrideCursor();
}

} // namespace tavimo
