#include "support/CallbookPages.h"

#include "core/base/Numbers.h"

#include <QStringList>

#include <cmath>

namespace tavimo::test {

namespace {

QString hemisphere(double value, char positive, char negative) {
    return numberText(std::fabs(value)) + u' ' + QLatin1Char(value < 0 ? negative : positive);
}

// Between "Grid Square" and the locator lie twenty characters of markup.
QString gridLine(const QString &grid) {
    return QStringLiteral("<tr><td>Grid Square:</td><td class=\"g\">%1</td></tr>\n").arg(grid);
}

QByteArray eham(const CallbookStation &s) {
    QString page = QStringLiteral("<html><head><title>eHam.net - Callbook: %1</title></head>\n"
                                  "<body><div class=\"callbook\"><table>\n")
                       .arg(s.callsign);
    page += QStringLiteral("<tr><td class=\"call\"><h4>  %1  </h4></td></tr>\n").arg(s.name);
    page += QStringLiteral("<tr><td align=\"center\">%1</td></tr>\n").arg(s.address1);
    page += QStringLiteral("<tr><td><div align=\"center\">%1</div>\n").arg(s.address2);
    page += QStringLiteral("<div align=\"center\">%1</div></td></tr>\n").arg(s.country);
    if (s.latitude)
        page += QStringLiteral("<tr><td><b>Latitude:</b>  %1</td></tr>\n")
                    .arg(hemisphere(*s.latitude, 'N', 'S'));
    if (s.longitude)
        page += QStringLiteral("<tr><td><b>Longitude:</b>\r\n %1</td></tr>\n")
                    .arg(hemisphere(*s.longitude, 'E', 'W'));
    if (!s.grid.isEmpty())
        page += gridLine(s.grid);
    if (!s.licenceClass.isEmpty())
        page += QStringLiteral("<tr><td><b>License Class:</b> %1</td></tr>\n").arg(s.licenceClass);
    if (!s.previousCall.isEmpty())
        page += QStringLiteral("<tr><td><b>Previous Call:</b> %1</td></tr>\n").arg(s.previousCall);
    if (!s.born.isEmpty())
        page += QStringLiteral("<tr><td>Born</td><td class=\"va\">%1</td></tr>\n").arg(s.born);
    page += QStringLiteral("</table></div></body></html>\n");
    return page.toUtf8();
}

QByteArray qrz(const CallbookStation &s) {
    QString page = QStringLiteral("<html><head><title>%1 - QRZ.COM callsign database</title>"
                                  "</head>\n<body><div id=\"t_detail\">\n")
                       .arg(s.callsign);
    page += QStringLiteral("<div class=\"mailing(address)\">\n<p>%1</p>\n<p>%2</p>\n<p>%3</p>\n"
                           "<p>%4</p>\n</div>\n<table>\n")
                .arg(s.name, s.address1, s.address2, s.country);
    // Twenty markup characters follow each label, then the signed value.
    if (s.latitude)
        page += QStringLiteral("<tr><td>Latitude</td><td class=\"va\">%1 <span>deg</span></td>"
                               "</tr>\n")
                    .arg(numberText(*s.latitude));
    if (s.longitude)
        page += QStringLiteral("<tr><td>Longitude</td><td class=\"va\">%1 <span>deg</span></td>"
                               "</tr>\n")
                    .arg(numberText(*s.longitude));
    if (!s.grid.isEmpty())
        page += gridLine(s.grid);
    if (!s.licenceClass.isEmpty())
        page += QStringLiteral("<tr><td>Class</td><td class=\"va\">%1 </td></tr>\n")
                    .arg(s.licenceClass);
    if (!s.webPage.isEmpty())
        page += QStringLiteral("<tr><td>Web Page</td><td class=\"va\"><a href=\"%1\" "
                               "target=\"_blank\">link</a></td></tr>\n")
                    .arg(s.webPage);
    page += QStringLiteral("</table></div></body></html>\n");
    return page.toUtf8();
}

QByteArray hamdata(const CallbookStation &s) {
    QString page =
        QStringLiteral("<html><head><title>Hamdata: %1</title></head><body>\n").arg(s.callsign);
    page += QStringLiteral("<font size=3 color=\"#000080\">   %1<br>%2\n<br>%3\n")
                .arg(s.name, s.address1, s.address2);
    if (!s.licenceClass.isEmpty())
        page += QStringLiteral("<p>Class: %1</p>\n").arg(s.licenceClass);
    if (!s.grid.isEmpty())
        page += gridLine(s.grid);
    page += QStringLiteral("</font></body></html>\n");
    return page.toUtf8();
}

} // namespace

QByteArray callbookRecordPage(int database, const CallbookStation &station) {
    switch (database) {
    case 1:
        return eham(station);
    case 2:
        return qrz(station);
    case 3:
        return hamdata(station);
    default:
        return {};
    }
}

QByteArray callbookNotFoundPage(int database, const QString &callsign) {
    switch (database) {
    case 1:
        return QStringLiteral("<html><head><title>eHam.net - Callbook</title></head><body>\n"
                              "<p>No callsign found matching %1.</p></body></html>\n")
            .arg(callsign)
            .toUtf8();
    case 2:
        return QStringLiteral("<html><head><title>QRZ.COM callsign database</title></head>"
                              "<body>\n<p>produced no results: %1</p></body></html>\n")
            .arg(callsign)
            .toUtf8();
    case 3:
        return QStringLiteral("<html><head><title>Hamdata</title></head><body>\n"
                              "<p>%1 is not in the database.</p></body></html>\n")
            .arg(callsign)
            .toUtf8();
    default:
        return {};
    }
}

QByteArray callbookHomePage(int database) {
    static const char *const kTitles[] = {"eHam.net - Amateur Radio", "QRZ.COM",
                                          "Hamdata - Callsign look-up"};
    if (database < 1 || database > 3)
        return {};
    return QByteArray("<html><head><title>") + kTitles[database - 1] +
           "</title></head><body><p>Look up a callsign.</p></body></html>\n";
}

QString callbookRecordPath(int database, const QString &callsign) {
    switch (database) {
    case 1:
        return QStringLiteral("callbook/") + callsign;
    case 2:
        return QStringLiteral("db/") + callsign;
    case 3:
        return QStringLiteral("getcall.html?callsign=") + callsign;
    default:
        return {};
    }
}

} // namespace tavimo::test
