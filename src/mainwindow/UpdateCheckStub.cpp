#include "mainwindow/MainWindow.h"

namespace tavimo {

// Stands in until the update check is built: the end of the first pass calls it.
void MainWindow::CheckForUpdates() {}

} // namespace tavimo
