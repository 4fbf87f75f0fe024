#include "core/geo/MapHandOver.h"

#include "core/base/Numbers.h"

#include <array>

namespace tavimo {

namespace {

struct RegionBox {
    const char *name;
    double lonLow, lonHigh;
    double latLow, latHigh;
};

// Smaller maps come before the larger ones that hold them.
constexpr std::array<RegionBox, 7> kRegionBoxes{{
    {"North America Map", -135, -55, 9, 55},
    {"Australia Map", 122, 155, -45, -10},
    {"New Zealand Map", 166, 179, -48, -33},
    {"UK Map", -12, 3, 49, 60},
    {"Europe Map", -23, 54, 29, 60},
    {"Japan Map", 126, 148, 25, 45},
    {"Asia Map", 54, 148, -26, 62},
}};

const QString kWorldMap = QStringLiteral("World Map");

} // namespace

QString ChooseRegionMap(double siteLat, double siteLon) {
    for (const RegionBox &box : kRegionBoxes) {
        if (siteLon > box.lonLow && siteLon < box.lonHigh && siteLat > box.latLow &&
            siteLat < box.latHigh)
            return QString::fromLatin1(box.name);
    }
    return kWorldMap;
}

QString mapNameOf(const QString &lstMapEntry) {
    return lstMapEntry.left(qMax<qsizetype>(0, lstMapEntry.size() - 4));
}

std::optional<int> findMap(const QStringList &lstMap, const QString &mapName) {
    // The exact name first: only the eight known names have a projection, so
    // "Central Europe Map" listed earlier must not win over "Europe Map".
    for (int i = 0; i < lstMap.size(); ++i) {
        if (mapNameOf(lstMap.at(i)) == mapName)
            return i;
    }
    for (int i = 0; i < lstMap.size(); ++i) {
        if (mapNameOf(lstMap.at(i)).contains(mapName, Qt::CaseSensitive))
            return i;
    }
    return std::nullopt;
}

QString mapNotFoundMessage(const QString &mapName) {
    return mapName + QStringLiteral(" not found\nPlease install ") + mapName +
           QStringLiteral(" in Tavimo]Maps folder");
}

MapLocation ShowMapLocation(SitePosition site, const QStringList &lstMap) {
    MapLocation result;
    result.MapName = ChooseRegionMap(site.SiteLat, site.SiteLon);
    result.MapIndex = findMap(lstMap, result.MapName);
    if (result.MapIndex)
        return result;
    result.messages.append(mapNotFoundMessage(result.MapName));
    if (result.MapName == kWorldMap)
        return result; // the same message twice would tell nothing new
    result.MapName = kWorldMap;
    result.MapIndex = findMap(lstMap, result.MapName);
    if (!result.MapIndex)
        result.messages.append(mapNotFoundMessage(result.MapName));
    return result;
}

QString webMapPath(WebMapView view, const QString &lat, const QString &lon) {
    if (view == WebMapView::Street) {
        return QStringLiteral("/maps?q=&layer=c&cbll=") + lat + QStringLiteral(",") + lon +
               QStringLiteral("&cbp=12,0,0,0,0");
    }
    return QStringLiteral("/maps?q=") + lat + QStringLiteral(",") + lon +
           QStringLiteral("&t=h&z=18");
}

std::optional<WebMapJob> webMapJob(const QString &slotCallsign, const SiteList &sites,
                                   WebMapView view, const QString &webMapBase) {
    const QString call = storedCallsign(slotCallsign);
    if (call.isEmpty() || isTransmitCall(call) || webMapBase.isEmpty())
        return std::nullopt;
    QString lat;
    QString lon;
    for (const SiteRecord &site : sites) {
        if (site.Callsign == call) {
            lat = numberText(site.Latitude);
            lon = numberText(site.Longitude);
            break;
        }
    }
    QString base = webMapBase;
    while (base.endsWith(u'/'))
        base.chop(1);
    return WebMapJob{call, base + webMapPath(view, lat, lon)};
}

} // namespace tavimo
