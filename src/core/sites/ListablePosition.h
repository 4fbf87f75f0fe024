#pragma once

namespace tavimo {

struct SiteRecord;

// The farthest a latitude and a longitude reach from 0, in degrees.
inline constexpr double kLatitudeLimit = 90;
inline constexpr double kLongitudeLimit = 180;

// Which position the site lists keep. It is judged as a pair: both numbers finite, the
// latitude within -90..90 and the longitude within -180..180. Half of a broken pair is no
// place anyone meant, so it never stands on its own: 52 beside 200 is no position, not (52, 0).
// The list file, a new site from the maker's news and the news filling a site's unknown half
// all go through this one rule; the site dialogs refuse a box off the globe before they store.
bool isListablePosition(double latitude, double longitude);

// Gives the record the pair when the lists keep it, and otherwise no position (0, 0).
void setListedPosition(SiteRecord &record, double latitude, double longitude);

} // namespace tavimo
