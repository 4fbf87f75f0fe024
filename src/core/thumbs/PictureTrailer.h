#pragma once

// The text that reception sites append to their pictures.
//
// A published picture may end in "***" followed by a short text: the sender's
// callsign, a status and the reception date, separated by "*", for example
// "XX9ABC*OK*10/14/09 12:34:56". The picture is stored without it, and the
// fields go to the slot table and the site record (main window) or to the
// gallery's columns. Both readers share everything here; they differ only in
// where the fields go and in when the sender line is shown (see
// senderCaption).

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavimo {

// The longest trailer text that is recognised: a "***" farther from the end
// is taken for picture data.
inline constexpr int kMaxTrailerTextBytes = 1998;

struct SplitPicture {
    QByteArray picture; // the picture's own bytes: everything before the marker
    bool hasTrailer = false;
    QString text; // the bytes after the marker, as Windows-1252 text
};

// Finds the marker: the last "***" that has at least one byte after it, with
// at most kMaxTrailerTextBytes bytes after it. So "***" as the very last three
// bytes is no marker, "****" at the end is a marker followed by "*", and of two
// markers the later one counts (the earlier stays in the picture). A "***"
// that lies inside a whole picture is no marker: when the bytes before it are
// not a whole picture but the download is (see isPictureWhole), the whole
// download is the picture, with no trailer. Without a marker the whole
// download is the picture.
SplitPicture splitPictureTrailer(const QByteArray &download);

// The date with a four-digit year: "20" is put after the last character below
// "0" that lies at least seven characters before the end, so "10/14/09 12:34"
// becomes "10/14/2009 12:34". A date that already has four digits is not
// recognised and gains "20" all the same ("10/14/202009 12:34"); one shorter
// than seven characters stays as it is.
QString withCenturyYear(const QString &date);

// The fields of a trailer text.
struct TrailerFields {
    // 0 when the text has no ":" and nothing is read; otherwise the number of
    // "*"-separated fields in the text as cut two characters after its first
    // ":" (which keeps "hh:mm" and drops the seconds).
    int fieldCount = 0;
    QString sender; // field 1, with "Ø" as "0"
    QString status; // field 2
    QString date;   // field 3, with the century put in
};

// Reads a trailer text. Line breaks and NUL characters are taken out of the
// fields: they can only be noise, and would break the labels they go to.
TrailerFields parseTrailerText(const QString &text);

// Who reads the trailer: the main window shows the sender line only when the
// text had at least two fields, the gallery whenever it had one.
enum class TrailerReader { Slot, Gallery };

// The sender line under a picture: LngFromPrefix & the sender with every "0"
// shown as ZeroChar; empty when the reader shows none.
QString senderCaption(const TrailerFields &fields, TrailerReader reader, const QString &fromPrefix,
                      const QString &zeroChar);

} // namespace tavimo
