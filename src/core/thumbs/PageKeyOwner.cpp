#include "core/thumbs/PageKeyOwner.h"

#include <utility>

namespace tavimo {

PageKeyOwner::PageKeyOwner(const PageState &page, const SiteList &sites, SlotCaption slotCaption)
    : page_(page), sites_(sites), slotCaption_(std::move(slotCaption)) {}

bool PageKeyOwner::requestStillFits(const std::optional<SlotRequest> &request,
                                    const SlotTarget &target) const {
    if (!request)
        return true;
    if (page_.isWxPage())
        return slotCaption_ && slotCaption_(target.slot) == request->call;
    return target.site >= 0 && target.site < sites_.size() &&
           storedCallsign(sites_[target.site].Callsign) == storedCallsign(request->call);
}

AnswerFit PageKeyOwner::fitCheck(const CheckKey &key,
                                 const std::optional<SlotRequest> &request) const {
    const std::optional<int> slot = shownSlot(key, page_);
    // Check keys carry no page: an answer asked for on another page is not
    // this pass's business, whatever the slot shows now.
    if (!slot || (request && request->owner != page_.CurrentPage))
        return {};
    const std::optional<SlotTarget> target = answerStillFits(key, page_, page_.SlotTable, sites_);
    if (target && requestStillFits(request, *target))
        return {slot, target};
    return {slot, std::nullopt};
}

AnswerFit PageKeyOwner::fitPicture(const PictureKey &key,
                                   const std::optional<SlotRequest> &request) const {
    const std::optional<int> slot = shownSlot(key, page_);
    if (!slot)
        return {};
    const std::optional<SlotTarget> target = answerStillFits(key, page_, page_.SlotTable, sites_);
    if (target && requestStillFits(request, *target))
        return {slot, target};
    return {slot, std::nullopt};
}

} // namespace tavimo
