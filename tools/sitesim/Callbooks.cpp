#include "sitesim/Callbooks.h"

#include "core/geo/GridLocator.h"
#include "support/Fixtures.h"

#include <QUrl>
#include <QUrlQuery>

#include <algorithm>
#include <array>
#include <cmath>

namespace tavimo::sitesim {

namespace {

struct Town {
    double latitude;
    double longitude;
    const char16_t *name;
    const char16_t *country;
};

// Where the simulated sites stand; a site takes the nearest town.
constexpr std::array<Town, 26> kTowns = {{
    {52.37, 4.89, u"Amsterdam", u"Netherlands"},
    {51.51, -0.13, u"London", u"England"},
    {48.86, 2.35, u"Paris", u"France"},
    {40.42, -3.70, u"Madrid", u"Spain"},
    {41.90, 12.50, u"Roma", u"Italy"},
    {59.33, 18.07, u"Stockholm", u"Sweden"},
    {60.17, 24.94, u"Helsinki", u"Finland"},
    {50.45, 30.52, u"Kyiv", u"Ukraine"},
    {55.75, 37.62, u"Moskva", u"Russia"},
    {35.68, 139.69, u"Tokyo", u"Japan"},
    {37.57, 126.98, u"Seoul", u"South Korea"},
    {-33.87, 151.21, u"Sydney NSW", u"Australia"},
    {-36.85, 174.76, u"Auckland", u"New Zealand"},
    {1.35, 103.82, u"Singapore", u"Singapore"},
    {28.61, 77.21, u"New Delhi", u"India"},
    {-23.55, -46.63, u"S\u00E3o Paulo", u"Brazil"},
    {-34.60, -58.38, u"Buenos Aires", u"Argentina"},
    {19.43, -99.13, u"Ciudad de M\u00E9xico", u"Mexico"},
    {40.71, -74.01, u"New York, NY", u"United States"},
    {41.50, -81.70, u"Cleveland, OH", u"United States"},
    {34.05, -118.24, u"Los Angeles, CA", u"United States"},
    {49.28, -123.12, u"Vancouver, BC", u"Canada"},
    {61.22, -149.90, u"Anchorage, AK", u"United States"},
    {-33.92, 18.42, u"Cape Town", u"South Africa"},
    {30.04, 31.24, u"Cairo", u"Egypt"},
    {64.15, -21.94, u"Reykjav\u00EDk", u"Iceland"},
}};

constexpr std::array<const char16_t *, 8> kGivenNames = {
    u"Anna", u"Bram", u"Chlo\u00E9", u"Dmitri", u"Elif", u"Femi", u"Greta", u"Hiro",
};
constexpr std::array<const char16_t *, 7> kFamilyNames = {
    u"de Vries", u"Okafor", u"Lindqvist", u"Moreau", u"Tanaka", u"Silva", u"Novak",
};
constexpr std::array<const char16_t *, 5> kStreets = {
    u"Antenna Road", u"Dipole Lane", u"Coax Street", u"Yagi Way", u"Ground Plane Avenue",
};

const Town &nearestTown(double latitude, double longitude) {
    const Town *best = &kTowns[0];
    double bestDistance = 1e9;
    for (const Town &town : kTowns) {
        const double d = std::hypot(town.latitude - latitude, town.longitude - longitude);
        if (d < bestDistance) {
            bestDistance = d;
            best = &town;
        }
    }
    return *best;
}

test::CallbookStation stationAt(const QString &callsign, int number, double latitude,
                                double longitude) {
    const Town &town = nearestTown(latitude, longitude);
    test::CallbookStation station;
    station.callsign = callsign;
    station.name = QString::fromUtf16(kGivenNames[number % kGivenNames.size()]) + u' ' +
                   QString::fromUtf16(kFamilyNames[number % kFamilyNames.size()]);
    station.address1 = QString::number(10 + number * 7) + u' ' +
                       QString::fromUtf16(kStreets[number % kStreets.size()]);
    station.address2 = QString::fromUtf16(town.name);
    station.country = QString::fromUtf16(town.country);
    station.latitude = latitude;
    station.longitude = longitude;
    station.grid = LatLonToGrid(latitude, longitude);
    station.licenceClass = number % 2 ? QStringLiteral("General") : QStringLiteral("Extra");
    station.born = QString::number(1950 + number % 40);
    station.webPage = QStringLiteral("http://127.0.0.1/") + callsign.toLower();
    return station;
}

test::CallbookStation ownStation() {
    return stationAt(QString::fromLatin1(kOwnCallsign), 0, 52.09, 5.12);
}

std::optional<test::CallbookStation> findStation(const QString &callsign,
                                                 const QList<SstvSiteInfo> &sites) {
    if (callsign == QLatin1String(kOwnCallsign))
        return ownStation();
    for (const SstvSiteInfo &site : sites) {
        if (site.callsign == callsign)
            return callbookStation(site);
    }
    return std::nullopt;
}

test::Route htmlRoute(const QByteArray &body) {
    test::Route route;
    route.body = body;
    route.contentType = "text/html; charset=utf-8";
    return route;
}

// The picture of a site's callsign (lower case, "0" for zero), if it has one.
std::optional<test::Route> pictureAnswer(const QString &call, const QList<SstvSiteInfo> &sites) {
    for (const SstvSiteInfo &site : sites) {
        if (site.callsign.toLower() != call || !callbookStation(site) ||
            !hasStationPicture(site.number))
            continue;
        const bool wide = site.number % 2 == 1;
        const QSize size = wide ? QSize(240, 120) : QSize(120, 160);
        const QColor colour = QColor::fromHsv((site.number * 47) % 360, 90, 200);
        test::Route route;
        route.body = test::jpegBytes(size, colour, site.callsign);
        route.contentType = "image/jpeg";
        return route;
    }
    return std::nullopt;
}

} // namespace

CallbookEntry callbookEntry(int siteNumber) {
    switch ((siteNumber - 1) % 6) {
    case 3:
        return CallbookEntry::GridOnly;
    case 4:
        return CallbookEntry::SquareOnly;
    case 5:
        return CallbookEntry::Missing;
    default:
        return CallbookEntry::Full;
    }
}

std::optional<test::CallbookStation> callbookStation(const SstvSiteInfo &site) {
    const CallbookEntry entry = callbookEntry(site.number);
    if (entry == CallbookEntry::Missing)
        return std::nullopt;
    test::CallbookStation station =
        stationAt(site.callsign, site.number, site.latitude, site.longitude);
    if (entry != CallbookEntry::Full) {
        station.latitude.reset();
        station.longitude.reset();
    }
    if (entry == CallbookEntry::SquareOnly)
        station.grid = station.grid.left(4);
    return station;
}

bool hasStationPicture(int siteNumber) {
    return siteNumber % 4 != 0;
}

std::optional<test::Route> callbookAnswer(const QByteArray &target,
                                          const QList<SstvSiteInfo> &sites) {
    const QUrl url(QString::fromUtf8(target));
    const QString path = url.path(QUrl::FullyDecoded);
    static const std::array<QString, 3> kRoots = {QStringLiteral("/callbook/eham/"),
                                                  QStringLiteral("/callbook/qrz/"),
                                                  QStringLiteral("/callbook/hamdata/")};
    for (int database = 1; database <= 3; ++database) {
        const QString &root = kRoots[database - 1];
        if (!path.startsWith(root))
            continue;
        const QString rest = path.mid(root.size());
        if (rest.isEmpty())
            return htmlRoute(test::callbookHomePage(database));
        QString callsign;
        if (database == 1 && rest.startsWith(u"callbook/"))
            callsign = rest.mid(9);
        else if (database == 2 && rest.startsWith(u"db/"))
            callsign = rest.mid(3);
        else if (database == 3 && rest == u"getcall.html")
            callsign =
                QUrlQuery(url).queryItemValue(QStringLiteral("callsign"), QUrl::FullyDecoded);
        else
            return std::nullopt;
        callsign = callsign.toUpper();
        const std::optional<test::CallbookStation> station = findStation(callsign, sites);
        return htmlRoute(station ? test::callbookRecordPage(database, *station)
                                 : test::callbookNotFoundPage(database, callsign));
    }
    // "/qrzpics/<last character>/<call>/<call>.jpg"
    const QStringList parts = path.split(u'/');
    if (parts.size() == 5 && parts[1] == u"qrzpics" &&
        parts[4] == parts[3] + QStringLiteral(".jpg") && parts[2] == parts[3].right(1))
        return pictureAnswer(parts[3], sites);
    return std::nullopt;
}

} // namespace tavimo::sitesim
