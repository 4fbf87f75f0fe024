#include "core/net/CallbookPage.h"

#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/geo/CoordinateText.h"

#include <QStringDecoder>

#include <optional>

namespace tavimo {

namespace {

const CallbookDatabase *database(int index) {
    for (const CallbookDatabase &db : kCallbooks) {
        if (db.index == index)
            return &db;
    }
    return nullptr;
}

// The page as the field rules see it: positions count from 1, and 0 means
// "not found", so that each rule reads as the layout it follows.
class Page {
public:
    explicit Page(const QString &text) : text_(text) {}

    // Position of the first `marker` at or after `from`; 0 when there is none
    // (or when `from` is 0, the position of a marker that was missing).
    qsizetype pos(QStringView marker, qsizetype from) const {
        if (from < 1 || from > text_.size())
            return 0;
        return text_.indexOf(marker, from - 1, Qt::CaseSensitive) + 1;
    }

    // `count` characters from position a + k; nothing for a negative count.
    std::optional<QString> mid(qsizetype a, qsizetype k, qsizetype count) const {
        if (count < 0)
            return std::nullopt;
        const qsizetype start = a + k - 1;
        if (start >= text_.size())
            return QString();
        return text_.mid(start, count);
    }

private:
    const QString &text_;
};

QString trimSpaces(QString text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString crlfToSpace(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
}

// The n-th "<p>" after the mailing block of a QRZ page, the text up to "</p>".
QString qrzParagraph(const Page &p, int n) {
    qsizetype a = p.pos(u"mailing(", 1);
    a = p.pos(u"<p>", a);
    for (int i = 1; i < n; ++i)
        a = p.pos(u"<p>", a == 0 ? 0 : a + 1);
    if (a <= 1)
        return {};
    const qsizetype b = p.pos(u"</p>", a);
    if (b == 0)
        return {};
    return p.mid(a, 3, b - a - 3).value_or(QString());
}

// The n-th "center" after the name heading of an eHam page, trimmed, up to the
// end marker.
QString ehamCentered(const Page &p, int n, QStringView end) {
    qsizetype a = p.pos(u"><h4>", 1);
    a = p.pos(u"center", a);
    for (int i = 1; i < n; ++i)
        a = p.pos(u"center", a == 0 ? 0 : a + 1);
    if (a == 0)
        return {};
    const qsizetype b = p.pos(end, a);
    if (b == 0)
        return {};
    return trimSpaces(p.mid(a, 8, b - a - 8).value_or(QString()));
}

// Position just after the "<br>" that ends a Hamdata name line; 0 when missing.
qsizetype hamdataAfterName(const Page &p) {
    const qsizetype c = p.pos(u"size=3 color=", 1);
    const qsizetype d = p.pos(u"<br>", c);
    return d == 0 ? 0 : d + 4;
}

// A labelled value up to "</td>", its line breaks made blanks, trimmed.
QString tableValue(const Page &p, QStringView label, qsizetype offset) {
    const qsizetype a = p.pos(label, 1);
    if (a == 0)
        return {};
    const qsizetype b = p.pos(u"</td>", a);
    if (b == 0)
        return {};
    return trimSpaces(crlfToSpace(p.mid(a, offset, b - a - offset).value_or(QString())));
}

// A QRZ coordinate: the text `offset` characters after its label, up to the
// next "<span".
QString qrzCoordinate(const Page &p, QStringView label, qsizetype offset) {
    const qsizetype a = p.pos(label, 1);
    if (a == 0)
        return {};
    const qsizetype b = p.pos(u"<span", a + 10);
    if (b == 0)
        return {};
    return p.mid(a, offset, b - a - offset).value_or(QString());
}

double coordinate(const QString &page, int db, CoordinateAxis axis) {
    const Page p(page);
    const bool latitude = axis == CoordinateAxis::Latitude;
    QString text;
    if (db == 1)
        text = latitude ? tableValue(p, u"Latitude:", 13) : tableValue(p, u"Longitude:", 14);
    else if (db == 2)
        text = latitude ? qrzCoordinate(p, u"Latitude", 28) : qrzCoordinate(p, u"Longitude", 29);
    return coordinateOrZero(text, axis);
}

} // namespace

QString callbookName(int databaseIndex) {
    const CallbookDatabase *db = database(databaseIndex);
    return db ? QString::fromLatin1(db->name) : QString();
}

QString callbookLabel(int databaseIndex) {
    const CallbookDatabase *db = database(databaseIndex);
    return db ? QString::fromLatin1(db->label) : QString();
}

bool pageHasLabel(const QString &pageText, const QString &label) {
    return !label.isEmpty() &&
           QStringView(pageText).left(kLabelWindow).contains(label, Qt::CaseSensitive);
}

QString callbookRoot(const Endpoints &endpoints, int databaseIndex) {
    switch (databaseIndex) {
    case 1:
        return endpoints.CallbookEham;
    case 2:
        return endpoints.CallbookQrz;
    case 3:
        return endpoints.CallbookHamdata;
    default:
        return {};
    }
}

QString callsignForAddress(QStringView pageCallsign) {
    QString call = pageCallsign.toString();
    call.replace(QChar(0x00D8), u'0');
    QString encoded;
    for (const char byte : call.toUtf8()) {
        const bool plain = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                           (byte >= '0' && byte <= '9') || byte == '/';
        if (plain)
            encoded += QLatin1Char(byte);
        else
            encoded += QStringLiteral("%%1").arg(uchar(byte), 2, 16, QLatin1Char('0')).toUpper();
    }
    return encoded;
}

QString callbookHomeAddress(const Endpoints &endpoints, int databaseIndex) {
    return joinEndpoint(callbookRoot(endpoints, databaseIndex), QString());
}

QString callbookRecordAddress(const Endpoints &endpoints, int databaseIndex,
                              const QString &callsign) {
    const QString call = callsignForAddress(callsign);
    if (call.isEmpty())
        return {};
    QString path;
    switch (databaseIndex) {
    case 1:
        path = QStringLiteral("callbook/") + call;
        break;
    case 2:
        path = QStringLiteral("db/") + call + QStringLiteral("#t_detail");
        break;
    case 3:
        path = QStringLiteral("getcall.html?callsign=") + call;
        break;
    default:
        return {};
    }
    return joinEndpoint(callbookRoot(endpoints, databaseIndex), path);
}

QString stationPictureAddress(const QString &picturesRoot, const QString &stationCall) {
    QString call = stationCall;
    call.replace(QChar(0x00D8), u'0').replace(QChar(0x00F8), u'0');
    call = call.toLower();
    if (call.isEmpty())
        return {};
    // The folder is the callsign's last character as the address writes it,
    // so a trailing "Ø" gives the folder "0".
    const QString encoded = callsignForAddress(call);
    const QString folder = callsignForAddress(call.right(1));
    return joinEndpoint(picturesRoot,
                        folder + u'/' + encoded + u'/' + encoded + QStringLiteral(".jpg"));
}

QString cutStationCall(const QString &caption) {
    qsizetype end = 0;
    while (end < caption.size() && caption[end].unicode() >= u'0')
        ++end;
    return caption.left(end);
}

QString cutLookupCall(const QString &callsign) {
    qsizetype end = 0;
    while (end < callsign.size() && callsign[end] != u'-' && callsign[end] != u' ')
        ++end;
    return callsign.left(end);
}

QString callbookPageText(const QByteArray &bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    return decodeCp1252(bytes);
}

QString HTMLDecode(const QString &html) {
    struct Entity {
        QStringView name;
        QChar character;
    };
    static constexpr Entity kEntities[] = {
        {u"&nbsp;", u' '}, {u"&quot;", u'"'}, {u"&amp;", u'&'}, {u"&lt;", u'<'}, {u"&gt;", u'>'},
    };
    QString s = html;
    qsizetype at = s.indexOf(u'&');
    while (at >= 0) {
        for (const Entity &entity : kEntities) {
            if (QStringView(s)
                    .mid(at, entity.name.size())
                    .compare(entity.name, Qt::CaseInsensitive) == 0) {
                s.replace(at, entity.name.size(), entity.character);
                break;
            }
        }
        at = s.indexOf(u'&', at + 1);
    }
    return s;
}

namespace callbook {

QString cName(const QString &page, int db, bool *recordFound) {
    const Page p(page);
    const QStringView first = db == 1 ? u"><h4>" : db == 2 ? u"mailing(" : u"size=3 color=";
    const qsizetype start = (db >= 1 && db <= 3) ? p.pos(first, 1) : 0;
    if (recordFound)
        *recordFound = start != 0 || db < 1 || db > 3;
    if (start == 0)
        return {};
    switch (db) {
    case 1: {
        const qsizetype b = p.pos(u"</h4>", start + 4);
        return b == 0 ? QString() : trimSpaces(p.mid(start, 5, b - start - 5).value_or(QString()));
    }
    case 2:
        return qrzParagraph(p, 1);
    case 3: {
        const qsizetype b = p.pos(u"<br>", start);
        return b == 0 ? QString()
                      : trimSpaces(p.mid(start, 26, b - start - 26).value_or(QString()));
    }
    default:
        return {};
    }
}

QString Add1(const QString &page, int db) {
    const Page p(page);
    switch (db) {
    case 1:
        return ehamCentered(p, 1, u"</td>");
    case 2:
        return qrzParagraph(p, 2);
    case 3: {
        const qsizetype a = hamdataAfterName(p);
        const qsizetype b = p.pos(u"\n", a);
        return b == 0 ? QString() : trimSpaces(p.mid(a, 0, b - a).value_or(QString()));
    }
    default:
        return {};
    }
}

QString Add2(const QString &page, int db) {
    const Page p(page);
    switch (db) {
    case 1:
        return ehamCentered(p, 2, u"</div>");
    case 2:
        return qrzParagraph(p, 3);
    case 3: {
        const qsizetype e = p.pos(u"\n", hamdataAfterName(p));
        if (e == 0)
            return {};
        const qsizetype a = e + 4;
        const qsizetype b = p.pos(u"\n", a);
        return b == 0 ? QString() : trimSpaces(p.mid(a, 1, b - a - 1).value_or(QString()));
    }
    default:
        return {};
    }
}

QString Ctry(const QString &page, int db) {
    const Page p(page);
    switch (db) {
    case 1:
        return ehamCentered(p, 3, u"</div>");
    case 2:
        return qrzParagraph(p, 4);
    default:
        return {};
    }
}

double Latitude(const QString &page, int db) {
    return coordinate(page, db, CoordinateAxis::Latitude);
}

double Longitude(const QString &page, int db) {
    return coordinate(page, db, CoordinateAxis::Longitude);
}

QString Class(const QString &page, int db) {
    const Page p(page);
    switch (db) {
    case 1:
        return tableValue(p, u"License Class:", 18);
    case 2: {
        const qsizetype a = p.pos(u">Class<", 1);
        const qsizetype b = a == 0 ? 0 : p.pos(u"<", a + 26);
        // The character before the "<" is left out.
        return b == 0 ? QString() : trimSpaces(p.mid(a, 26, b - a - 27).value_or(QString()));
    }
    case 3: {
        const qsizetype a = p.pos(u">Class:", 1);
        const qsizetype b = a == 0 ? 0 : p.pos(u"<", a + 6);
        return b == 0 ? QString() : trimSpaces(p.mid(a, 7, b - a - 7).value_or(QString()));
    }
    default:
        return {};
    }
}

QString PrevCall(const QString &page, int db) {
    if (db < 1 || db > 3)
        return {};
    return tableValue(Page(page), u"Previous Call:", 18);
}

QString DateOfBirth(const QString &page, int db) {
    if (db < 1 || db > 3)
        return {};
    const Page p(page);
    const qsizetype a = p.pos(u"Born", 1);
    if (a == 0)
        return {};
    const QString year = p.mid(a, 24, 4).value_or(QString());
    return Val(year) > 1900 ? year : QString();
}

QString Grid(const QString &page, int db) {
    if (db < 1 || db > 3)
        return {};
    const Page p(page);
    const qsizetype a = p.pos(u"Grid Square", 1);
    return a == 0 ? QString() : p.mid(a, 31, 6).value_or(QString());
}

QString WebAddress(const QString &page, int db) {
    if (db != 2)
        return {};
    const Page p(page);
    const qsizetype a = p.pos(u"Web Page", 1);
    const qsizetype b = a == 0 ? 0 : p.pos(u"target", a);
    return b == 0 ? QString() : p.mid(a, 37, b - a - 39).value_or(QString());
}

} // namespace callbook

} // namespace tavimo
