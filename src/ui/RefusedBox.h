#pragma once

#include "core/geo/CoordinateText.h"

#include <QString>

class QLineEdit;

namespace tavimo {

// A text box whose text is refused shows it: a light red background and the
// reason as its tip. An empty `why` shows the box as usual again.
void showRefusal(QLineEdit &box, const QString &why);
bool showsRefusal(const QLineEdit &box);

// Why a position box is refused, in the user's language (English, Spanish,
// German, French, Dutch; English for another index). Empty when it is not.
QString coordinateRefusalText(CoordinateRefusal refusal, CoordinateAxis axis, int languageIndex);

// Says which value stands while a box is refused: the one the window opened
// with, as the box shows numbers.
QString keptWhileRefusedText(const QString &value, int languageIndex);

// Reads a position box by readCoordinateBox and shows a refusal on it.
CoordinateBox checkCoordinateBox(QLineEdit &box, CoordinateAxis axis, int languageIndex);

} // namespace tavimo
