#pragma once

namespace tavimo {

// Distance and initial bearing from one position to another.
struct DistanceAzimuth {
    // Kilometres with their fraction, or whole miles (fraction dropped) when Units is 1.
    double Distance = 0;
    // Initial bearing in whole degrees (fraction dropped), clockwise from north, 0 to 359.
    double Azimuth = 0;
};

// Measures along the great ellipse of an ellipsoid with semi-axes 6378 km and
// 6356 km, from (Lat1, Lon1) to (Lat2, Lon2), degrees with north and east
// positive. Units 1 gives miles; any other value kilometres. Never NaN and
// never negative: identical points give distance 0 and bearing 90.
DistanceAzimuth DistanceAndAzimuth(double Lat1, double Lon1, double Lat2, double Lon2, int Units);

} // namespace tavimo
