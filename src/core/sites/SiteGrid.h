#pragma once

#include "core/sites/SiteRecord.h"

#include <QString>

namespace tavimo {

// The arithmetic of the site-selection grid: every site of one list as a cell,
// five to a row, twenty rows in view, scrolled a row at a time.
//
//     const int rows = gridRows(list.size());
//     scrollBar.setMaximum(gridScrollMaximum(rows));     // on every build
//     topRow = clampTopRow(topRow + step, rows);         // wheel, keys, bar
//     cell i shows list[i].Callsign, highlighted when slotOnPage(...) >= 0

inline constexpr int kGridColumns = 5;
inline constexpr int kGridVisibleRows = 20;
inline constexpr int kGridRowPitch = 21;   // pixels, the label height
inline constexpr int kGridCellWidth = 151; // pixels
inline constexpr int kWheelNotch = 120;    // angle delta of one wheel notch

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

} // namespace tavimo
