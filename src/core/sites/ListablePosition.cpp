#include "core/sites/ListablePosition.h"

#include "core/sites/SiteRecord.h"

#include <cmath>

namespace tavimo {

bool isListablePosition(double latitude, double longitude) {
    return std::isfinite(latitude) && std::isfinite(longitude) &&
           std::abs(latitude) <= kLatitudeLimit && std::abs(longitude) <= kLongitudeLimit;
}

void setListedPosition(SiteRecord &record, double latitude, double longitude) {
    const bool kept = isListablePosition(latitude, longitude);
    record.Latitude = kept ? latitude : 0;
    record.Longitude = kept ? longitude : 0;
}

} // namespace tavimo
