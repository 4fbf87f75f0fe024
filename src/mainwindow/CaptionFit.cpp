#include "mainwindow/CaptionFit.h"

#include <QFontMetricsF>

#include <algorithm>

namespace tavimo {

double captionPoints(double labelPoints, int nominalWidth, QSize gridPixels,
                     const ThumbLayout &layout, const QFont &font) {
    if (labelPoints <= 0 || gridPixels.isEmpty() || layout.scaleWidth <= 0 ||
        layout.scaleHeight <= 0)
        return labelPoints;
    double points = labelPoints;
    if (nominalWidth > 0)
        points *= double(gridPixels.width()) / nominalWidth;

    const double lineRoom = CaptionLineUnits * double(gridPixels.height()) / layout.scaleHeight;
    QFont sized = font;
    // Line height grows about in step with the size; a few rounds settle the
    // rounding of the font's own metrics.
    for (int round = 0; round < 4 && points > 1; ++round) {
        sized.setPointSizeF(points);
        const double height = QFontMetricsF(sized).height();
        if (height <= lineRoom)
            break;
        points = std::max(1.0, points * lineRoom / height * 0.98);
    }
    return points;
}

} // namespace tavimo
