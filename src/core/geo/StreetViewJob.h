#pragma once

// What the street and satellite view window decides before it shows anything:
// the job it is handed, whether the site has a position to show, and its size.
//
//     const StreetViewJob job = parseStreetViewJob(request.StreetViewJob);
//     if (!job.valid) { /* refuse with a message */ }
//     if (!webMapSitePosition(job.callsign, request.wxPage, state.SiteList))
//         { /* "No position known for ??" */ }
//     window.resize(webMapWindowSize(screen->size()));

#include "core/geo/MapHandOver.h"
#include "core/geo/SitePosition.h"
#include "core/sites/SiteRecord.h"

#include <QSize>
#include <QString>

#include <optional>

namespace tavimo {

// The view an address asks for: the street view's address holds "layer".
WebMapView webMapViewOf(const QString &address);

struct StreetViewJob {
    QString callsign; // the text before the first "*"
    QString address;  // the text after it
    WebMapView view = WebMapView::Satellite;
    // False for a job without "*" and for an address that is not an http or
    // https address with a host: such a job opens nothing.
    bool valid = false;
};

// Splits `StreetViewJob` (callsign, "*", address) at its first "*".
StreetViewJob parseStreetViewJob(const QString &StreetViewJob);

// The position of the site the view is asked for: the first SiteList record
// whose callsign equals `callsign` ("Ø" counts as "0"). Nothing on the WX page
// (its sites are not in SiteList, so an address built for one has no
// coordinates), for a callsign no record has, and for a record at 0, 0.
std::optional<SitePosition> webMapSitePosition(const QString &callsign, bool wxPage,
                                               const SiteList &sites);

// The window's size on a screen of that many pixels: 0.9 of the screen's
// height, 1.6 times as wide; when that leaves less than 380 pixels of the
// screen's width free, the screen's width less 380 at a ratio of 16 to 10.
// Whole pixels, halves rounded to even. Never larger than the screen.
QSize webMapWindowSize(const QSize &screenPixels);

} // namespace tavimo
