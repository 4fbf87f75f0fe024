#pragma once

#include "core/sites/SiteRecord.h"
#include "core/thumbs/PageState.h"
#include "core/thumbs/SlotFetcher.h"

#include <QString>

#include <functional>

namespace tavimo {

// The main window's page as the owner of its fetcher's keys. Answers of
// another page, or of a slot beyond the grid, are ignored; answers whose slot
// shows another site by now, or whose check picture was asked for on another
// page, are dropped. A WX slot's site is known only by the name its caption
// shows, so the page asks the grid for it.
class PageKeyOwner final : public KeyOwner {
public:
    using SlotCaption = std::function<QString(int slot)>;

    // Every reference must outlive this object.
    PageKeyOwner(const PageState &page, const SiteList &sites, SlotCaption slotCaption);

    int ownerNumber() const override { return page_.CurrentPage; }
    AnswerFit fitCheck(const CheckKey &key,
                       const std::optional<SlotRequest> &request) const override;
    AnswerFit fitPicture(const PictureKey &key,
                         const std::optional<SlotRequest> &request) const override;

private:
    bool requestStillFits(const std::optional<SlotRequest> &request,
                          const SlotTarget &target) const;

    const PageState &page_;
    const SiteList &sites_;
    SlotCaption slotCaption_;
};

} // namespace tavimo
