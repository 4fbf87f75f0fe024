#pragma once

#include <QColor>
#include <QPalette>
#include <QString>

namespace tavimo {

// A background the program fixes (a cream window, a light blue button, a pink box) stays light
// whatever the desktop's scheme, so the text on it is fixed with it: dark, and a mid grey when
// disabled. Left to the palette, a dark scheme writes near-white text on the light fill.
// `background` is Window, Button or Base; the text role that stands on it (WindowText,
// ButtonText, Text) is set in every colour group.
void setFixedBackground(QPalette &palette, QPalette::ColorRole background, const QColor &colour);

// The same text for push buttons whose style sheet paints their fill, as style sheet rules:
// a widget under a style sheet takes its text from the application's palette, not its own.
QString fixedButtonTextStyle();

// A label drawn in the desktop's tool-tip colour takes the tool tips' text with it, in every
// colour group: Window becomes ToolTipBase and WindowText ToolTipText. A dark scheme pairs a
// dark tool-tip fill with light text, on which the window's dark text would not show.
void setToolTipColours(QPalette &palette);

// The dark text on every fixed background.
inline constexpr QRgb kTextOnFixedBackground = 0xff000000;

} // namespace tavimo
