#include "core/sites/SiteLists.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/base/Prompts.h"
#include "core/base/RegularFile.h"
#include "core/base/TextCodec.h"
#include "core/files/AppPaths.h"
#include "core/sites/ListablePosition.h"
#include "core/sites/SlotMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace tavimo {
namespace {

QString tr(const char *text) {
    return QCoreApplication::translate("tavimo", text);
}

QString field(const QStringList &fields, qsizetype i) {
    return i < fields.size() ? fields.at(i) : QString();
}

// Line breaks would split a record and NUL would end it early in some
// readers; "*" separates the fields, so it is dropped from plain texts and
// percent-encoded in addresses (where it means the same to a server).
QString cleanText(QString text) {
    text.remove(u'\r').remove(u'\n').remove(QChar(0));
    return text.remove(u'*');
}
QString cleanAddress(QString text) {
    text.remove(u'\r').remove(u'\n').remove(QChar(0));
    return text.replace(u'*', QStringLiteral("%2A"));
}

// A line as the writer would write it back, so that a list read from a
// UTF-16 file sorts as it will read next time.
QString readAsWritten(const QString &line) {
    QString text = cp1252Text(line);
    return text.remove(u'\r').remove(u'\n').remove(QChar(0));
}

SiteRecord parseSiteRecord(const QString &line, const QString &url) {
    const QStringList f = line.split(u'*');
    SiteRecord r;
    r.Callsign = storedCallsign(f.at(0));
    for (int k = 1; k <= 4; ++k) {
        const QString map = field(f, k);
        r.SlotMap[k] = map.size() == kEmptySlotMap.size() ? map : kEmptySlotMap;
    }
    // A position off the globe only breaks the distance: it reads as none.
    setListedPosition(r, Val(field(f, 5)), Val(field(f, 6)));
    r.LastPictureDate = field(f, 7);
    r.CamUrl = field(f, 8);
    r.PictureUrl = url;
    return r;
}

SiteRecord parseWxSiteRecord(const QString &line, const QString &url) {
    QStringList f = line.split(u'*');
    if (f.size() < 5)
        f = (line + QStringLiteral("*0")).split(u'*');
    SiteRecord r;
    r.Callsign = f.at(0);
    for (int k = 1; k <= 4; ++k)
        r.SlotMap[k] = field(f, k);
    r.PictureUrl = url;
    return r;
}

template <typename Parse> SiteListFile readList(const QString &path, Parse parse) {
    SiteListFile result;
    const TextFileLines file = readTextFile(path);
    switch (file.status) {
    case TextFileLines::Status::Missing:
        return result;
    case TextFileLines::Status::Unreadable:
    case TextFileLines::Status::NotText:
        result.status = ListStatus::Unreadable;
        result.error = file.error;
        qCWarning(lcCore) << "cannot read" << path;
        return result;
    case TextFileLines::Status::Read:
        break;
    }
    const QStringList &lines = file.lines;
    result.status = ListStatus::Read;
    result.sites.reserve(lines.size() / 2 + 1);
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const QString url = field(lines, i + 1);
        if (url.contains(u'*')) {
            result.status = ListStatus::Misaligned;
            result.badLine = int(i + 2);
            result.error =
                tr("%1 is damaged: line %2 holds a site where a picture address belongs, so a "
                   "line above it is missing or left over.\nThe sites above that line are shown. "
                   "The file is not saved until it has been mended.")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(result.badLine);
            qCWarning(lcCore) << "misaligned" << path << "at line" << result.badLine;
            break;
        }
        SiteRecord r = parse(readAsWritten(lines.at(i)), readAsWritten(url));
        r.LoadOrder = int(i / 2);
        result.sites.append(std::move(r));
    }
    return result;
}

template <typename RecordLine> QStringList listLines(const SiteList &sites, RecordLine recordLine) {
    QStringList lines;
    lines.reserve(sites.size() * 2);
    for (const SiteRecord &r : sites) {
        if (r.Callsign.isEmpty())
            continue;
        lines.append(recordLine(r));
        lines.append(cleanAddress(r.PictureUrl));
    }
    return lines;
}

// Ascending by callsign, comparing UTF-16 code units as QString does; records
// with equal callsigns keep their order, so a list that is read, sorted and
// written back comes out as it went in. The callsigns are sorted beside their
// places and the records moved once; a list in order (as Tavimo writes it)
// is only looked through.
void sortByCallsign(SiteList &sites) {
    struct Key {
        // The first four code units, the first in the highest bits, zeros
        // after a shorter callsign: most callsigns differ there, and their
        // texts need not be looked at.
        quint64 head = 0;
        std::u16string_view callsign;
        qsizetype index = 0;
    };
    const qsizetype n = sites.size();
    SiteRecord *records = sites.data(); // detaches once
    std::vector<Key> keys;
    keys.reserve(size_t(n));
    for (qsizetype i = 0; i < n; ++i) {
        const QString &call = records[i].Callsign;
        Key key{0, {reinterpret_cast<const char16_t *>(call.utf16()), size_t(call.size())}, i};
        for (size_t c = 0; c < 4; ++c)
            key.head = key.head << 16 | (c < key.callsign.size() ? key.callsign[c] : 0);
        keys.push_back(key);
    }
    const auto before = [](const Key &a, const Key &b) {
        return a.head != b.head ? a.head < b.head : a.callsign < b.callsign;
    };
    if (std::is_sorted(keys.begin(), keys.end(), before))
        return;
    std::stable_sort(keys.begin(), keys.end(), before);
    SiteList sorted;
    sorted.reserve(n);
    for (const Key &key : keys)
        sorted.append(std::move(records[key.index]));
    sites = std::move(sorted);
}

// Whether the first record line of a list file has eleven fields or fewer,
// read from no more than the bytes up to its end; nothing when the head does
// not tell (an empty first line, no text, no line break read).
std::optional<bool> firstRecordLineIsShort(const QString &path) {
    QFile file;
    if (!openRegularFile(file, path))
        return std::nullopt;
    QByteArray head;
    while (!file.atEnd()) {
        const QByteArray chunk = file.read(4096);
        if (chunk.isEmpty())
            break;
        head += chunk;
        if (chunk.contains('\n') || chunk.contains('\r'))
            break;
    }
    const std::optional<QString> text = decodeTextFile(head);
    if (!text || (!file.atEnd() && !text->contains(u'\n') && !text->contains(u'\r')))
        return std::nullopt;
    const QStringList lines = splitTextLines(QStringView(*text));
    if (lines.isEmpty() || lines.first().isEmpty())
        return std::nullopt;
    return lines.first().count(u'*') + 1 <= 11;
}

// An old slot number as one hexadecimal digit; anything that is not a whole
// number from 0 to 15 means "not placed".
QChar oldSlotDigit(const QString &text) {
    if (text.isEmpty() || text.contains(u'.'))
        return u'0';
    const auto value = toInt32(Val(text));
    if (!value || *value < 0 || *value > 15)
        return u'0';
    return QStringLiteral("0123456789ABCDEF").at(*value);
}

// A copy of the original in the backup folder under a name that holds no other
// file (an identical earlier copy is reused).
ConvertResult backUp(const QString &path, const QString &backupFolder) {
    ConvertResult result;
    QDir().mkpath(backupFolder);
    const QFileInfo source(path);
    const QByteArray bytes = readRegularFile(path).value_or(QByteArray());
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? source.fileName()
                                    : QStringLiteral("%1 (%2).%3")
                                          .arg(source.completeBaseName())
                                          .arg(n)
                                          .arg(source.suffix());
        const QString target = QDir(backupFolder).filePath(name);
        if (QFileInfo::exists(target)) {
            if (readRegularFile(target) == bytes) {
                result.backupPath = target;
                return result;
            }
            continue;
        }
        if (QFile::copy(path, target)) {
            result.backupPath = target;
            return result;
        }
        break;
    }
    result.ok = false;
    result.error = tr("Could not keep a copy of %1 in %2 before converting it.")
                       .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(backupFolder));
    return result;
}

} // namespace

SiteListFile readSiteList(const QString &path) {
    SiteListFile result = readList(path, parseSiteRecord);
    SortSiteList(result.sites);
    return result;
}

SiteListFile readWxSiteList(const QString &path) {
    SiteListFile result = readList(path, parseWxSiteRecord);
    SortWxSiteList(result.sites);
    return result;
}

QStringList siteListLines(const SiteList &sites) {
    return listLines(sites, [](const SiteRecord &r) {
        return QStringList{cleanText(storedCallsign(r.Callsign)),
                           cleanText(r.SlotMap[1]),
                           cleanText(r.SlotMap[2]),
                           cleanText(r.SlotMap[3]),
                           cleanText(r.SlotMap[4]),
                           numberText(r.Latitude),
                           numberText(r.Longitude),
                           cleanText(r.LastPictureDate),
                           cleanAddress(r.CamUrl)}
            .join(u'*');
    });
}

QStringList wxSiteListLines(const WxSiteList &sites) {
    return listLines(sites, [](const SiteRecord &r) {
        return QStringList{cleanText(r.Callsign), cleanText(r.SlotMap[1]), cleanText(r.SlotMap[2]),
                           cleanText(r.SlotMap[3]), cleanText(r.SlotMap[4])}
            .join(u'*');
    });
}

WriteResult writeSiteList(const QString &path, const SiteList &sites) {
    return writeTextLines(path, siteListLines(sites));
}

WriteResult writeWxSiteList(const QString &path, const WxSiteList &sites) {
    return writeTextLines(path, wxSiteListLines(sites));
}

QStringList removeDuplicateAddresses(SiteList &sites) {
    QHash<QString, qsizetype> keeper; // address -> index of the record kept
    keeper.reserve(sites.size());
    for (qsizetype i = 0; i < sites.size(); ++i) {
        const SiteRecord &r = sites.at(i);
        if (r.Callsign.isEmpty())
            continue;
        const auto kept = keeper.constFind(r.PictureUrl);
        if (kept == keeper.constEnd() || r.LoadOrder < sites.at(*kept).LoadOrder)
            keeper.insert(r.PictureUrl, i);
    }
    QStringList dropped;
    for (qsizetype i = 0; i < sites.size(); ++i) {
        SiteRecord &r = sites[i];
        if (r.Callsign.isEmpty() || keeper.value(r.PictureUrl) == i)
            continue;
        dropped.append(r.Callsign + QStringLiteral("  ") + r.PictureUrl);
        r.Callsign.clear();
    }
    return dropped;
}

void SortSiteList(SiteList &sites) {
    sortByCallsign(sites);
}
void SortWxSiteList(WxSiteList &sites) {
    sortByCallsign(sites);
}

bool isOldFormatSiteList(const QString &path) {
    // Start-up reads the whole list right after this: a current list, whose
    // first record line is short, is told by the bytes up to its first line
    // break.
    if (firstRecordLineIsShort(path).value_or(false))
        return false;
    const auto lines = readTextLines(path);
    if (!lines || lines->isEmpty())
        return false;
    // A current list written before fields were cleaned can hold a "*" in an
    // address, so one long line proves nothing: every record line must be
    // long. Empty record lines (a blank line at the end) count for neither.
    bool anyRecord = false;
    for (qsizetype i = 0; i < lines->size(); i += 2) {
        const QString &line = lines->at(i);
        if (line.isEmpty())
            continue;
        if (line.count(u'*') + 1 <= 11)
            return false;
        anyRecord = true;
    }
    return anyRecord;
}

ConvertResult ConvertOldSiteList(const QString &path, const QString &backupFolder) {
    const TextFileLines file = readTextFile(path);
    if (file.status != TextFileLines::Status::Read)
        return {false, {}, file.error};
    const QStringList &lines = file.lines;
    ConvertResult result = backUp(path, backupFolder);
    if (!result.ok)
        return result;

    constexpr int kOldFields = 34; // callsign, 10 pages x 3 settings, lat, lon, date
    QStringList converted;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        QStringList f = lines.at(i).split(u'*');
        while (f.size() < kOldFields) // a short record keeps what it has
            f.append(QString());
        const QString callsign = storedCallsign(f.at(0));
        if (callsign.isEmpty())
            continue;
        QString maps[3];
        for (int page = 0; page < 10; ++page) {
            for (int setting = 0; setting < 3; ++setting)
                maps[setting] += oldSlotDigit(f.at(1 + page * 3 + setting));
        }
        converted.append(QStringList{callsign, maps[0], maps[1], maps[2], kEmptySlotMap, f.at(31),
                                     f.at(32), f.at(33)}
                             .join(u'*'));
        converted.append(field(lines, i + 1));
    }
    const WriteResult written = writeTextLines(path, converted);
    if (!written) {
        result.ok = false;
        result.error = written.error;
    }
    return result;
}

QString previousCopyName(const QString &listFileName) {
    const QFileInfo name(listFileName);
    return name.completeBaseName() + QStringLiteral(".previous.") + name.suffix();
}

namespace {

// The list file as it was before this run's first save; a failure costs only
// the copy, so it is logged and the run goes on.
void keepPreviousCopy(const QString &path, const QString &backupFolder) {
    const std::optional<QByteArray> bytes = readRegularFile(path);
    if (!bytes)
        return;
    const QString target =
        QDir(backupFolder).filePath(previousCopyName(QFileInfo(path).fileName()));
    if (readRegularFile(target) == bytes)
        return;
    QDir().mkpath(backupFolder);
    if (const WriteResult written = writeFileAtomically(target, *bytes); !written)
        qCWarning(lcCore).noquote() << written.error;
}

void warn(Prompts &prompts, const QString &text) {
    prompts.message(text, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
}

} // namespace

StartupLists loadSiteLists(const AppPaths &paths, Prompts &prompts) {
    StartupLists lists;
    const QString backups = paths.data(QStringLiteral("Backups"));
    const QString sstvPath = paths.data(kSiteListFile);
    bool converted = true;
    if (isOldFormatSiteList(sstvPath)) {
        const ConvertResult conversion = ConvertOldSiteList(sstvPath, backups);
        if (!conversion.ok) {
            warn(prompts, conversion.error);
            converted = false;
        }
    }
    if (!QFileInfo::exists(sstvPath)) {
        prompts.message(QStringLiteral(".lst file not found"));
        lists.endProgram = true;
        return lists;
    }
    SiteListFile sstv = readSiteList(sstvPath);
    if (sstv.status == ListStatus::Unreadable) {
        warn(prompts, sstv.error);
        lists.endProgram = true;
        return lists;
    }
    if (sstv.status == ListStatus::Misaligned)
        warn(prompts, sstv.error);
    lists.sites = std::move(sstv.sites);
    // An old list read as a current one would be written back mangled.
    lists.sitesLoaded = converted && sstv.status == ListStatus::Read;
    if (lists.sitesLoaded)
        keepPreviousCopy(sstvPath, backups);

    const QString wxPath = paths.data(kWxSiteListFile);
    SiteListFile wx = readWxSiteList(wxPath);
    if (wx.status == ListStatus::Unreadable || wx.status == ListStatus::Misaligned)
        warn(prompts, wx.error);
    lists.wxSites = std::move(wx.sites);
    lists.wxSitesLoaded = wx.status == ListStatus::Read || wx.status == ListStatus::Missing;
    if (wx.status == ListStatus::Read)
        keepPreviousCopy(wxPath, backups);
    return lists;
}

} // namespace tavimo
