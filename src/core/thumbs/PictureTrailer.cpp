#include "core/thumbs/PictureTrailer.h"

#include "core/base/TextCodec.h"
#include "core/sites/SiteRecord.h"
#include "core/thumbs/CutPictures.h"

namespace tavimo {

SplitPicture splitPictureTrailer(const QByteArray &download) {
    SplitPicture result;
    const qsizetype size = download.size();
    // The marker must leave at least one byte after it, and at most the
    // limit; search backwards so that the later of two markers wins.
    const qsizetype last = size - 4;
    const qsizetype first = std::max<qsizetype>(0, size - 3 - kMaxTrailerTextBytes);
    for (qsizetype i = last; i >= first; --i) {
        if (download[i] == '*' && download[i + 1] == '*' && download[i + 2] == '*') {
            // Compressed data and text chunks hold "***" too, and a picture
            // without a trailer ends in them (WX sites add none). Only the
            // picture's structure tells them apart: "***" inside a whole
            // picture is part of it.
            QByteArray picture = download.left(i);
            if (!isPictureWhole(picture) && isPictureWhole(download))
                break;
            result.picture = std::move(picture);
            result.hasTrailer = true;
            result.text = decodeCp1252(download.mid(i + 3));
            return result;
        }
    }
    result.picture = download;
    return result;
}

QString withCenturyYear(const QString &date) {
    // Positions count from 1, as the year fix was always described.
    qsizetype j = date.size() - 7;
    if (j < 0)
        return date;
    for (; j >= 1; --j) {
        if (date.at(j - 1).unicode() < u'0')
            break;
    }
    return date.left(j) + QStringLiteral("20") + date.mid(j);
}

TrailerFields parseTrailerText(const QString &text) {
    TrailerFields fields;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 0)
        return fields;
    QString kept = text.left(colon + 3);
    kept.remove(u'\r').remove(u'\n').remove(QChar(0));
    const QStringList parts = kept.split(u'*');
    fields.fieldCount = int(parts.size());
    fields.sender = storedCallsign(QString(parts.at(0)));
    if (parts.size() >= 2)
        fields.status = parts.at(1);
    if (parts.size() >= 3)
        fields.date = withCenturyYear(parts.at(2));
    return fields;
}

QString senderCaption(const TrailerFields &fields, TrailerReader reader, const QString &fromPrefix,
                      const QString &zeroChar) {
    const int needed = reader == TrailerReader::Slot ? 2 : 1;
    if (fields.fieldCount < needed)
        return {};
    return fromPrefix + shownCallsign(fields.sender, zeroChar);
}

} // namespace tavimo
