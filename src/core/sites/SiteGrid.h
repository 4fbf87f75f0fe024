#pragma once

#include "core/sites/SiteRecord.h"

#include <QColor>
#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

namespace tavimo {

// The arithmetic of the site-selection grid: every site of one list as a cell,
// five to a row, twenty rows in view, scrolled a row at a time.
//
//     const int rows = gridRows(list.size());
//     scrollBar.setMaximum(gridScrollMaximum(rows));     // on every build
//     topRow = clampTopRow(topRow + step, rows);         // wheel, keys, bar
//     SiteGridCells cells(&list, wxList, view);          // what every cell shows

inline constexpr int kGridColumns = 5;
inline constexpr int kGridVisibleRows = 20;
inline constexpr int kGridRowPitch = 21;   // pixels, a row
inline constexpr int kGridCellWidth = 151; // pixels
inline constexpr int kWheelNotch = 120;    // angle delta of one wheel notch
inline constexpr int kGridTextIndent = 4;  // pixels from the cell's left edge to its text

// Rows for a list of siteCount sites: enough for every site, and one empty row
// at the end unless the last row starts with the last site. An empty list has
// one empty row, so the grid is never without cells (and offers no pick).
int gridRows(qsizetype siteCount);

// The highest top row: the one that shows the last twenty rows. Never
// negative, so a short list does not move.
int gridScrollMaximum(int rows);

// topRow kept within 0 and gridScrollMaximum(rows).
int clampTopRow(int topRow, int rows);

// The rows a wheel turn moves, toward the end of the list when positive. Turns
// are collected in `pending` until they make a whole notch, so a fine-grained
// wheel or touchpad scrolls as far as a notched wheel turned the same way.
// `angleDelta` is Qt's: negative when the wheel turns toward the user.
int wheelRows(int &pending, int angleDelta);

// What the main window and the dialogs need to know about the page shown.
struct PageView {
    int currentPage = 1; // 1..10 SSTV pages; pageCount is the WX page
    int pageCount = 11;
    int thumbSetting = 2; // 1..4, the slot map in force

    bool isWxPage() const { return currentPage >= pageCount; }
};

// The slot-map text of a record for a thumbnail setting; empty outside 0..4.
QString slotMapFor(const SiteRecord &site, int thumbSetting);

// The slot a site of the SSTV list (wxList false) or the WX list holds on the
// page shown, -1 when it holds none there. A site of the other page's list
// holds none.
int slotOnPage(const SiteRecord &site, bool wxList, const PageView &view);

// The colours of the grid. The cells have fixed backgrounds, so the text has a
// fixed colour too: a dark desktop theme must not write light text on white.
QColor gridPlainCellColour();  // white
QColor gridPlacedCellColour(); // RGB(175, 225, 255): the site holds a slot of the page shown
QColor gridTextColour();       // black
QColor gridLineColour();       // the lines between the cells

// What one cell of the grid shows. The grid paints exactly this, and it is what
// a test reads to see the grid.
struct SiteGridCell {
    qsizetype index = -1; // row x 5 + column, the site's index in the list
    QRect rect;           // in the grid, one pixel short of the pitch for the lines between
    QString text;         // the callsign as stored; empty beyond the list
    bool placed = false;  // the site holds a slot of the page shown
    QColor background;
    QColor foreground;
};

// The cells of one build of the grid, read from the list when asked, so that
// nothing is kept per site. The list must outlive this; a change of it is
// followed by a new build, and until then a site beyond the list of the build
// shows as an empty cell.
class SiteGridCells {
public:
    SiteGridCells() = default;
    SiteGridCells(const SiteList *list, bool wxList, const PageView &view);

    int rows() const { return rows_; }
    qsizetype size() const { return qsizetype(rows_) * kGridColumns; }
    bool wxList() const { return wxList_; }

    // Cell `index`, none outside the grid.
    std::optional<SiteGridCell> at(qsizetype index) const;
    // The cells `area` (in the grid) touches, row by row.
    QList<SiteGridCell> cellsIn(const QRect &area) const;
    // The cell under `point`, -1 outside the cells.
    qsizetype indexAt(const QPoint &point) const;

private:
    SiteGridCell cell(qsizetype index) const;

    const SiteList *list_ = nullptr;
    qsizetype siteCount_ = 0; // sites of the list at the build
    bool wxList_ = false;
    PageView view_;
    int rows_ = 0;
};

} // namespace tavimo
