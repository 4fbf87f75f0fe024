#include "mainwindow/CaptionFit.h"

#include <QFontMetrics>

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

    // Whole pixels, as the labels are placed: the two lines share what the
    // 24 units come to, less a pixel for the rounding of the labels' edges.
    const int shared = int(2 * CaptionLineUnits * double(gridPixels.height()) / layout.scaleHeight);
    const int lineRoom = std::max(1, (shared - 1) / 2);
    QFont sized = font;
    // Line height grows about in step with the size; a few rounds settle the
    // rounding of the font's own metrics.
    for (int round = 0; round < 8 && points > 1; ++round) {
        sized.setPointSizeF(points);
        const int height = QFontMetrics(sized).height();
        if (height <= lineRoom)
            break;
        points = std::max(1.0, points * std::min(0.95, double(lineRoom) / height));
    }
    return points;
}

} // namespace tavimo
