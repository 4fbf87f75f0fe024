#include "core/sites/SiteLists.h"

#include "core/base/Logging.h"
#include "core/base/Numbers.h"
#include "core/base/Prompts.h"
#include "core/files/AppPaths.h"
#include "core/sites/SlotMap.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cmath>
#include <utility>

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

QString readFailure(const QString &path) {
    QFile file(path);
    const QString reason =
        file.open(QIODevice::ReadOnly) ? tr("The file could not be read.") : file.errorString();
    return tr("Could not read %1:\n%2").arg(QDir::toNativeSeparators(path), reason);
}

SiteRecord parseSiteRecord(const QString &line, const QString &url) {
    const QStringList f = line.split(u'*');
    SiteRecord r;
    r.Callsign = storedCallsign(f.at(0));
    for (int k = 1; k <= 4; ++k) {
        const QString map = field(f, k);
        r.SlotMap[k] = map.size() == kEmptySlotMap.size() ? map : kEmptySlotMap;
    }
    r.Latitude = Val(field(f, 5));
    r.Longitude = Val(field(f, 6));
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
    if (!QFileInfo::exists(path))
        return result;
    const auto lines = readTextLines(path);
    if (!lines) {
        result.status = ListStatus::Unreadable;
        result.error = readFailure(path);
        qCWarning(lcCore) << "cannot read" << path;
        return result;
    }
    result.status = ListStatus::Read;
    result.sites.reserve(lines->size() / 2 + 1);
    for (qsizetype i = 0; i < lines->size(); i += 2)
        result.sites.append(parse(lines->at(i), field(*lines, i + 1)));
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

// A comb sort whose gap shrinks by 0.65 until a pass at gap 1 swaps nothing.
void combSort(SiteList &sites) {
    const qsizetype n = sites.size() - 1;
    SiteRecord *r = sites.data(); // detaches once, not on every swap
    qsizetype gap = n;
    double flag = 0;
    do {
        gap = static_cast<qsizetype>(std::floor((gap + 1) * 0.65));
        flag = static_cast<double>(gap);
        for (qsizetype i = 0; i <= n - gap; ++i) {
            if (r[i].Callsign > r[i + gap].Callsign) {
                std::swap(r[i], r[i + gap]);
                flag = 2;
            }
        }
    } while (flag > 1.5);
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
    QFile original(path);
    const QByteArray bytes = original.open(QIODevice::ReadOnly) ? original.readAll() : QByteArray();
    for (int n = 1; n < 1000; ++n) {
        const QString name = n == 1 ? source.fileName()
                                    : QStringLiteral("%1 (%2).%3")
                                          .arg(source.completeBaseName())
                                          .arg(n)
                                          .arg(source.suffix());
        const QString target = QDir(backupFolder).filePath(name);
        if (QFileInfo::exists(target)) {
            QFile existing(target);
            if (existing.open(QIODevice::ReadOnly) && existing.readAll() == bytes) {
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
    QStringList dropped;
    QHash<QString, qsizetype> seen;
    seen.reserve(sites.size());
    for (SiteRecord &r : sites) {
        if (r.Callsign.isEmpty())
            continue;
        if (seen.contains(r.PictureUrl)) {
            dropped.append(r.Callsign + QStringLiteral("  ") + r.PictureUrl);
            r.Callsign.clear();
        } else {
            seen.insert(r.PictureUrl, 0);
        }
    }
    return dropped;
}

void SortSiteList(SiteList &sites) {
    combSort(sites);
}
void SortWxSiteList(WxSiteList &sites) {
    combSort(sites);
}

bool isOldFormatSiteList(const QString &path) {
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
    const auto lines = readTextLines(path);
    if (!lines)
        return {false, {}, readFailure(path)};
    ConvertResult result = backUp(path, backupFolder);
    if (!result.ok)
        return result;

    constexpr int kOldFields = 34; // callsign, 10 pages x 3 settings, lat, lon, date
    QStringList converted;
    for (qsizetype i = 0; i < lines->size(); i += 2) {
        QStringList f = lines->at(i).split(u'*');
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
        converted.append(field(*lines, i + 1));
    }
    const WriteResult written = writeTextLines(path, converted);
    if (!written) {
        result.ok = false;
        result.error = written.error;
    }
    return result;
}

StartupLists loadSiteLists(const AppPaths &paths, Prompts &prompts) {
    StartupLists lists;
    const QString sstvPath = paths.data(kSiteListFile);
    bool converted = true;
    if (isOldFormatSiteList(sstvPath)) {
        const ConvertResult conversion = ConvertOldSiteList(sstvPath, paths.data("Backups"));
        if (!conversion.ok) {
            prompts.message(conversion.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
            converted = false;
        }
    }
    if (!QFileInfo::exists(sstvPath)) {
        prompts.message(QStringLiteral(".lst file not found"));
        lists.endProgram = true;
        return lists;
    }
    SiteListFile sstv = readSiteList(sstvPath);
    if (sstv.status != ListStatus::Read) {
        prompts.message(sstv.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
        lists.endProgram = true;
        return lists;
    }
    lists.sites = std::move(sstv.sites);
    // An old list read as a current one would be written back mangled.
    lists.sitesLoaded = converted;

    SiteListFile wx = readWxSiteList(paths.data(kWxSiteListFile));
    if (wx.status == ListStatus::Unreadable)
        prompts.message(wx.error, QStringLiteral("Tavimo"), Prompts::Icon::Exclamation);
    lists.wxSites = std::move(wx.sites);
    lists.wxSitesLoaded = wx.status != ListStatus::Unreadable;
    return lists;
}

} // namespace tavimo
