#include "core/net/UpdatesList.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/base/TextCodec.h"
#include "core/sites/ListableText.h"

#include <QSet>

namespace tavimo {
namespace {

// Lines of one section, cut at LF with every CR removed. Not splitTextLines: the empty line
// after a final line break counts here, because the last line of a section is no entry.
QStringList sectionLines(const QString &section) {
    QStringList lines = section.split(u'\n');
    for (QString &line : lines)
        line.remove(u'\r');
    return lines;
}

// The entry lines of sections 2 and 4: all but the first and the last.
QStringList entryLines(const QString &section) {
    const QStringList lines = sectionLines(section);
    if (lines.size() < 3)
        return {};
    return lines.mid(1, lines.size() - 2);
}

QList<AddressEntry> readAddressEntries(const QString &section) {
    QList<AddressEntry> entries;
    for (const QString &line : entryLines(section)) {
        const QStringList fields = line.split(u'*');
        if (fields.size() < 3 || fields[1].isEmpty() || fields[2].isEmpty())
            continue;
        AddressEntry entry;
        entry.callsign = fields[0];
        entry.pictureUrl = fields[1];
        entry.discontinued = fields[2].toUpper() == u"DELETE";
        if (!entry.discontinued) {
            if (fields[2] == fields[1])
                continue;
            entry.newUrl = fields[2];
        }
        entries.append(entry);
    }
    return entries;
}

QList<CallsignEntry> readCallsignEntries(const QString &section) {
    QList<CallsignEntry> entries;
    for (const QString &line : entryLines(section)) {
        const QStringList fields = line.split(u'*');
        if (fields.size() < 2 || fields[0].isEmpty() || fields[1].isEmpty() ||
            fields[0] == fields[1])
            continue;
        entries.append({fields[0], fields[1]});
    }
    return entries;
}

void readNewSites(const QString &section, UpdatesList &list) {
    static const QString camMark = QStringLiteral("(Cam)");
    const QStringList lines = sectionLines(section);
    QSet<QString> seenSites;
    QSet<QString> seenCameras;
    for (qsizetype i = 2; i < lines.size(); i += 2) {
        const QString &address = lines[i];
        const QStringList fields = lines[i - 1].split(u'*');
        // A callsign or address of which the list file would keep nothing (control characters
        // alone) would be added now and gone after the next save.
        if (fields.size() < 3 || listedCallsign(fields[0]).isEmpty() ||
            listedCallsign(address).isEmpty())
            continue;
        NewSiteEntry entry{fields[0], fields[1], fields[2], fields.value(3), address};
        const bool camera = entry.callsign.contains(camMark) || entry.latitude.contains(camMark) ||
                            entry.longitude.contains(camMark) || entry.camUrl.contains(camMark) ||
                            entry.pictureUrl.contains(camMark);
        QSet<QString> &seen = camera ? seenCameras : seenSites;
        if (seen.contains(address))
            continue;
        seen.insert(address);
        (camera ? list.cameraSites : list.newSites).append(entry);
    }
}

// The text before the first marker, or the whole text when there is none.
QString headerSection(const QString &text) {
    const qsizetype marker = text.indexOf(kUpdatesSectionMarker);
    return marker < 0 ? text : text.left(marker);
}

std::optional<UpdatesListHeader> headerOf(const QString &section0) {
    const QStringList fields = section0.split(u'*');
    if (fields.size() < 2)
        return std::nullopt;
    return UpdatesListHeader{Val(fields[0]), fields[1].trimmed()};
}

} // namespace

std::optional<UpdatesListHeader> readUpdatesHeader(const QByteArray &bytes) {
    return headerOf(headerSection(decodeCp1252(bytes)));
}

std::optional<UpdatesList> readUpdatesList(const QByteArray &bytes) {
    return readUpdatesSections(decodeCp1252(bytes).split(kUpdatesSectionMarker.toString()));
}

std::optional<UpdatesList> readUpdatesSections(const QStringList &sections) {
    if (sections.isEmpty())
        return std::nullopt;
    const std::optional<UpdatesListHeader> header = headerOf(sections.constFirst());
    if (!header) {
        qCInfo(lcCore) << "Updates list has no header";
        return std::nullopt;
    }
    if (sections.size() < kUpdatesSectionCount) {
        qCInfo(lcCore) << "Updates list has" << sections.size() << "sections, not"
                       << kUpdatesSectionCount;
        return std::nullopt;
    }
    UpdatesList list;
    list.header = *header;
    list.addressEntries = readAddressEntries(sections[2]);
    list.callsignEntries = readCallsignEntries(sections[4]);
    readNewSites(sections[6], list);
    return list;
}

std::optional<QDate> parseUpdatesListDate(QStringView text) {
    text = text.trimmed();
    const qsizetype blank = text.indexOf(u' ');
    if (blank >= 0)
        text = text.left(blank);
    qsizetype cut = -1;
    for (const QChar separator : {u'/', u'-', u'.'}) {
        cut = text.indexOf(separator);
        if (cut >= 0)
            break;
    }
    if (cut < 0)
        return std::nullopt;
    const QChar separator = text[cut];
    const QList<QStringView> parts = text.split(separator);
    if (parts.size() != 3 || !digitsValue(parts[0]) || !digitsValue(parts[1]) ||
        !digitsValue(parts[2]))
        return std::nullopt;
    const bool yearFirst = parts[0].size() == 4;
    const QStringView yearText = yearFirst ? parts[0] : parts[2];
    const QStringView monthText = yearFirst ? parts[1] : parts[0];
    const QStringView dayText = yearFirst ? parts[2] : parts[1];
    if (monthText.size() > 2 || dayText.size() > 2 ||
        (yearText.size() != 2 && yearText.size() != 4))
        return std::nullopt;
    int year = yearText.toInt();
    if (yearText.size() == 2)
        year += year < 30 ? 2000 : 1900;
    const int month = monthText.toInt();
    const int day = dayText.toInt();
    const QDate date(year, month, day);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

} // namespace tavimo
