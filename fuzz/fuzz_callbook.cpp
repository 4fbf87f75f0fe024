// Callbook record pages, grid locators typed or read from a page, and the
// street-view job handed to the web map.
#include "FuzzSupport.h"

#include "core/geo/GridLocator.h"
#include "core/geo/StreetViewJob.h"
#include "core/net/CallbookPage.h"

#include <cmath>

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes = input(data, size);
    const QString page = callbookPageText(bytes);
    HTMLDecode(page);
    cutStationCall(page.left(40));
    cutLookupCall(page.left(40));
    for (int db = 0; db <= 4; ++db) {
        bool found = false;
        callbook::cName(page, db, &found);
        callbook::Add1(page, db);
        callbook::Add2(page, db);
        callbook::Ctry(page, db);
        const double lat = callbook::Latitude(page, db);
        const double lon = callbook::Longitude(page, db);
        must(std::isfinite(lat) && std::abs(lat) <= 90, "a page latitude on the globe");
        must(std::isfinite(lon) && std::abs(lon) <= 180, "a page longitude on the globe");
        callbook::Class(page, db);
        callbook::PrevCall(page, db);
        callbook::DateOfBirth(page, db);
        callbook::Grid(page, db);
        callbook::WebAddress(page, db);
    }
    // A locator read back from its own centre names the same square.
    if (const std::optional<SitePosition> centre = GridToLatLon(page)) {
        const QString grid = LatLonToGrid(centre->SiteLat, centre->SiteLon);
        must(grid.isEmpty() || GridToLatLon(grid).has_value(), "a locator of a locator's centre");
    }
    parseStreetViewJob(page);
    return 0;
}
