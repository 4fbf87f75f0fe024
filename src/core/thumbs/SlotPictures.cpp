#include "core/thumbs/SlotPictures.h"

#include "core/base/Logging.h"
#include "core/base/TextFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

namespace tavimo {
namespace {

// What a picture is called while it is written, beside its own name.
const QLatin1String kPartSuffix(".part");

} // namespace

QString slotPictureFile(const AppPaths &paths, bool wxPage, int slot) {
    return paths.data((wxPage ? QStringLiteral("images/wx/") : QStringLiteral("images/sstv/")) +
                      QString::number(slot));
}

bool isNumberedPictureName(const QString &name) {
    const QStringView number = QStringView(name).chopped(
        name.endsWith(kPartSuffix) && name.size() > kPartSuffix.size() ? kPartSuffix.size() : 0);
    return !number.isEmpty() && std::all_of(number.begin(), number.end(),
                                            [](QChar c) { return c >= u'0' && c <= u'9'; });
}

void removeNumberedPictures(const QString &folder) {
    QDir dir(folder);
    if (!dir.exists())
        dir.mkpath(QStringLiteral("."));
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (isNumberedPictureName(name))
            dir.remove(name);
    }
}

SlotAnswer takeSlotAnswer(const SplitPicture &split, const SlotTarget &target, bool wxPage,
                          SlotTable &table, SiteList &sites, const LanguageTexts &texts,
                          const QString &zeroChar) {
    const int slot = target.slot;
    table.setValue(slot, stFrom, QString());
    table.setValue(slot, stInfo, QStringLiteral("Old"));
    table.setValue(slot, stTime, QString());

    SlotAnswer answer{split.picture, QString()};
    if (!split.hasTrailer)
        return answer;
    const TrailerFields fields = parseTrailerText(split.text);
    if (fields.fieldCount == 0)
        return answer;
    table.setValue(slot, stFrom, fields.sender);
    if (fields.fieldCount >= 2)
        table.setValue(slot, stInfo, fields.status);
    if (fields.fieldCount >= 3 && !wxPage && target.site >= 0 && target.site < sites.size())
        sites[target.site].LastPictureDate = fields.date;
    answer.lblFrom = senderCaption(fields, TrailerReader::Slot, texts.LngFromPrefix, zeroChar);
    return answer;
}

StoredSlotPicture storeSlotPicture(const QByteArray &download, const SlotTarget &target,
                                   bool wxPage, const AppPaths &paths, SlotTable &table,
                                   SiteList &sites, const LanguageTexts &texts,
                                   const QString &zeroChar) {
    const SlotAnswer answer = takeSlotAnswer(splitPictureTrailer(download), target, wxPage, table,
                                             sites, texts, zeroChar);
    StoredSlotPicture result;
    result.file = slotPictureFile(paths, wxPage, target.slot);
    result.lblFrom = answer.lblFrom;
    const WriteResult written = replaceCachedPicture(result.file, answer.picture);
    result.stored = written.ok;
    if (!written.ok) {
        result.error = written.error;
        qCWarning(lcCore) << "slot picture not stored:" << written.error;
        QFile::remove(result.file);
    }
    return result;
}

WriteResult replaceCachedPicture(const QString &path, const QByteArray &bytes) {
    const QString part = path + kPartSuffix;
    QFile file(part);
    QString reason;
    // The staging name is ours: whatever stands there goes, and the file is
    // made new, so that a named pipe left there never holds the writer up
    // waiting for a reader.
    QFile::remove(part);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly) &&
        file.write(bytes) == bytes.size() && file.flush()) {
        file.close();
        // The old file goes first: renaming over it would make the file system
        // push the new data to the disk at once (ext4 guards files replaced
        // that way), which a cached picture does not need. Nothing reads the
        // file between the two steps; the window does all its reading on the
        // thread that runs this.
        QFile::remove(path);
        if (std::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) ==
            0)
            return {};
        reason = QString::fromLocal8Bit(std::strerror(errno));
    } else {
        reason = file.errorString();
    }
    file.close();
    QFile::remove(part);
    return {false, QCoreApplication::translate("tavimo", "Could not save %1:\n%2")
                       .arg(QDir::toNativeSeparators(path), reason)};
}

int removeStrayImage1Files(const QString &folder) {
    QDir dir(folder);
    int removed = 0;
    const QStringList names = dir.entryList({QStringLiteral("image1.*")}, QDir::Files);
    for (const QString &name : names) {
        if (dir.remove(name))
            ++removed;
    }
    return removed;
}

} // namespace tavimo
