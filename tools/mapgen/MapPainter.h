#pragma once

// Paints the map pictures of the Maps folder from Natural Earth countries,
// through the projection the program puts its markers with.

#include "core/geo/MapProjection.h"
#include "mapgen/TopoJson.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QSize>
#include <QString>

namespace tavimo::mapgen {

struct MapSheet {
    ProjectedMap map;
    QSize size;
    // The middle of the 360 degrees of longitude the picture is drawn from;
    // land is placed on the side of the seam opposite it.
    double centralLon = 0;
    double graticuleStep = 10; // degrees between graticule lines
    QString scale;             // the Natural Earth scale drawn: "10m" or "50m"
    double coastWidth = 1.2;   // pixels

    // The picture's file name: the map's name and ".png".
    QString fileName() const { return mapName(map) + QStringLiteral(".png"); }
};

// The eight pictures at their agreed sizes.
QList<MapSheet> mapSheets();

// The flat colours of every picture. Water is cool (more blue than red), land
// and the lines on it warm, so a picture can be told apart from its sea by
// colour alone.
struct MapColours {
    QColor outside{255, 255, 255}; // beyond the world map's edge
    QColor sea{180, 210, 236};
    QColor land{242, 234, 210};
    QColor coast{110, 90, 70};
    QColor border{192, 140, 140};
    QColor graticule{255, 255, 255, 110};
};

// `world` holds the objects "countries" and "land" of a Natural Earth
// countries topology. The picture is in few colours, ready for toPalette.
QImage paintMap(const MapSheet &sheet, const Topology &world, const MapColours &colours = {});

// The picture in eight bits: every pixel becomes the nearest of the map's
// colours or of blends between two of them, which is what antialiased edges
// are made of, so the file stays small.
QImage toPalette(const QImage &picture, const MapColours &colours = {});

} // namespace tavimo::mapgen
