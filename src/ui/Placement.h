#pragma once

#include "core/files/StoreSettings.h"

class QWidget;

namespace tavimo {

// The placement of a top-level window and its application to one.
WindowPlacement windowPlacement(const QWidget &window);
void applyWindowPlacement(QWidget &window, const WindowPlacement &placement);

} // namespace tavimo
