#pragma once

#include <QRect>
#include <QRectF>
#include <QSize>

namespace tavimo {

// Where a picture of `picture` pixels goes in a cell whose frame is `shape1`
// (window units): fitted into 118 x 88 units with its aspect kept, centred on
// the picture area. Wide pictures (height below 0.75 of the width) fill the
// width, the others the height. Empty for an empty picture.
QRectF fitPictureInCell(QSize picture, const QRect &shape1);

} // namespace tavimo
