#pragma once

#include "core/files/Config.h"
#include "core/sites/SlotTable.h"

#include <QString>

namespace tavimo {

// The page on show and the bookkeeping of the pass over it.
struct PageState {
    int PageCount = kPageCount;
    int CurrentPage = 1; // 1..10 SSTV pages; PageCount is the WX page
    int SlotCount = 10;  // cells of the grid: 5, 10, 15 or 24
    int SelectedSlot = 0;
    int ExpectedCount = 0;
    int FinishedCount = 0;
    bool Online = false;
    bool UpdateCheckPending = true;
    tavimo::SlotTable SlotTable;

    bool isWxPage() const { return CurrentPage >= PageCount; }
};

} // namespace tavimo
