#include "gallery/GalleryGeometry.h"

#include "gallery/GalleryPlan.h"

namespace tavimo {

namespace {

// The three-row setting of the main window: the gallery takes its width and
// its height per width.
constexpr int kThreeRowSetting = 3;

} // namespace

ThumbLayout galleryGridLayout() {
    ThumbLayout layout;
    layout.setting = 0;
    layout.slotCount = kGalleryCells;
    layout.gridRows = kGalleryRows;
    layout.gridCols = kGalleryColumns;
    layout.heightFactor = 0;
    layout.scaleWidth = kGalleryScaleWidth;
    layout.scaleHeight = 2 * kGalleryScaleHeight;
    return layout;
}

CellGeometry galleryCellGeometry(int cell) {
    const QPoint o = cellOrigin(cell, kGalleryColumns);
    const int x = o.x();
    const int y = o.y();
    CellGeometry g;
    g.shape1 = QRect(x, y, CellWidth, CellHeight);
    g.line1 = QLineF(x, y, x, y + CellHeight);
    g.line2 = QLineF(x, y, x + CellWidth, y);
    g.img = QRect(x + 4, y + 4, 120, 90);
    g.imgAfterPageSwitch = QRect(x + 5, y + 5, 120, 90);
    g.lblCall = QRect(x, y + 96, 130, 15);
    g.lblFrom = QRect(x + 15, y + 105, 100, 15);
    g.lblConnect = g.lblFrom;
    g.picProg = QRect(x + 10, y + 107, 102, 6);
    g.bounds = g.shape1 | g.img | g.imgAfterPageSwitch | g.lblCall | g.lblFrom | g.picProg |
               galleryNumberLabel(cell);
    return g;
}

QRect galleryNumberLabel(int cell) {
    const QPoint o = cellOrigin(cell, kGalleryColumns);
    return QRect(o.x() + 113, o.y() + 100, 15, 14);
}

MainWindowSize gallerySize(const ScreenMetrics &screen, int guiSize, const FrameExtra &extra) {
    return mainWindowSize(screen, guiSize, thumbLayout(kThreeRowSetting).value_or(ThumbLayout{}),
                          extra);
}

bool GalleryPaging::stepUp() {
    if (top_ >= -1)
        return false;
    top_ += PageStep;
    return true;
}

bool GalleryPaging::stepDown() {
    if (top_ <= -356)
        return false;
    top_ -= PageStep;
    return true;
}

bool GalleryPaging::wheel(int delta) {
    if (delta > 0)
        return stepUp();
    if (delta < 0)
        return stepDown();
    return false;
}

} // namespace tavimo
