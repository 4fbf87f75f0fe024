#pragma once

// What a gallery shows and fetches, worked out without a window.
//
// A gallery shows the last 30 pictures a reception site keeps beside its
// current one: image1.jpg to image30.jpg in the folder of its picture. It is
// asked for a slot of the main window's page (the site shown there) or for a
// record of a site list; the request fixes which, once:
//
//     const GallerySite site = resolveGallerySite(request, state.page, state.SiteList,
//                                                 state.WxSiteList);
//     setWindowTitle(CenterCaption(galleryCaption(slotMode, site.callsign), widthTwips));
//     if (site.base)
//         for (int k = 1; k <= kGalleryCells; ++k)
//             fetcher.requestPicture(k - 1, site.index, galleryPictureUrl(*site.base, k),
//                                    site.callsign);
//     else
//         the pass ends at once: nothing will answer

#include "core/app/WindowRequests.h"
#include "core/sites/SiteRecord.h"
#include "core/text/Language.h"
#include "core/thumbs/PageState.h"

#include <QString>

#include <optional>

namespace tavimo {

inline constexpr int kGalleryCells = 30;

// The pictures' common beginning: the site's picture address without its
// "NoDelete" markers, less its last five characters ("…/image1.jpg" gives
// "…/image"). Nothing for an address too short to cut.
std::optional<QString> galleryBase(const QString &pictureUrl);

// Picture `k` (1 to 30) beside the base: base, k, ".jpg".
QString galleryPictureUrl(const QString &base, int k);

// The site a gallery shows.
struct GallerySite {
    int index = -1;              // the record in its list; -1 when no site matched
    QString callsign;            // as stored; "" when no site matched
    std::optional<QString> base; // nothing: no picture can be asked for

    bool operator==(const GallerySite &) const = default;
};

// Slot mode: the site the main window shows in that slot of its SSTV page
// (the one its slot table names, so of two records claiming the slot it is the
// one on the screen); none for an empty slot, a slot beyond the table or the
// WX page. Site mode: the record of the request's list; none out of range.
GallerySite resolveGallerySite(const GalleryRequest &request, const PageState &page,
                               const SiteList &sites, const WxSiteList &wxSites);

// The number in the hundreds of the gallery's picture keys: the slot in slot
// mode, 1 in site mode.
int galleryOwnerNumber(const GalleryRequest &request);

// The window caption before centring: "Images 1-30 on <callsign>'s site", in
// slot mode followed by "  --- Use Scroll Wheel ---".
QString galleryCaption(bool slotMode, const QString &callsign);

// The slot menu's item for a main-window slot whose callsign label reads
// `lblCall`: unchanged when it holds LngNewPicPrefix (or that text is empty),
// else with every LngCallSep as "  - ". "&" is doubled, so that the menu shows
// it rather than taking it for a shortcut mark.
QString slotMenuCaption(const QString &lblCall, const LanguageTexts &texts);

// Centres a window caption the way a left-aligned title bar needs it: the
// text without its outer blanks, preceded by half the blanks that the window's
// width (in twips) leaves beside the text's estimated width.
QString CenterCaption(const QString &caption, int windowWidthTwips);

} // namespace tavimo
