#include "core/geo/MapProjection.h"

#include "core/base/Numbers.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tavimo {

namespace {

// The fitted constants were worked out with this value of pi.
constexpr double pi = 3.14159265;

struct ConicPoint {
    double angle; // degrees
    double r;     // pixels from the apex
    double CX;    // the apex on the picture
    double CY;
};

// Angle and radius of the six conic maps; `naCorrection` is the North America
// correction C already worked out for the longitude.
ConicPoint conic(ProjectedMap map, double Lat, double Lon, double naCorrection) {
    switch (map) {
    case ProjectedMap::NorthAmerica:
        return {(((-Lon) - 65) * 0.578) + 72.82, ((55 - Lat) * 25.27) + (1492 - naCorrection), 666,
                -1400};
    case ProjectedMap::Australia:
        return {((Lon - 110) * 0.467) + 259.72, ((Lat + 36) * 35.62) + 3553, 648, 4500};
    case ProjectedMap::UK:
        return {86.255 - (Lon * 0.827), ((57 - Lat) * 117) + 4412, 483, -4100};
    case ProjectedMap::Europe:
        return {105 - (Lon * 0.745), ((60 - Lat) * 33.12) + 1288, 800, -850};
    case ProjectedMap::NewZealand:
        return {((Lon - 170) * 0.6757) + 268.06, ((Lat + 38) * 106) + 7088, 520, 7500};
    case ProjectedMap::Japan:
        return {90.37 - ((Lon - 136) * 0.555), ((40 - Lat) * 56.2) + 4450, 520, -4000};
    case ProjectedMap::World:
    case ProjectedMap::Asia:
        break;
    }
    return {};
}

QPointF conicPixel(const ConicPoint &c) {
    const double rad = (c.angle / 180) * pi;
    return {(c.r * std::cos(rad)) + c.CX, (c.r * std::sin(rad)) + c.CY};
}

QPointF asiaPixel(double Lat, double Lon) {
    const double x = ((Lon - 40) * 13.72) + 130;
    const double y = Lat >= 0 ? (932 - (Lat * 11.5)) - std::pow(Lat, 1.3)
                              : std::pow(std::abs(Lat), 1.3) + (932 - (Lat * 11.5));
    return {x, y};
}

// X of the world map from the interpolated parallel length, the longitude as
// the picture runs (170 W to 190 E) and the row's offset.
double worldX(double xv, double lon, double xOffset) {
    if (lon >= 0)
        return (1322 + (lon * ((xv * 1453) / 190))) + xOffset;
    return (1322 - (std::abs(lon) * ((xv * 1300) / 170))) + xOffset;
}

double worldY(double yv, double Lat) {
    return Lat >= 0 ? 706 - (yv * 698) : 706 + (yv * 698);
}

QPointF worldPixel(double Lat, double Lon) {
    double lon = Lon;
    if (lon < -170)
        lon = (180 - std::abs(lon)) + 180;
    // The row: the last one whose latitude is not above |Lat| in single precision.
    const float a = static_cast<float>(std::abs(Lat));
    std::size_t i = 0;
    while (i + 1 < RobinsonTable.size() && RobinsonTable[i + 1].latitude <= a)
        ++i;
    const RobinsonRow &row = RobinsonTable[i];
    if (i + 1 == RobinsonTable.size()) {
        // At or beyond a pole there is no row to interpolate towards: the pole's.
        return {worldX(row.length, lon, row.xOffset), worldY(row.distance, Lat)};
    }
    const RobinsonRow &next = RobinsonTable[i + 1];
    // Whole degrees beyond the row, in fifths: the fraction of a degree does not move the point.
    const double f = std::fmod(std::floor(std::abs(Lat)), 5.0) / 5;
    const double dy = static_cast<float>(double(next.distance) - double(row.distance));
    const double yv = row.distance + (f * dy);
    const double dx = static_cast<float>(double(row.length) - double(next.length));
    const double xv = row.length - (f * dx);
    return {worldX(xv, lon, row.xOffset), worldY(yv, Lat)};
}

QPointF worldPixelF(double lat, double lon) {
    const double a = std::min(std::abs(lat), 90.0);
    const std::size_t i = std::min<std::size_t>(std::size_t(a / 5), RobinsonTable.size() - 2);
    const RobinsonRow &row = RobinsonTable[i];
    const RobinsonRow &next = RobinsonTable[i + 1];
    const double f = (a - row.latitude) / 5;
    const double yv = row.distance + f * (double(next.distance) - row.distance);
    const double xv = row.length + f * (double(next.length) - row.length);
    const double xOffset = row.xOffset + f * (double(next.xOffset) - row.xOffset);
    return {worldX(xv, lon, xOffset), worldY(yv, lat)};
}

// The steps of NorthAmericaLonCorrection as a continuous function of the
// distance d in degrees: each step becomes a ramp one degree wide centred on
// the distance where the rounded value changes, so the two agree everywhere
// but within half a degree of the five steps.
double northAmericaCorrectionF(double d) {
    struct Step {
        double at;
        double from;
        double to;
    };
    static constexpr std::array<Step, 5> steps{
        {{9.5, 0, 3}, {15.5, 3, 7}, {20.5, 7, 10}, {25.5, 10, 15}, {35.5, 15, 36}}};
    for (const Step &step : steps) {
        if (d < step.at - 0.5)
            return step.from;
        if (d < step.at + 0.5)
            return step.from + (d - (step.at - 0.5)) * (step.to - step.from);
    }
    return d;
}

// A whole pixel, halves to even, clamped far off every picture.
int wholePixel(double value) {
    return static_cast<int>(
        std::clamp(roundHalfEven(value), double(-kFarOffPixels), double(kFarOffPixels)));
}

} // namespace

const std::array<RobinsonRow, 19> RobinsonTable{{
    {0, 1.0f, 0, 0},
    {5, 0.9986f, 0.062f, 0},
    {10, 0.9954f, 0.124f, 0},
    {15, 0.99f, 0.186f, 1},
    {20, 0.9822f, 0.248f, 2},
    {25, 0.973f, 0.31f, 2},
    {30, 0.96f, 0.372f, 3},
    {35, 0.9427f, 0.434f, 4},
    {40, 0.9216f, 0.4958f, 5},
    {45, 0.8962f, 0.5571f, 7},
    {50, 0.8679f, 0.6176f, 9},
    {55, 0.835f, 0.6769f, 11},
    {60, 0.7986f, 0.7346f, 13},
    {65, 0.7597f, 0.7903f, 16},
    {70, 0.7186f, 0.8435f, 19},
    {75, 0.6732f, 0.8936f, 22},
    {80, 0.6213f, 0.9394f, 26},
    {85, 0.5722f, 0.9761f, 30},
    {90, 0.5322f, 1.0f, 35},
}};

QString mapName(ProjectedMap map) {
    switch (map) {
    case ProjectedMap::NorthAmerica:
        return QStringLiteral("North America Map");
    case ProjectedMap::World:
        return QStringLiteral("World Map");
    case ProjectedMap::Australia:
        return QStringLiteral("Australia Map");
    case ProjectedMap::UK:
        return QStringLiteral("UK Map");
    case ProjectedMap::Asia:
        return QStringLiteral("Asia Map");
    case ProjectedMap::Europe:
        return QStringLiteral("Europe Map");
    case ProjectedMap::NewZealand:
        return QStringLiteral("New Zealand Map");
    case ProjectedMap::Japan:
        return QStringLiteral("Japan Map");
    }
    return {};
}

std::optional<ProjectedMap> projectedMap(const QString &name) {
    for (ProjectedMap map : kProjectedMaps) {
        if (name == mapName(map))
            return map;
    }
    return std::nullopt;
}

std::int64_t NorthAmericaLonCorrection(std::int64_t v) {
    if (v <= 9)
        return 0;
    if (v <= 15)
        return 3;
    if (v <= 20)
        return 7;
    if (v <= 25)
        return 10;
    if (v <= 35)
        return 15;
    return v;
}

std::optional<QPoint> LatLonToMapXY(const QString &mapName, double Lat, double Lon) {
    const std::optional<ProjectedMap> map = projectedMap(mapName);
    if (!map)
        return std::nullopt;
    return LatLonToMapXY(*map, Lat, Lon);
}

std::optional<QPoint> LatLonToMapXY(ProjectedMap map, double Lat, double Lon) {
    if (!std::isfinite(Lat) || !std::isfinite(Lon))
        return std::nullopt;
    QPointF pixel;
    switch (map) {
    case ProjectedMap::World:
        pixel = worldPixel(Lat, Lon);
        break;
    case ProjectedMap::Asia:
        pixel = asiaPixel(Lat, Lon);
        break;
    default: {
        double correction = 0;
        if (map == ProjectedMap::NorthAmerica) {
            // Whole degrees, clamped so that a nonsense longitude cannot overflow.
            const double v = std::min(roundHalfEven(std::abs(-95 - Lon)), 1e15);
            correction = double(NorthAmericaLonCorrection(std::int64_t(v)));
        }
        pixel = conicPixel(conic(map, Lat, Lon, correction));
        break;
    }
    }
    if (!std::isfinite(pixel.x()) || !std::isfinite(pixel.y()))
        return std::nullopt;
    return QPoint(wholePixel(pixel.x()), wholePixel(pixel.y()));
}

QPointF mapPointF(ProjectedMap map, double lat, double lon) {
    switch (map) {
    case ProjectedMap::World:
        return worldPixelF(lat, lon);
    case ProjectedMap::Asia:
        return asiaPixel(lat, lon);
    default: {
        const double correction =
            map == ProjectedMap::NorthAmerica ? northAmericaCorrectionF(std::abs(-95 - lon)) : 0;
        return conicPixel(conic(map, lat, lon, correction));
    }
    }
}

} // namespace tavimo
