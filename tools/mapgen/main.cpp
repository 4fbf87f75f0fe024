// Draws the eight map pictures from the world-atlas package of Natural Earth
// data. scripts/make-maps fetches the package and runs this; the pictures are
// committed, so neither building nor testing needs it.
//
//     tavimo-mapgen <world-atlas package folder> <output folder>

#include "mapgen/MapPainter.h"
#include "mapgen/TopoJson.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>
#include <QImageWriter>

#include <cstdio>

using namespace tavimo::mapgen;

namespace {

std::optional<Topology> readCountries(const QString &package, const QString &scale) {
    const QString path = QDir(package).filePath(QStringLiteral("countries-%1.json").arg(scale));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s: %s\n", qPrintable(path),
                     qPrintable(file.errorString()));
        return std::nullopt;
    }
    QString error;
    std::optional<Topology> topology = readTopology(file.readAll(), &error);
    if (!topology)
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
    return topology;
}

} // namespace

int main(int argc, char *argv[]) {
    // Painting text-free pictures needs no screen.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tavimo-mapgen <world-atlas package folder> <output folder>\n");
        return 2;
    }
    const QString package = args.at(1);
    const QDir out(args.at(2));
    if (!QDir().mkpath(out.path())) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out.path()));
        return 1;
    }
    QHash<QString, Topology> byScale;
    for (const MapSheet &sheet : mapSheets()) {
        if (!byScale.contains(sheet.scale)) {
            std::optional<Topology> topology = readCountries(package, sheet.scale);
            if (!topology)
                return 1;
            byScale.insert(sheet.scale, *topology);
        }
        const QImage picture = toPalette(paintMap(sheet, byScale.value(sheet.scale)));
        const QString path = out.filePath(sheet.fileName());
        QImageWriter writer(path, "png");
        writer.setQuality(0); // the smallest file
        if (!writer.write(picture)) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(path),
                         qPrintable(writer.errorString()));
            return 1;
        }
        std::printf("%-22s %4d x %4d  %7lld bytes\n", qPrintable(sheet.fileName()), picture.width(),
                    picture.height(), QFileInfo(path).size());
    }
    return 0;
}
