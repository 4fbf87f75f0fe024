#pragma once

// Positions on the eight map pictures of the Maps folder.
//
// Each picture is a fixed drawing known only through a fitted formula: six
// regional maps share one conic formula with constants of their own, the Asia
// map has a formula of its own and the world map is a Robinson projection read
// from its published table. Markers use LatLonToMapXY, whose whole-pixel
// numbers are fixed. The pictures themselves are drawn with mapPointF, the same
// formulas made continuous, so that coastlines are smooth and still lie where
// the markers fall.

#include <QPoint>
#include <QPointF>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace tavimo {

// The maps with a projection, in the order their names are tried.
enum class ProjectedMap { NorthAmerica, World, Australia, UK, Asia, Europe, NewZealand, Japan };

inline constexpr std::array<ProjectedMap, 8> kProjectedMaps{
    ProjectedMap::NorthAmerica, ProjectedMap::World, ProjectedMap::Australia,
    ProjectedMap::UK,           ProjectedMap::Asia,  ProjectedMap::Europe,
    ProjectedMap::NewZealand,   ProjectedMap::Japan};

// "North America Map", "World Map", ...: the name of the picture less its
// extension.
QString mapName(ProjectedMap map);

// The map whose name is exactly `name` (letter case and blanks count); nothing
// for any other name, which has no projection.
std::optional<ProjectedMap> projectedMap(const QString &name);

// One row of the world map's table: the parallel's latitude, its length
// relative to the equator, its distance from the equator as a fraction of the
// pole's (both Robinson's published values), and a pixel offset added to X.
struct RobinsonRow {
    float latitude;
    float length;
    float distance;
    float xOffset;
};

extern const std::array<RobinsonRow, 19> RobinsonTable;

// The North America map's radius correction for v whole degrees between a
// longitude and 95 degrees west: a step function, v itself from 36 on.
std::int64_t NorthAmericaLonCorrection(std::int64_t v);

// The pixel of a position (degrees, south and west negative) on the picture of
// map `mapName`, origin at its top-left corner, rounded halves to even.
// Nothing for a name without a projection or a position that is not finite.
// The world map clamps latitudes at +-90; results far beyond any picture are
// clamped to +-kFarOffPixels, so no later arithmetic overflows.
std::optional<QPoint> LatLonToMapXY(const QString &mapName, double Lat, double Lon);
std::optional<QPoint> LatLonToMapXY(ProjectedMap map, double Lat, double Lon);

inline constexpr int kFarOffPixels = 1 << 20;

// For drawing the pictures: the same formulas without rounding, the world
// map's rows interpolated by the exact fraction of the latitude (offsets
// included) and the North America correction joined by short ramps, so that
// lines drawn through it are smooth. Longitudes are taken as given: on the world
// map a point west of 170 W shows at longitude + 360, which the caller asks
// for. The position must be finite.
QPointF mapPointF(ProjectedMap map, double lat, double lon);

} // namespace tavimo
