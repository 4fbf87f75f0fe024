#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Builders for the answers of the program's web services: the maker's updates
// list, the home page that names the latest version, and the time page. Used
// by the tests and by the site simulator.
namespace tavimo::test {

// What an updates list announces, one text per entry line.
struct UpdatesListContent {
    QStringList moved;   // "callsign*address*DELETE" or "callsign*address*newAddress"
    QStringList renamed; // "oldCallsign*newCallsign"
    QList<QPair<QString, QString>> newSites; // record line "callsign*lat*lon[*cam]", address
};

// The bytes of an updates list dated `date` (written year first), lines ending
// in CR LF, whose header states its own size plus `sizeError`.
QByteArray updatesListBytes(const UpdatesListContent &content, const QDate &date,
                            int sizeError = 0);

// A home page that names `version` the way the program reads it: "Tavimo ",
// four more characters, then the version.
QByteArray homePageBytes(const QString &version);

// A time page showing the UTC time of `nowUtc`: "BR", ten characters, then
// "hh:mm:ss".
QByteArray timePageBytes(const QDateTime &nowUtc);

} // namespace tavimo::test
