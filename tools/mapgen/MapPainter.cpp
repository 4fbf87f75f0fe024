#include "mapgen/MapPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>

namespace tavimo::mapgen {

namespace {

// Longest step between two drawn points, in degrees: conic parallels are
// circles and long straight edges of the data must bend with them.
constexpr double kMaxStepDegrees = 0.5;

bool onAntimeridian(QPointF a, QPointF b) {
    return std::abs(a.x()) >= 180 && std::abs(b.x()) >= 180;
}

// Longitudes made continuous: a step of more than half a turn crosses the
// antimeridian and is taken the short way round.
QList<QPointF> unwrapped(QList<QPointF> points) {
    for (qsizetype i = 1; i < points.size(); ++i) {
        double lon = points[i].x();
        const double previous = points[i - 1].x();
        while (lon - previous > 180)
            lon -= 360;
        while (lon - previous < -180)
            lon += 360;
        points[i].setX(lon);
    }
    return points;
}

// The whole list moved by turns so that its first point lies within 180
// degrees of the middle longitude.
void shiftNear(QList<QPointF> &points, double centralLon) {
    if (points.isEmpty())
        return;
    const double turns = std::floor((points.first().x() - (centralLon - 180)) / 360);
    if (turns == 0)
        return;
    for (QPointF &point : points)
        point.rx() -= turns * 360;
}

class Projector {
public:
    explicit Projector(const MapSheet &sheet) : sheet_(sheet) {
        // Only the world map shows a full turn, from 170 W round to 190 E; its
        // land is drawn three times, a turn apart, and the edges cut it.
        if (sheet.map == ProjectedMap::World)
            copies_ = {-360, 0, 360};
    }

    // A ring in the turn of the picture, closed over the pole it goes round.
    QList<QPointF> prepareRing(const QList<QPointF> &ring) const {
        QList<QPointF> points = unwrapped(ring);
        if (points.size() > 2) {
            const double turned = points.last().x() - points.first().x();
            if (std::abs(turned) > 180) {
                double latSum = 0;
                for (const QPointF &point : points)
                    latSum += point.y();
                const double pole = latSum < 0 ? -90 : 90;
                points.append({points.last().x(), pole});
                points.append({points.first().x(), pole});
            }
        }
        shiftNear(points, sheet_.centralLon);
        return points;
    }

    // An open line in the turn of the picture, in pieces: the data's cuts along
    // the antimeridian are no coastline.
    QList<QList<QPointF>> prepareLine(const QList<QPointF> &line) const {
        QList<QList<QPointF>> pieces(1);
        for (qsizetype i = 0; i < line.size(); ++i) {
            if (i > 0 && onAntimeridian(line[i - 1], line[i]))
                pieces.append(QList<QPointF>());
            pieces.last().append(line[i]);
        }
        QList<QList<QPointF>> result;
        for (QList<QPointF> &piece : pieces) {
            if (piece.size() < 2)
                continue;
            piece = unwrapped(piece);
            shiftNear(piece, sheet_.centralLon);
            result.append(piece);
        }
        return result;
    }

    // Every copy of the prepared points on the picture.
    QList<QPolygonF> project(const QList<QPointF> &lonLat) const {
        QList<QPolygonF> result;
        for (double offset : copies_)
            result.append(projectOnce(lonLat, offset));
        return result;
    }

    // The area the picture shows the earth in: the world map's outline, the
    // whole picture for the others.
    QPainterPath globe() const {
        QPainterPath path;
        if (sheet_.map != ProjectedMap::World) {
            path.addRect(QRectF(QPointF(0, 0), QSizeF(sheet_.size)));
            return path;
        }
        const double west = sheet_.centralLon - 180;
        const double east = sheet_.centralLon + 180;
        const QList<QPointF> outline{{west, 90}, {west, -90}, {east, -90}, {east, 90}, {west, 90}};
        path.addPolygon(projectOnce(outline, 0));
        return path;
    }

private:
    QPolygonF projectOnce(const QList<QPointF> &lonLat, double offset) const {
        QPolygonF polygon;
        for (qsizetype i = 0; i < lonLat.size(); ++i) {
            const QPointF point = lonLat[i];
            if (i > 0) {
                const QPointF from = lonLat[i - 1];
                const QPointF step = point - from;
                const int parts = int(
                    std::ceil(std::max(std::abs(step.x()), std::abs(step.y())) / kMaxStepDegrees));
                for (int k = 1; k < parts; ++k)
                    polygon.append(at(from + step * (double(k) / parts), offset));
            }
            polygon.append(at(point, offset));
        }
        return polygon;
    }

    QPointF at(QPointF lonLat, double offset) const {
        return mapPointF(sheet_.map, lonLat.y(), lonLat.x() + offset);
    }

    MapSheet sheet_;
    QList<double> copies_{0};
};

void strokeLines(QPainter &painter, const Projector &projector, const Topology &world,
                 const QList<int> &arcs) {
    for (int arc : arcs) {
        for (const QList<QPointF> &piece : projector.prepareLine(world.arcs.at(arc))) {
            for (const QPolygonF &line : projector.project(piece))
                painter.drawPolyline(line);
        }
    }
}

void drawGraticule(QPainter &painter, const Projector &projector, const MapSheet &sheet) {
    const double step = sheet.graticuleStep;
    const double west = sheet.centralLon - 180;
    const double east = sheet.centralLon + 180;
    for (double lat = -90 + step; lat < 90; lat += step) {
        const QList<QPointF> parallel{{west, lat}, {east, lat}};
        for (const QPolygonF &line : projector.project(parallel))
            painter.drawPolyline(line);
    }
    for (double lon = std::ceil(west / step) * step; lon <= east; lon += step) {
        const QList<QPointF> meridian{{lon, -90}, {lon, 90}};
        for (const QPolygonF &line : projector.project(meridian))
            painter.drawPolyline(line);
    }
}

QColor blend(const QColor &a, const QColor &b, double share) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * share),
                            float(a.greenF() + (b.greenF() - a.greenF()) * share),
                            float(a.blueF() + (b.blueF() - a.blueF()) * share));
}

} // namespace

QList<MapSheet> mapSheets() {
    using enum ProjectedMap;
    // The scale of the data follows the pixels per degree: the regional maps
    // are drawn from the detailed data, the wide ones from the medium.
    return {
        {World, {2800, 1412}, 10, 15, QStringLiteral("50m"), 1.0},
        {Europe, {1820, 1500}, 15, 5, QStringLiteral("10m"), 1.2},
        {UK, {1100, 1280}, -3, 2, QStringLiteral("10m"), 1.4},
        {NorthAmerica, {1720, 1290}, -95, 10, QStringLiteral("50m"), 1.2},
        {Australia, {1510, 1360}, 135, 5, QStringLiteral("10m"), 1.2},
        {NewZealand, {1100, 1520}, 172, 2, QStringLiteral("10m"), 1.4},
        {Japan, {1130, 1320}, 137, 2, QStringLiteral("10m"), 1.4},
        {Asia, {1640, 1330}, 90, 10, QStringLiteral("50m"), 1.0},
    };
}

QImage paintMap(const MapSheet &sheet, const Topology &world, const MapColours &colours) {
    QImage picture(sheet.size, QImage::Format_ARGB32_Premultiplied);
    picture.fill(colours.outside);
    const Projector projector(sheet);

    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPainterPath globe = projector.globe();
    painter.fillPath(globe, colours.sea);
    painter.setClipPath(globe);

    painter.setPen(Qt::NoPen);
    painter.setBrush(colours.land);
    for (const Geometry &geometry : world.objects.value(QStringLiteral("land"))) {
        for (const Polygon &polygon : geometry) {
            // Holes (inland seas) are rings inside their outer ring.
            QPainterPath path;
            path.setFillRule(Qt::OddEvenFill);
            for (const Ring &ring : polygon) {
                for (const QPolygonF &projected :
                     projector.project(projector.prepareRing(ringPoints(world, ring))))
                    path.addPolygon(projected);
                path.closeSubpath();
            }
            painter.drawPath(path);
        }
    }
    painter.setBrush(Qt::NoBrush);

    painter.setPen(QPen(colours.graticule, 1.0));
    drawGraticule(painter, projector, sheet);

    const ArcRoles roles = arcRoles(world.objects.value(QStringLiteral("countries")));
    painter.setPen(
        QPen(colours.border, sheet.coastWidth * 0.8, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    strokeLines(painter, projector, world, roles.borders);
    painter.setPen(
        QPen(colours.coast, sheet.coastWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    strokeLines(painter, projector, world, roles.coast);

    painter.setClipping(false);
    if (sheet.map == ProjectedMap::World) {
        painter.setPen(QPen(colours.coast, 1.0));
        painter.drawPath(globe);
    }
    painter.end();
    return picture;
}

QImage toPalette(const QImage &picture, const MapColours &colours) {
    const QColor graticuleOver =
        QColor(colours.graticule.red(), colours.graticule.green(), colours.graticule.blue());
    const double graticuleShare = colours.graticule.alphaF();
    const QList<QColor> base{colours.outside,
                             colours.sea,
                             colours.land,
                             colours.coast,
                             colours.border,
                             blend(colours.sea, graticuleOver, graticuleShare),
                             blend(colours.land, graticuleOver, graticuleShare)};
    QList<QRgb> table;
    for (const QColor &colour : base)
        table.append(colour.rgb());
    for (qsizetype i = 0; i < base.size(); ++i) {
        for (qsizetype j = i + 1; j < base.size(); ++j) {
            for (double share : {0.25, 0.5, 0.75})
                table.append(blend(base[i], base[j], share).rgb());
        }
    }
    return picture.convertToFormat(QImage::Format_RGB32)
        .convertToFormat(QImage::Format_Indexed8, table, Qt::ThresholdDither);
}

} // namespace tavimo::mapgen
