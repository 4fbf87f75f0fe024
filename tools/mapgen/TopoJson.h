#pragma once

// A reader of the TopoJSON files of Natural Earth data: quantized,
// delta-encoded arcs of longitude and latitude, shared by the polygons that
// run along them.

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QPointF>
#include <QString>

#include <optional>

namespace tavimo::mapgen {

// An arc index as a ring names it: i, or ~i for arc i walked backwards.
using Ring = QList<int>;
using Polygon = QList<Ring>;     // the outer ring first, then its holes
using Geometry = QList<Polygon>; // a Polygon is a MultiPolygon of one
using GeometryCollection = QList<Geometry>;

struct Topology {
    // Every arc as points, x the longitude and y the latitude in degrees.
    QList<QList<QPointF>> arcs;
    QHash<QString, GeometryCollection> objects;
};

// The topology of a TopoJSON text; nothing (and why, in `error`) when it is not one.
std::optional<Topology> readTopology(const QByteArray &json, QString *error);

// A ring's points: its arcs joined, each shared end point once.
QList<QPointF> ringPoints(const Topology &topology, const Ring &ring);

struct ArcRoles {
    QList<int> coast;   // arcs that only one polygon runs along
    QList<int> borders; // arcs between two different geometries (countries)
};

// Which arcs of a collection of countries are coastline and which borders.
// An arc that one country uses twice (a seam where its parts meet) is neither.
ArcRoles arcRoles(const GeometryCollection &countries);

} // namespace tavimo::mapgen
