#pragma once

// From a slot's pop-up to a map: the region map that shows a position, the
// installed map picture for it, and the web-map addresses of the street and
// satellite views. The main window applies the answers:
//
//     // mnuMapLoc (position captured by the click)
//     const MapLocation where = ShowMapLocation(popUpPosition, state.lstMap);
//     MapName = where.MapName;
//     for (const QString &text : where.messages) state.prompts->message(text);
//     if (where.MapIndex) {
//         config.MapIndex = *where.MapIndex; // the map the site window keeps
//         opener.openSiteMap(*where.MapIndex, popUpPosition.SiteLat, popUpPosition.SiteLon);
//     }
//
//     // mnuStView(index)
//     if (const auto job = webMapJob(slotTable.value(SelectedSlot, stSiteCall), state.SiteList,
//                                    index == 0 ? WebMapView::Street : WebMapView::Satellite,
//                                    endpoints.WebMap))
//         opener.openWebMap(job->callsign, job->address);

#include "core/geo/SitePosition.h"
#include "core/sites/SiteRecord.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

// The region map whose box holds the position: "North America Map",
// "Australia Map", "New Zealand Map", "UK Map", "Europe Map", "Japan Map",
// "Asia Map", tried in this order with strict bounds, else "World Map".
QString ChooseRegionMap(double siteLat, double siteLon);

// A map list entry's map name: the file name less its extension (its last
// four characters).
QString mapNameOf(const QString &lstMapEntry);

// The entry of lstMap that shows `mapName`: the first whose map name is
// exactly `mapName`, else the first whose map name contains it
// (case-sensitive); nothing when none does.
std::optional<int> findMap(const QStringList &lstMap, const QString &mapName);

// "<map> not found", a line break, "Please install <map> in Tavimo]Maps folder".
QString mapNotFoundMessage(const QString &mapName);

struct MapLocation {
    QString MapName;             // the map shown, or the last one looked for
    QStringList messages;        // OK boxes to show, in order
    std::optional<int> MapIndex; // the lstMap entry to open; nothing opens without it
};

// The region map of the site, found in lstMap; when that map is not
// installed a message says so and the world map is tried, and when that is
// missing too a second message comes and nothing opens.
MapLocation ShowMapLocation(SitePosition site, const QStringList &lstMap);

enum class WebMapView { Street, Satellite };

struct WebMapJob {
    QString callsign; // the window's caption
    QString address;

    // StreetViewJob: callsign & "*" & address.
    QString StreetViewJob() const { return callsign + QStringLiteral("*") + address; }
    bool operator==(const WebMapJob &) const = default;
};

// The web-map path and query of a view of a position ("/maps?..."), the
// coordinates written with "." whatever the locale; empty coordinates give
// empty numbers.
QString webMapPath(WebMapView view, const QString &lat, const QString &lon);

// The view of the site shown in a slot: `slotCallsign` is its `stSiteCall`
// ("Ø" counts as "0"). The first SiteList record with exactly that callsign
// gives the position; a callsign no record has gives an address without
// coordinates. Nothing for an empty slot, a "TX" slot, or when the web map
// service is switched off (`webMapBase` empty). `webMapBase` is the service's
// root address ("http://maps.example.com/").
std::optional<WebMapJob> webMapJob(const QString &slotCallsign, const SiteList &sites,
                                   WebMapView view, const QString &webMapBase);

} // namespace tavimo
