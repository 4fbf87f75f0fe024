#include "stations/PageMapPlan.h"

#include "core/geo/Geodesy.h"
#include "core/geo/MapProjection.h"
#include "core/geo/SitePosition.h"

#include <QLocale>

#include <cmath>

namespace tavimo {

namespace {

constexpr double pi = 3.14159265;

bool outside(QPoint p, QSize picture) {
    return p.x() < 0 || p.x() > picture.width() || p.y() < 0 || p.y() > picture.height();
}

// The end of a 100-pixel line from `from` in the direction `degrees` (0 up
// the picture, 90 to the right, after the caller's turn).
QPointF lineEnd(QPoint from, double degrees) {
    const double angle = degrees / 180 * pi;
    return {from.x() + 100 * std::cos(angle), from.y() + 100 * std::sin(angle)};
}

} // namespace

QString defaultNumberText(double value) {
    QLocale locale;
    locale.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

PageMapPlan planPageMap(const PageMapInput &input) {
    CallsignIndex index;
    return planPageMap(input, index);
}

PageMapPlan planPageMap(const PageMapInput &input, CallsignIndex &sitesByCall) {
    PageMapPlan plan;
    const Config &config = input.config;
    const bool homeSet = SitePosition{config.MyLat, config.MyLon}.isSet();
    if (homeSet)
        plan.home = LatLonToMapXY(input.mapName, config.MyLat, config.MyLon);
    const bool homeOutside = !plan.home || outside(*plan.home, input.picture);
    plan.homeMark = plan.home && plan.home->x() > 0 && plan.home->x() < input.picture.width() &&
                    plan.home->y() > 0 && plan.home->y() < input.picture.height();
    plan.meLabel = QStringLiteral(" ") + input.texts.LngMe + QStringLiteral(" ");

    const QString myCall = shownCallsign(config.MyCall, input.ZeroChar).toUpper();
    if (myCall.isEmpty())
        return plan;
    const QString unit = config.Units == 1 ? input.texts.LngMiles : input.texts.LngKm;
    const int rows = qBound(0, input.SlotCount, SlotTable::Rows);
    for (int i = 0; i < rows; ++i) {
        QString sender = input.senderCaptions.value(i);
        if (!input.texts.LngFromPrefix.isEmpty())
            sender.remove(input.texts.LngFromPrefix);
        if (sender.toUpper() != myCall)
            continue;
        const QString call = storedCallsign(input.table.value(i, stSiteCall));
        if (call.isEmpty() || isTransmitCall(call))
            continue;
        const qsizetype k = sitesByCall.first(input.sites, call);
        if (k < 0)
            continue;
        const SiteRecord *record = &input.sites.at(k);
        // A site whose position is not known has no place on the map.
        if (!SitePosition{record->Latitude, record->Longitude}.isSet())
            continue;
        const std::optional<QPoint> site =
            LatLonToMapXY(input.mapName, record->Latitude, record->Longitude);
        if (!site)
            continue;

        PageMapRow row;
        row.row = i;
        row.call = call;
        row.site = *site;
        DistanceAzimuth da;
        if (homeSet) {
            da = DistanceAndAzimuth(config.MyLat, config.MyLon, record->Latitude, record->Longitude,
                                    config.Units);
            row.distance = defaultNumberText(da.Distance);
            row.azimuth = defaultNumberText(da.Azimuth);
        }
        const QString measures = QStringLiteral("  ") + row.distance + QStringLiteral(" ") + unit +
                                 QStringLiteral("  ") + row.azimuth + QStringLiteral("\u00B0 ");
        const bool siteOutside = outside(*site, input.picture);
        if (!plan.home) {
            // Nothing to measure from: a site on the picture gets its mark alone.
            if (siteOutside)
                continue;
            row.kind = PageMapCase::NoHome;
            row.siteMark = true;
            row.label = QStringLiteral(" ") + call + QStringLiteral(" ");
        } else if (siteOutside) {
            row.kind = PageMapCase::Bearing;
            row.line = QLineF(*plan.home, lineEnd(*plan.home, da.Azimuth - 90));
            row.label = QStringLiteral(" To") + call + measures;
        } else if (homeOutside) {
            row.kind = PageMapCase::FromMe;
            row.line = QLineF(*site, lineEnd(*site, da.Azimuth + 90));
            row.siteMark = true;
            row.label = QStringLiteral(" ") + call + measures;
        } else {
            row.kind = PageMapCase::Both;
            row.line = QLineF(*plan.home, *site);
            row.siteMark = true;
            row.label = QStringLiteral(" ") + call + QStringLiteral(" ");
        }
        plan.rows.append(row);
    }
    return plan;
}

QPoint callLabelTopLeft(const PageMapRow &row, const PageMapPlan &plan, QSize label) {
    if (row.kind == PageMapCase::Bearing) {
        const QPointF end = row.line->p2();
        const int left = int(end.x() - label.width() / 2.0);
        if (plan.home && end.y() < plan.home->y())
            return {left, int(end.y() - label.height() - 2)};
        return {left, int(end.y() + 2)};
    }
    return {row.site.x() - label.width() - 6, row.site.y() - label.height() / 2};
}

QPoint fromLabelTopLeft(const PageMapRow &row, QSize label) {
    const QPointF end = row.line ? row.line->p2() : QPointF(row.site);
    return {int(end.x() - label.width() / 2.0), int(end.y() - label.height() - 2)};
}

QPoint meLabelTopLeft(QPoint home, QSize label) {
    return {home.x() - label.width() - 6, home.y() - label.height() / 2};
}

QString pageMapInfoText(const PageMapRow &row, const QString &info, const QString &time,
                        const QString &unit) {
    QString text = QStringLiteral(" ") + info + QStringLiteral("  ");
    if (!row.distance.isEmpty()) {
        text += row.distance + QStringLiteral(" ") + unit + QStringLiteral(" ") + row.azimuth +
                QStringLiteral("\u00B0 ");
    }
    return text + QStringLiteral("\n ") + time + QStringLiteral(" UTC ");
}

} // namespace tavimo
