#include "core/geo/GridLocator.h"

#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace tavimo {

namespace {

// Subsquares per degree: 12 across (5 minutes), 24 up (2.5 minutes).
constexpr int kColumnsPerDegree = 12;
constexpr int kRowsPerDegree = 24;
constexpr int kColumns = 360 * kColumnsPerDegree; // 4320
constexpr int kRows = 180 * kRowsPerDegree;       // 4320

// A decimal position that lies on an edge may come out of the multiplication
// a hair below it; this much is far below any position anyone gives.
constexpr double kEdgeTolerance = 1e-9;

int cellIndex(double offset, int perDegree, int count) {
    const int index = static_cast<int>(std::floor(offset * perDegree + kEdgeTolerance));
    return std::clamp(index, 0, count - 1);
}

} // namespace

QString LatLonToGrid(double latitude, double longitude) {
    if (!std::isfinite(latitude) || !std::isfinite(longitude) || latitude < -90 || latitude > 90 ||
        longitude < -180 || longitude > 180)
        return {};
    const int column = cellIndex(longitude + 180, kColumnsPerDegree, kColumns);
    const int row = cellIndex(latitude + 90, kRowsPerDegree, kRows);
    // A field is 20 degrees (240 columns) wide and 10 degrees (240 rows) high;
    // a square 2 degrees by 1 degree, 24 subsquares each way.
    QString grid(6, u' ');
    grid[0] = QChar(u'A' + column / 240);
    grid[1] = QChar(u'A' + row / 240);
    grid[2] = QChar(u'0' + (column / 24) % 10);
    grid[3] = QChar(u'0' + (row / 24) % 10);
    grid[4] = QChar(u'a' + column % 24);
    grid[5] = QChar(u'a' + row % 24);
    return grid;
}

std::optional<SitePosition> GridToLatLon(QStringView text) {
    // A word of its own: no letter or digit glued before it, no letter after it
    // (an eight-character locator still gives its six-character cell).
    static const QRegularExpression locator(
        QStringLiteral("(?<![A-Za-z0-9])([A-Ra-r])([A-Ra-r])([0-9])([0-9])(?:([A-Xa-x])([A-Xa-x]))?"
                       "(?![A-Za-z])"));
    const QString subject = text.toString();
    QRegularExpressionMatch last;
    for (QRegularExpressionMatchIterator it = locator.globalMatch(subject); it.hasNext();)
        last = it.next();
    if (!last.hasMatch())
        return std::nullopt;

    const auto letter = [&](int group) {
        return last.capturedView(group).at(0).toUpper().unicode() - u'A';
    };
    const auto digit = [&](int group) { return last.capturedView(group).at(0).unicode() - u'0'; };
    double longitude = -180.0 + 20 * letter(1) + 2 * digit(3);
    double latitude = -90.0 + 10 * letter(2) + digit(4);
    if (last.capturedLength(5) > 0) {
        longitude += (5 * letter(5) + 2.5) / 60;
        latitude += (2.5 * letter(6) + 1.25) / 60;
    } else {
        longitude += 1.0;
        latitude += 0.5;
    }
    return SitePosition{latitude, longitude};
}

QString gridLabelText(const QString &LngGrid, double latitude, double longitude) {
    const QString grid = LatLonToGrid(latitude, longitude);
    return grid.isEmpty() ? QString() : LngGrid + QStringLiteral(":   ") + grid;
}

} // namespace tavimo
