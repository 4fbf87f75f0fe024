#include "sites/DialogLook.h"

#include "core/app/MainWindowAccess.h"
#include "ui/FixedColours.h"
#include "ui/FramePlacement.h"

#include <QPushButton>

namespace tavimo {

void paintDialogButton(QPushButton *button) {
    if (!button)
        return;
    QPalette palette = button->palette();
    setFixedBackground(palette, QPalette::Button, QColor(152, 185, 255));
    button->setPalette(palette);
    button->setAutoFillBackground(true);
}

void placeBesideMain(QWidget &window, MainWindowAccess *main, int rightOffset,
                     bool centreWhenMinimised) {
    placeBesideWindow(window, main ? main->window() : nullptr, rightOffset, centreWhenMinimised);
}

} // namespace tavimo
