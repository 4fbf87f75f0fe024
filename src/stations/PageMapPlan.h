#pragma once

// What the page map draws, worked out without a widget: the sites of the page
// whose latest picture names the user's own callsign as sender, each with its
// line, marks and label, and the own mark.

#include "core/files/Config.h"
#include "core/sites/CallsignIndex.h"
#include "core/sites/SiteRecord.h"
#include "core/sites/SlotTable.h"
#include "core/text/Language.h"

#include <QLineF>
#include <QList>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>

namespace tavimo {

struct PageMapInput {
    const Config &config; // MyCall, MyLat, MyLon, Units
    const SlotTable &table;
    const SiteList &sites;
    const LanguageTexts &texts; // LngFromPrefix, LngMiles, LngKm, LngMe
    QString ZeroChar;
    int SlotCount = 0;
    // The main window's sender label of each slot: LngFromPrefix and the
    // sender as shown.
    QStringList senderCaptions;
    QString mapName; // chooses the projection
    QSize picture;
};

enum class PageMapCase {
    Bearing, // the site lies off the picture: a line from home towards it
    FromMe,  // home lies off the picture: a line from the site towards home
    Both,    // both on the picture: a line between them
    NoHome,  // no own position: the site's mark alone
};

struct PageMapRow {
    int row = 0; // the slot
    PageMapCase kind = PageMapCase::Both;
    QString call;     // the site's callsign, "0" for every "Ø"
    QPoint site;      // the site on the picture
    QString distance; // default text forms; "" without an own position
    QString azimuth;
    QString label;              // lblCall's text
    std::optional<QLineF> line; // the blue line, from the first point
    bool siteMark = false;      // dot and ring at the site
};

struct PageMapPlan {
    std::optional<QPoint> home; // the own position on the picture, when there is one
    bool homeMark = false;      // home strictly inside the picture: dot, ring and lblMe
    QString meLabel;            // lblMe's text
    QList<PageMapRow> rows;     // the drawn rows, in slot order
};

// The rows of the page whose sender is the user's own callsign (compared as
// shown, "0" as ZeroChar, without the prefix, letter case ignored) and whose
// site is in SiteList with a known position (not 0, 0) and a place on the
// picture. An empty own callsign or sender matches nothing; a row without a
// position is passed over and the rows after it are still drawn. Sites are
// looked up in `sitesByCall`, which the caller keeps for `input.sites`; the
// first form indexes the list afresh.
PageMapPlan planPageMap(const PageMapInput &input);
PageMapPlan planPageMap(const PageMapInput &input, CallsignIndex &sitesByCall);

// Where a row's labels go, given their sizes: lblCall beside its mark or at
// the end of its line, " From Me " above the end of a FromMe line.
QPoint callLabelTopLeft(const PageMapRow &row, const PageMapPlan &plan, QSize label);
QPoint fromLabelTopLeft(const PageMapRow &row, QSize label);
QPoint meLabelTopLeft(QPoint home, QSize label);

// The hover text of a row: status, distance, unit and azimuth, and the
// picture time in UTC on a second line; without an own position no distance.
QString pageMapInfoText(const PageMapRow &row, const QString &info, const QString &time,
                        const QString &unit);

// A number in its default text form: no grouping, up to 15 significant
// digits, the locale's decimal separator.
QString defaultNumberText(double value);

} // namespace tavimo
