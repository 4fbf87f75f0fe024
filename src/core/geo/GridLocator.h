#pragma once

// Maidenhead grid locators: the six characters radio amateurs give for a
// position (field letters upper case, square digits, subsquare letters lower
// case), and back.

#include "core/geo/SitePosition.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tavimo {

// The six-character locator of a position in degrees, north and east
// positive. A position on a cell edge belongs to the cell north or east of
// it; latitude 90 and longitude 180 fall in the last cell of the grid (the
// RR99xx corner), since no cell lies beyond them. Empty for a position outside
// -90..90 and -180..180 or not finite.
QString LatLonToGrid(double latitude, double longitude);

// The centre of the locator found in `text`: the last locator-shaped word in
// it (letter case and surrounding blanks do not matter, "Grid JO62qm" reads
// JO62qm). A six-character locator gives the centre of its subsquare, a
// four-character square the centre of the square (FN42 gives 42.5, -71).
// Nothing when the text holds no valid locator ("SS00aa", "", "n/a").
std::optional<SitePosition> GridToLatLon(QStringView text);

// The grid label of the own-position window: the grid word, ":", three blanks
// and the locator; empty when the position has no locator.
QString gridLabelText(const QString &LngGrid, double latitude, double longitude);

} // namespace tavimo
