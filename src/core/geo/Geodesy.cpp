#include "core/geo/Geodesy.h"

#include <algorithm>
#include <cmath>

namespace tavimo {

namespace {

// The published distances were worked out with this eight-decimal value; the
// full-precision constant would move them in the third decimal.
constexpr double pi = 3.14159265;
constexpr double degreeFactor = pi / 180;
constexpr double a = 6378; // km, semi-major axis
constexpr double b = 6356; // km, semi-minor axis
constexpr double K = (b * b) / (a * a);
constexpr double mileDivisor = 1.609;

// Quadrant angle of (x, y) in (-pi, pi], with pi / 2 for the origin.
double AngleOf(double y, double x) {
    const double Y = std::abs(y);
    const double X = std::abs(x);
    if (Y == 0 && X == 0)
        return pi / 2;
    double angle = Y > X ? pi / 2 - std::atan(X / Y) : std::atan(Y / X);
    if (x < 0)
        angle = pi - angle;
    if (y < 0)
        angle = -angle;
    return angle;
}

// The angle whose tangent is f times the tangent of alpha, in alpha's quadrant.
double ScaledAngle(double alpha, double f) {
    return AngleOf(f * std::sin(alpha), std::cos(alpha));
}

} // namespace

DistanceAzimuth DistanceAndAzimuth(double Lat1, double Lon1, double Lat2, double Lon2, int Units) {
    const double phi1 = Lat1 * degreeFactor;
    const double lambda1 = Lon1 * degreeFactor;
    const double phi2 = Lat2 * degreeFactor;
    const double lambda2 = Lon2 * degreeFactor;

    // Geocentric latitudes.
    const double psi1 = ScaledAngle(phi1, K);
    const double psi2 = ScaledAngle(phi2, K);

    // Central angle. Rounding can push C just past 1 for (nearly) identical
    // points, where the square root below would have no answer.
    double C = std::cos(lambda1 - lambda2) * std::cos(psi1) * std::cos(psi2) +
               std::sin(psi1) * std::sin(psi2);
    C = std::clamp(C, -1.0, 1.0);
    // The same position can also round just below 1, which would put it some
    // centimetres from itself, due north or south.
    if (Lat1 == Lat2 && Lon1 == Lon2)
        C = 1;
    const double c = AngleOf(std::sqrt(1 - C * C), C);

    double alpha = AngleOf(std::sin(lambda2 - lambda1) * std::cos(psi2) * std::cos(psi1),
                           std::sin(psi2) - std::sin(psi1) * std::cos(c));
    if (alpha < 0)
        alpha = 2 * pi + alpha;

    DistanceAzimuth result;
    // A hair west of due north can round up to a full turn; callers show 0 to 359.
    result.Azimuth = std::floor(alpha / degreeFactor);
    if (result.Azimuth >= 360)
        result.Azimuth -= 360;

    // Points this close share one direction from the centre: the steps below
    // would divide zero by zero, and the distance is nil anyway.
    if (c == 0)
        return result;

    const double L = psi1 < psi2 ? psi1 : psi2;
    const double H = psi1 < psi2 ? psi2 : psi1;

    // Angle of the lower point from where the great circle crosses the
    // equator. When both points lie on the equator the crossing is undefined
    // and AngleOf answers pi / 2; beyond a quarter turn apart that would carry
    // the higher point past a half turn, wrap its parametric angle and give a
    // negative distance. Measuring from the lower point itself keeps it whole.
    const double uY = std::sin(L) * std::sin(c);
    const double uX = std::sin(H) - std::cos(c) * std::sin(L);
    double u = AngleOf(uY, uX);
    if (uY == 0 && uX == 0 && c > pi / 2)
        u = 0;

    // Sine of the great circle's inclination, from the better-conditioned point.
    const double s = std::abs(std::sin(u)) > std::abs(std::sin(u + c))
                         ? std::sin(L) / std::sin(u)
                         : std::sin(H) / std::sin(u + c);
    const double theta = AngleOf(s, (b / a) * std::sqrt(std::abs(1 - s * s)));
    const double E = std::sin(theta) * std::sin(theta) * (1 - K);
    const double F = 1 / std::sqrt(1 - E);

    const double sigma1 = ScaledAngle(u, F);
    const double sigma2 = ScaledAngle(u + c, F);
    const double D = a * ((sigma2 - sigma1) * (1 - E / 4) -
                          (std::sin(2 * sigma2) - std::sin(2 * sigma1)) * E / b);

    result.Distance = Units == 1 ? std::floor(D / mileDivisor) : D;
    return result;
}

} // namespace tavimo
