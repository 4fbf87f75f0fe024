#include "sitesim/SitePages.h"

#include "core/base/TextCodec.h"

#include <QUrlQuery>

namespace tavimo::sitesim {

QByteArray lastHeardList(const SstvSiteInfo &site, const PictureTimeline &timeline,
                         const QDateTime &now) {
    QString text = QStringLiteral("Last heard at ") + site.callsign + QStringLiteral("\r\n");
    const qint64 current = timeline.currentNumber(now);
    for (qint64 number = current; number > current - kLastHeardEntries; --number) {
        const PictureCaption caption = sstvCaption(site, number, timeline.arrival(number));
        // Short lines, as sites keep them: the list sits in a small window.
        text += caption.sender.leftJustified(9) + caption.time.toString(QStringLiteral("hh:mm")) +
                QStringLiteral(" UTC\r\n");
    }
    return encodeCp1252(text);
}

QByteArray mapPage(const QByteArray &target) {
    const QString address = QString::fromUtf8(target);
    const QUrlQuery query(address.mid(address.indexOf(u'?') + 1));
    const bool street = address.contains(QStringLiteral("layer"));
    QString position = street ? query.queryItemValue(QStringLiteral("cbll"))
                              : query.queryItemValue(QStringLiteral("q"));
    position = position.toHtmlEscaped();
    const QString html =
        QStringLiteral("<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>%1</title>"
                       "<style>html,body{margin:0;height:100%;background:%2;color:#fff;"
                       "font:32px sans-serif}div{padding:80px 40px}</style></head>"
                       "<body><div>%1<br>%3</div></body></html>")
            .arg(street ? QStringLiteral("Street view") : QStringLiteral("Satellite view"),
                 street ? QStringLiteral("#2e7d32") : QStringLiteral("#1565c0"), position);
    return html.toUtf8();
}

} // namespace tavimo::sitesim
