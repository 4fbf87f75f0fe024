#include "core/sites/SiteGrid.h"

#include "core/sites/SlotMap.h"

#include <algorithm>

namespace tavimo {

int gridRows(qsizetype siteCount) {
    // One more than the rows the highest index needs beyond the first.
    const qsizetype highest = siteCount - 1;
    const qsizetype fullRows = highest <= 0 ? 0 : (highest + kGridColumns - 1) / kGridColumns;
    return int(fullRows) + 1;
}

int gridScrollMaximum(int rows) {
    return std::max(0, rows - kGridVisibleRows);
}

int clampTopRow(int topRow, int rows) {
    return std::clamp(topRow, 0, gridScrollMaximum(rows));
}

int wheelRows(int &pending, int angleDelta) {
    // A turn in the other direction starts afresh.
    if ((pending < 0 && angleDelta > 0) || (pending > 0 && angleDelta < 0))
        pending = 0;
    pending += angleDelta;
    const int notches = pending / kWheelNotch;
    pending -= notches * kWheelNotch;
    return -notches;
}

QString slotMapFor(const SiteRecord &site, int thumbSetting) {
    if (thumbSetting < 0 || thumbSetting >= int(site.SlotMap.size()))
        return {};
    return site.SlotMap[std::size_t(thumbSetting)];
}

int slotOnPage(const SiteRecord &site, bool wxList, const PageView &view) {
    if (wxList != view.isWxPage())
        return -1;
    const QString map = slotMapFor(site, view.thumbSetting);
    return wxList ? wxSlotIndex(map) : sstvSlotOnPage(map, view.currentPage);
}

QColor gridPlainCellColour() {
    return QColor(255, 255, 255);
}

QColor gridPlacedCellColour() {
    return QColor(175, 225, 255);
}

QColor gridTextColour() {
    return QColor(0, 0, 0);
}

QColor gridLineColour() {
    return QColor(200, 200, 200);
}

SiteGridCells::SiteGridCells(const SiteList *list, bool wxList, const PageView &view)
    : list_(list), siteCount_(list ? list->size() : 0), wxList_(wxList), view_(view),
      rows_(gridRows(siteCount_)) {}

SiteGridCell SiteGridCells::cell(qsizetype index) const {
    SiteGridCell cell;
    cell.index = index;
    const int row = int(index / kGridColumns);
    const int column = int(index % kGridColumns);
    cell.rect =
        QRect(column * kGridCellWidth, row * kGridRowPitch, kGridCellWidth - 1, kGridRowPitch - 1);
    if (list_ && index < siteCount_ && index < list_->size()) {
        const SiteRecord &site = list_->at(index);
        cell.text = site.Callsign;
        cell.placed = slotOnPage(site, wxList_, view_) >= 0;
    }
    cell.background = cell.placed ? gridPlacedCellColour() : gridPlainCellColour();
    cell.foreground = gridTextColour();
    return cell;
}

std::optional<SiteGridCell> SiteGridCells::at(qsizetype index) const {
    if (index < 0 || index >= size())
        return std::nullopt;
    return cell(index);
}

QList<SiteGridCell> SiteGridCells::cellsIn(const QRect &area) const {
    QList<SiteGridCell> cells;
    if (area.isEmpty() || rows_ == 0)
        return cells;
    const int firstRow = std::max(0, area.top() / kGridRowPitch);
    const int lastRow = std::min(rows_ - 1, area.bottom() / kGridRowPitch);
    const int firstColumn = std::max(0, area.left() / kGridCellWidth);
    const int lastColumn = std::min(kGridColumns - 1, area.right() / kGridCellWidth);
    for (int row = firstRow; row <= lastRow; ++row) {
        for (int column = firstColumn; column <= lastColumn; ++column)
            cells.append(cell(qsizetype(row) * kGridColumns + column));
    }
    return cells;
}

qsizetype SiteGridCells::indexAt(const QPoint &point) const {
    if (point.x() < 0 || point.y() < 0 || point.x() >= kGridColumns * kGridCellWidth)
        return -1;
    const qsizetype index =
        qsizetype(point.y() / kGridRowPitch) * kGridColumns + point.x() / kGridCellWidth;
    return index < size() ? index : -1;
}

} // namespace tavimo
