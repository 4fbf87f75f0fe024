#pragma once

class QPushButton;
class QWidget;

namespace tavimo {

class MainWindowAccess;

// Look and placement shared by the dialogs of the site lists.

// The light blue of the site dialogs' buttons.
void paintDialogButton(QPushButton *button);

// Puts `window` with its right edge on the main window's right edge and its top on the main
// window's top, shifted by `rightOffset` pixels to the left. Centred on the screen when there
// is no main window or it is minimised (and `centreWhenMinimised`).
void placeBesideMain(QWidget &window, MainWindowAccess *main, int rightOffset = 0,
                     bool centreWhenMinimised = true);

} // namespace tavimo
