#include "core/geo/StreetViewJob.h"

#include "core/base/Numbers.h"

#include <QUrl>

#include <algorithm>

namespace tavimo {

namespace {

bool isWebAddress(const QString &address) {
    const QUrl url(address, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    return url.isValid() && (scheme == u"http" || scheme == u"https") && !url.host().isEmpty();
}

} // namespace

WebMapView webMapViewOf(const QString &address) {
    return address.contains(QStringLiteral("layer")) ? WebMapView::Street : WebMapView::Satellite;
}

StreetViewJob parseStreetViewJob(const QString &job) {
    StreetViewJob parsed;
    const qsizetype star = job.indexOf(u'*');
    if (star < 0) {
        parsed.address = job;
        return parsed;
    }
    parsed.callsign = job.left(star);
    parsed.address = job.mid(star + 1);
    parsed.view = webMapViewOf(parsed.address);
    parsed.valid = isWebAddress(parsed.address);
    return parsed;
}

std::optional<SitePosition> webMapSitePosition(const QString &callsign, bool wxPage,
                                               const SiteList &sites) {
    if (wxPage)
        return std::nullopt;
    const QString call = storedCallsign(callsign);
    for (const SiteRecord &site : sites) {
        if (site.Callsign != call)
            continue;
        const SitePosition position{site.Latitude, site.Longitude};
        if (!position.isSet())
            return std::nullopt;
        return position;
    }
    return std::nullopt;
}

QSize webMapWindowSize(const QSize &screenPixels) {
    // The room left beside the window on a wide screen.
    constexpr double kSideRoom = 380;
    const double screenWidth = screenPixels.width();
    const double screenHeight = screenPixels.height();
    double height = 0.9 * screenHeight;
    double width = 1.6 * height;
    if (width + kSideRoom > screenWidth) {
        width = screenWidth - kSideRoom;
        height = width / 16 * 10;
    }
    // A screen narrower than the side room would give no window at all.
    const int w = std::clamp(int(roundHalfEven(width)), std::min(160, screenPixels.width()),
                             std::max(1, screenPixels.width()));
    const int h = std::clamp(int(roundHalfEven(height)), std::min(100, screenPixels.height()),
                             std::max(1, screenPixels.height()));
    return {w, h};
}

} // namespace tavimo
