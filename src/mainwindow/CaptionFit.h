#pragma once

#include "core/thumbs/GridGeometry.h"

#include <QFont>
#include <QSize>

namespace tavimo {

// The point size of the thumbnail captions for a grid of `gridPixels`
// showing `layout`. The window size gives `labelPoints` for a grid
// `nominalWidth` pixels wide; a grid made wider or narrower by hand scales
// the captions with it. The callsign line and the sender line below it share
// 24 units of height, so each gets at most half: a font that would need more
// there is made smaller until the two lines no longer touch.
double captionPoints(double labelPoints, int nominalWidth, QSize gridPixels,
                     const ThumbLayout &layout, const QFont &font);

// Units of height that one caption line may take.
inline constexpr int CaptionLineUnits = 12;

} // namespace tavimo
