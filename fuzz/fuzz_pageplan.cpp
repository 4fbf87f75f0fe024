// The page plan: which site goes into which slot of every page and layout,
// for lists read from the input, and fetching one slot again.
#include "FuzzSupport.h"

#include "core/sites/SiteLists.h"
#include "core/thumbs/PagePlan.h"
#include "core/thumbs/PageState.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString path = writeScratch(QStringLiteral("plan.lst"), input(data, size));
    const SiteList sites = readSiteList(path).sites;
    const WxSiteList wxSites = readWxSiteList(path).sites;
    const int slotCounts[] = {5, 10, 15, 24};
    for (int setting = 1; setting <= 4; ++setting) {
        const int slotCount = slotCounts[setting - 1];
        for (int page = 1; page <= kPageCount; ++page) {
            const bool wx = page == kPageCount;
            const PagePlan plan =
                wx ? planWxPage(wxSites, page, setting, slotCount)
                   : planSstvPage(sites, page, setting, slotCount, QStringLiteral("0"));
            must(plan.ExpectedCount() <= slotCount, "no more sites than slots");
            PageState state;
            state.CurrentPage = page;
            state.SlotCount = slotCount;
            plan.writeSlotTable(state.SlotTable);
            PassCounter pass;
            pass.start(plan.slotNumbers());
            for (int slot = 0; slot < 30; ++slot) {
                planSlotRefetch(slot, state, state.SlotTable, sites, wxSites, QString());
                pass.finish(slot);
            }
            must(pass.isComplete(), "every pass ends");
        }
    }
    return 0;
}
