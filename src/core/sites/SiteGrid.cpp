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

} // namespace tavimo
