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
    CellGeometry g = cellGeometry(cell, kGalleryColumns);
    // The captions sit a unit lower than the main window's, the bar is wider.
    g.lblCall.translate(0, 1);
    g.lblFrom.translate(0, 1);
    g.lblConnect = g.lblFrom;
    g.picProg = QRect(g.shape1.left() + 10, g.shape1.top() + 107, 102, 6);
    g.bounds |= g.lblCall | g.lblFrom | g.picProg | galleryNumberLabel(cell);
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
