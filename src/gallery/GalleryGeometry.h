#pragma once

// The gallery's grid and its two pages, without a widget.
//
// The gallery lays its 30 cells out as six rows of five in the main window's
// grid geometry (pitch 132 x 119 units, frames 130 x 117), on a surface
// (`pic15`) twice as high as the window's client area: the client area shows
// 363 units, three rows, and paging moves the surface up by up to 357 units
// (three rows of 119) to show the other three.
//
//     grid.setGridLayout(galleryGridLayout());
//     grid.setCellGeometryFor(galleryCellGeometry);
//     grid.makeCells(labelPoints, guiSize > 0);
//     for each cell i: cell->setNumberLabel(galleryNumberLabel(i), QString::number(i + 1), ...);
//     // on every resize and page move:
//     const UserScale scale(QSizeF(kGalleryScaleWidth, kGalleryScaleHeight), client->size());
//     pic15->setGeometry(0, scale.toPixelY(paging.top()), client->width(),
//                        scale.toPixelY(2 * kGalleryScaleHeight));

#include "core/thumbs/GridGeometry.h"

#include <QRect>

namespace tavimo {

inline constexpr int kGalleryScaleWidth = 670;
inline constexpr int kGalleryScaleHeight = 363; // the client area: three rows
inline constexpr int kGalleryColumns = 5;
inline constexpr int kGalleryRows = 6;

// The surface's layout: 30 cells in six rows of five, 670 x 726 units.
ThumbLayout galleryGridLayout();

// The parts of gallery cell `cell` (0 to 29, left to right, row by row) in the
// surface's units. The call and sender labels sit one unit lower than the main
// window's, the progress bar is wider, and the bounds take in the number
// label.
CellGeometry galleryCellGeometry(int cell);

// The cell's number label, at the frame's lower right.
QRect galleryNumberLabel(int cell);

// The window's outer size: as wide as the main window with five columns for
// `guiSize`, and as high as three rows need, frame included.
MainWindowSize gallerySize(const ScreenMetrics &screen, int guiSize, const FrameExtra &extra);

// Where the surface lies: page 1 at the top (0), page 2 three rows up (-357),
// and six steps of 59.5 units from one to the other (the Up and Down keys and
// the wheel). Every position reached is exact.
class GalleryPaging {
public:
    static constexpr double PageStep = 59.5;
    static constexpr double Page2Top = -357;

    double top() const { return top_; }
    // The page shown when the surface sits at the top or the bottom.
    void showPage1() { top_ = 0; }
    void showPage2() { top_ = Page2Top; }

    // One step towards page 1 or page 2; false at the end already.
    bool stepUp();
    bool stepDown();
    // The wheel turned by `delta` (120 per notch away from the user): one step
    // by the sign of the turn, whatever its size; nothing for no turn.
    bool wheel(int delta);

private:
    double top_ = 0;
};

} // namespace tavimo
