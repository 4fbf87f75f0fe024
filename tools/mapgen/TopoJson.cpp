#include "mapgen/TopoJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace tavimo::mapgen {

namespace {

struct Transform {
    double scaleX = 1, scaleY = 1, translateX = 0, translateY = 0;
    bool quantized = false;
};

QList<QPointF> decodeArc(const QJsonArray &positions, const Transform &transform) {
    QList<QPointF> points;
    points.reserve(positions.size());
    double x = 0;
    double y = 0;
    for (const QJsonValue &value : positions) {
        const QJsonArray position = value.toArray();
        if (transform.quantized) {
            x += position.at(0).toDouble();
            y += position.at(1).toDouble();
            points.append({x * transform.scaleX + transform.translateX,
                           y * transform.scaleY + transform.translateY});
        } else {
            points.append({position.at(0).toDouble(), position.at(1).toDouble()});
        }
    }
    return points;
}

Ring readRing(const QJsonArray &indices) {
    Ring ring;
    for (const QJsonValue &index : indices)
        ring.append(index.toInt());
    return ring;
}

Polygon readPolygon(const QJsonArray &rings) {
    Polygon polygon;
    for (const QJsonValue &ring : rings)
        polygon.append(readRing(ring.toArray()));
    return polygon;
}

// Polygons and multipolygons; other kinds of geometry have no area to paint.
Geometry readGeometry(const QJsonObject &geometry) {
    const QString type = geometry.value(QStringLiteral("type")).toString();
    const QJsonArray arcs = geometry.value(QStringLiteral("arcs")).toArray();
    Geometry result;
    if (type == QStringLiteral("Polygon")) {
        result.append(readPolygon(arcs));
    } else if (type == QStringLiteral("MultiPolygon")) {
        for (const QJsonValue &polygon : arcs)
            result.append(readPolygon(polygon.toArray()));
    } else if (type == QStringLiteral("GeometryCollection")) {
        for (const QJsonValue &member : geometry.value(QStringLiteral("geometries")).toArray())
            result.append(readGeometry(member.toObject()));
    }
    return result;
}

int arcIndex(int reference) {
    return reference >= 0 ? reference : ~reference;
}

} // namespace

std::optional<Topology> readTopology(const QByteArray &json, QString *error) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    const QJsonObject root = document.object();
    if (parseError.error != QJsonParseError::NoError ||
        root.value(QStringLiteral("type")).toString() != QStringLiteral("Topology")) {
        *error = parseError.error != QJsonParseError::NoError ? parseError.errorString()
                                                              : QStringLiteral("not a topology");
        return std::nullopt;
    }
    Transform transform;
    const QJsonObject t = root.value(QStringLiteral("transform")).toObject();
    if (!t.isEmpty()) {
        const QJsonArray scale = t.value(QStringLiteral("scale")).toArray();
        const QJsonArray translate = t.value(QStringLiteral("translate")).toArray();
        transform = {scale.at(0).toDouble(), scale.at(1).toDouble(), translate.at(0).toDouble(),
                     translate.at(1).toDouble(), true};
    }
    Topology topology;
    for (const QJsonValue &arc : root.value(QStringLiteral("arcs")).toArray())
        topology.arcs.append(decodeArc(arc.toArray(), transform));

    const QJsonObject objects = root.value(QStringLiteral("objects")).toObject();
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const QJsonObject object = it.value().toObject();
        GeometryCollection collection;
        if (object.value(QStringLiteral("type")).toString() ==
            QStringLiteral("GeometryCollection")) {
            for (const QJsonValue &geometry : object.value(QStringLiteral("geometries")).toArray())
                collection.append(readGeometry(geometry.toObject()));
        } else {
            collection.append(readGeometry(object));
        }
        topology.objects.insert(it.key(), collection);
    }
    // A reference to an arc that is not there would read past the list later.
    for (const GeometryCollection &collection : std::as_const(topology.objects)) {
        for (const Geometry &geometry : collection) {
            for (const Polygon &polygon : geometry) {
                for (const Ring &ring : polygon) {
                    for (int reference : ring) {
                        if (arcIndex(reference) >= topology.arcs.size()) {
                            *error = QStringLiteral("arc %1 does not exist").arg(reference);
                            return std::nullopt;
                        }
                    }
                }
            }
        }
    }
    return topology;
}

QList<QPointF> ringPoints(const Topology &topology, const Ring &ring) {
    QList<QPointF> points;
    for (int reference : ring) {
        QList<QPointF> arc = topology.arcs.at(arcIndex(reference));
        if (reference < 0)
            std::reverse(arc.begin(), arc.end());
        // Each arc starts where the one before it ended.
        if (!points.isEmpty() && !arc.isEmpty())
            arc.removeFirst();
        points.append(arc);
    }
    return points;
}

ArcRoles arcRoles(const GeometryCollection &countries) {
    QHash<int, QList<int>> users; // arc -> the geometries running along it, once per use
    for (int g = 0; g < countries.size(); ++g) {
        for (const Polygon &polygon : countries.at(g)) {
            for (const Ring &ring : polygon) {
                for (int reference : ring)
                    users[arcIndex(reference)].append(g);
            }
        }
    }
    ArcRoles roles;
    for (auto it = users.cbegin(); it != users.cend(); ++it) {
        const QList<int> &by = it.value();
        if (by.size() == 1)
            roles.coast.append(it.key());
        else if (by.size() == 2 && by.at(0) != by.at(1))
            roles.borders.append(it.key());
    }
    std::sort(roles.coast.begin(), roles.coast.end());
    std::sort(roles.borders.begin(), roles.borders.end());
    return roles;
}

} // namespace tavimo::mapgen
