#pragma once

#include <QString>

namespace tavimo {

// A site's position; 0, 0 is none.
struct SitePosition {
    double SiteLat = 0;
    double SiteLon = 0;

    bool isSet() const { return SiteLat != 0 || SiteLon != 0; }
    bool operator==(const SitePosition &) const = default;
};

// True for a slot callsign that stands for a station's transmitted picture
// ("TX" first, case-sensitive): such a slot has no position features.
inline bool isTransmitCall(const QString &callsign) {
    return callsign.startsWith(QStringLiteral("TX"), Qt::CaseSensitive);
}

} // namespace tavimo
