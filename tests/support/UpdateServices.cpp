#include "support/UpdateServices.h"

#include "core/base/TextCodec.h"

#include <QLocale>

namespace tavimo::test {

namespace {

// `body` behind a size that counts its own digits.
QByteArray withSize(const QByteArray &body, int sizeError) {
    qsizetype size = body.size();
    while (QByteArray::number(size).size() + body.size() != size)
        size = QByteArray::number(size).size() + body.size();
    return QByteArray::number(size + sizeError) + body;
}

} // namespace

QByteArray updatesListBytes(const UpdatesListContent &content, const QDate &date, int sizeError) {
    const QString eol = QStringLiteral("\r\n");
    QString body = u'*' + date.toString(Qt::ISODate) + eol;
    body += QStringLiteral("/////5 Tavimo site updates") + eol;
    body += QStringLiteral("/////5 moved and discontinued sites") + eol;
    for (const QString &line : content.moved)
        body += line + eol;
    body += QStringLiteral("/////5") + eol;
    body += QStringLiteral("/////5 new callsigns") + eol;
    for (const QString &line : content.renamed)
        body += line + eol;
    body += QStringLiteral("/////5") + eol;
    body += QStringLiteral("/////5 new sites") + eol;
    for (const auto &[record, address] : content.newSites)
        body += record + eol + address + eol;
    return withSize(encodeCp1252(body), sizeError);
}

QByteArray homePageBytes(const QString &version) {
    return QByteArrayLiteral("<html><head><title>Tavimo</title></head><body>\r\n"
                             "<h1>Tavimo</h1>\r\n<p>Latest release: Tavimo ver ") +
           version.toLatin1() + QByteArrayLiteral("</p>\r\n</body></html>\r\n");
}

QByteArray timePageBytes(const QDateTime &nowUtc) {
    const QDateTime utc = nowUtc.toUTC();
    // ">May. 01, " is the ten characters between the marker and the time.
    const QString date = QLocale::c().toString(utc.date(), QStringLiteral("MMM. dd, "));
    const QString line = QStringLiteral("<BR>") + date +
                         utc.time().toString(QStringLiteral("HH:mm:ss")) +
                         QStringLiteral(" UTC\t\tUniversal Time\r\n");
    return QByteArrayLiteral("<html><body><H3><PRE>\r\n") + line.toLatin1() +
           QByteArrayLiteral("</PRE></H3></body></html>\r\n");
}

} // namespace tavimo::test
