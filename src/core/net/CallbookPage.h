#pragma once

// The three web callsign databases (callbooks) and what the program reads of
// their record pages. Fields are cut out of the raw page by fixed markers and
// offsets, which is how the callbooks' own page layouts are known; nothing
// here touches the network.

#include "core/files/Endpoints.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <array>

namespace tavimo {

// Database numbers as hosts select them: 1 eHam, 2 QRZ, 3 Hamdata.
struct CallbookDatabase {
    int index;
    const char *name;  // shown in the station window's database choice
    const char *label; // the text a page of this database has in its head
};

inline constexpr std::array<CallbookDatabase, 3> kCallbooks{{
    {1, "eHam", "eHam.net"},
    {2, "QRZ", "QRZ.COM"},
    {3, "Hamdata", "Hamdata"},
}};

// A page counts as the database's page when its label lies wholly within its
// first kLabelWindow characters (letter case counts).
inline constexpr int kLabelWindow = 500;

// Empty for a number outside 1..3.
QString callbookName(int databaseIndex);
QString callbookLabel(int databaseIndex);
bool pageHasLabel(const QString &pageText, const QString &label);

// The database's root address from the endpoints; empty when switched off or
// for a number outside 1..3.
QString callbookRoot(const Endpoints &endpoints, int databaseIndex);

// The callsign as a record address carries it: "Ø" written "0", then every
// character other than an ASCII letter, digit or "/" percent-encoded (UTF-8).
QString callsignForAddress(QStringView pageCallsign);

// The home page and a callsign's record page (callsignForAddress applied).
// Empty when the database is switched off, unknown, or the callsign is empty.
QString callbookHomeAddress(const Endpoints &endpoints, int databaseIndex);
QString callbookRecordAddress(const Endpoints &endpoints, int databaseIndex,
                              const QString &callsign);

// The station's picture on the picture host: <last character>/<call>/<call>.jpg
// below the root, the callsign in lower case with "Ø" written "0". Empty when
// the host is switched off or the callsign is empty.
QString stationPictureAddress(const QString &picturesRoot, const QString &stationCall);

// The callsign of a caption as the station window looks it up: the text
// before its first character below "0" (a blank, "-", "/" and the other
// punctuation), all of it when there is none.
QString cutStationCall(const QString &caption);
// As the own-position and site dialogs look it up: the text before its first
// "-" or blank.
QString cutLookupCall(const QString &callsign);

// A page's bytes as text: UTF-8 when they are valid UTF-8 (as today's
// callbooks send), else Windows-1252.
QString callbookPageText(const QByteArray &bytes);

// Replaces the entities &nbsp; &quot; &amp; &lt; &gt; (any letter case) by
// their characters; every other "&" stays. A replaced character is never read
// again, so "&amp;lt;" becomes "&lt;".
QString HTMLDecode(const QString &html);

// The fields of a record page of database `db`. A field whose marker is
// missing, or whose end marker lies before its start, is empty (0 for the
// coordinates); a database without a rule for a field gives it empty too.
namespace callbook {

// `recordFound` is set false when the page lacks the name's first marker: the
// database does not hold the callsign.
QString cName(const QString &page, int db, bool *recordFound = nullptr);
QString Add1(const QString &page, int db);
QString Add2(const QString &page, int db);
QString Ctry(const QString &page, int db);
// Degrees, with the sign of a hemisphere letter after the number; 0 when the
// page gives none, or gives a value outside -90..90 (-180..180).
double Latitude(const QString &page, int db);
double Longitude(const QString &page, int db);
QString Class(const QString &page, int db);
QString PrevCall(const QString &page, int db);
// Four characters of a year after 1900, else empty.
QString DateOfBirth(const QString &page, int db);
// The six characters after the grid-square marker, as they stand (a
// four-character square comes with two characters of markup).
QString Grid(const QString &page, int db);
QString WebAddress(const QString &page, int db);

} // namespace callbook

} // namespace tavimo
