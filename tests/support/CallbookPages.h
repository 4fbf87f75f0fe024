#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// Record pages of the three web callbooks (1 eHam, 2 QRZ, 3 Hamdata) as the
// program reads them: each database's label in the page's head and the
// fields behind the markers it looks for, in pages of our own making. Used by
// the tests and by the site simulator.
namespace tavimo::test {

struct CallbookStation {
    QString callsign; // as the callbook writes it: upper case, "0" for zero
    QString name;
    QString address1;
    QString address2;
    QString country;
    // Degrees, south and west negative; nothing leaves the lines out.
    std::optional<double> latitude;
    std::optional<double> longitude;
    QString grid; // six or four characters; empty leaves the line out
    QString licenceClass;
    QString previousCall;
    QString born;    // a year
    QString webPage; // an address
};

// A station's record page. eHam writes coordinates unsigned with a
// hemisphere letter ("33.87 S"), QRZ signed; Hamdata gives none at all.
QByteArray callbookRecordPage(int database, const CallbookStation &station);
// The database's answer for a callsign it does not hold: its label, no record.
QByteArray callbookNotFoundPage(int database, const QString &callsign);
// The database's home page.
QByteArray callbookHomePage(int database);

// The path of a callsign's record page below a callbook's root, as the
// program asks for it ("callbook/G0ABC", "db/G0ABC", "getcall.html?callsign=G0ABC").
QString callbookRecordPath(int database, const QString &callsign);

} // namespace tavimo::test
