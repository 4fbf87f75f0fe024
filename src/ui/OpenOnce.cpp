#include "ui/OpenOnce.h"

namespace tavimo {

void raiseWindow(QWidget *window) {
    if (!window)
        return;
    if (window->isMinimized())
        window->showNormal();
    else
        window->show();
    window->raise();
    window->activateWindow();
}

} // namespace tavimo
