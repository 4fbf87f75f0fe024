#include "core/app/StartupFiles.h"

#include "core/base/AtomicWrite.h"
#include "core/base/Logging.h"
#include "core/base/RegularFile.h"
#include "core/base/TextFile.h"
#include "core/text/Language.h"
#include "core/thumbs/SlotPictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <optional>

namespace tavimo {

namespace {

bool sameFolder(const QString &a, const QString &b) {
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

std::optional<QByteArray> readWholeFile(const QString &path, QString *error) {
    QString why;
    std::optional<QByteArray> bytes = readRegularFile(path, &why);
    if (!bytes)
        *error = QStringLiteral("cannot read %1: %2").arg(path, why);
    return bytes;
}

// Moves one file; returns an empty text on success, else why the file was kept.
QString moveOneLegacyFile(const QString &source, const QString &name, const QString &dataFolder) {
    QString error;
    const std::optional<QByteArray> bytes = readWholeFile(source, &error);
    if (!bytes)
        return error;

    const QDir data(dataFolder);
    const QString target = data.filePath(name);
    const QString backup = data.filePath(QStringLiteral("Backups/") + name);

    if (QFileInfo(target).isFile()) {
        const std::optional<QByteArray> existing = readWholeFile(target, &error);
        if (!existing)
            return error;
        if (*existing != *bytes) {
            const WriteResult kept =
                writeFileAtomically(backup + QStringLiteral(".replaced"), *existing);
            if (!kept)
                return kept.error;
        }
    }

    // Backups first: should it fail, DataFolder is still exactly as it was.
    for (const QString &path : {backup, target}) {
        const WriteResult written = writeFileAtomically(path, *bytes);
        if (!written)
            return written.error;
    }

    QFile file(source);
    if (!file.remove())
        return QStringLiteral("cannot remove %1: %2").arg(source, file.errorString());
    return {};
}

} // namespace

QStringList legacyFileNames() {
    return {QStringLiteral("tavimo.cfg"), QStringLiteral("tavimo.lst"),
            QStringLiteral("WXsites.lst")};
}

bool isFolderWritable(const QString &folder) {
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable();
}

LegacyMoveResult moveLegacyFiles(const QString &programFolder, const QString &dataFolder,
                                 const std::function<bool(const QString &)> &folderWritable) {
    LegacyMoveResult result;
    if (programFolder.isEmpty() || dataFolder.isEmpty() || !QFileInfo(programFolder).isDir())
        return result;
    // Copying a file onto itself and then removing "the original" would lose it.
    if (sameFolder(programFolder, dataFolder) ||
        sameFolder(programFolder, QDir(dataFolder).filePath(QStringLiteral("Backups"))))
        return result;

    const QStringList present = QDir(programFolder).entryList(QDir::Files, QDir::Name);
    QStringList found;
    for (const QString &name : legacyFileNames()) {
        if (std::any_of(present.begin(), present.end(), [&](const QString &p) {
                return p.compare(name, Qt::CaseInsensitive) == 0;
            })) {
            found.append(name);
        }
    }
    if (found.isEmpty())
        return result;
    if (!folderWritable(programFolder)) {
        qCInfo(lcCore) << "program folder not writable, older files left in" << programFolder;
        return result;
    }

    for (const QString &name : found) {
        QStringList matches;
        for (const QString &p : present) {
            if (p.compare(name, Qt::CaseInsensitive) == 0)
                matches.append(p);
        }
        // Two spellings of one file on a case-sensitive file system: which one the
        // user means is a guess, and a wrong guess would bury the other.
        if (matches.size() > 1) {
            const QString why = QStringLiteral("%1: several files differ only in case (%2)")
                                    .arg(programFolder, matches.join(QStringLiteral(", ")));
            qCWarning(lcCore).noquote() << why;
            result.failed.append(why);
            continue;
        }
        const QString source = QDir(programFolder).filePath(matches.constFirst());
        const QString why = moveOneLegacyFile(source, name, dataFolder);
        if (why.isEmpty()) {
            qCInfo(lcCore) << "moved" << source << "to" << dataFolder;
            result.moved.append(name);
        } else {
            qCWarning(lcCore).noquote() << "kept" << source << "-" << why;
            result.failed.append(why);
        }
    }
    return result;
}

QStringList writtenDataFolders(const QString &dataFolder) {
    QStringList folders{dataFolder};
    for (const char *below : {"images/sstv", "images/wx", "images/last15", "TextFiles"})
        folders.append(dataFolder + u'/' + QLatin1String(below));
    return folders;
}

QString unwritableDataFolder(const QString &dataFolder,
                             const std::function<bool(const QString &)> &folderWritable) {
    if (dataFolder.isEmpty())
        return {};
    for (const QString &folder : writtenDataFolders(dataFolder)) {
        if (!folderWritable(folder))
            return folder;
    }
    return {};
}

QString dataFolderReadOnlyMessage(const LanguageTexts &texts, const QString &folder) {
    QString text = texts.LngDataFolderReadOnly;
    if (text.isEmpty()) {
        LanguageTexts english;
        applyProgramTexts(0, english);
        text = english.LngDataFolderReadOnly;
    }
    return text.replace(QStringLiteral("??"), QDir::toNativeSeparators(folder));
}

bool isMapFileName(const QString &fileName) {
    if (fileName.size() < 4)
        return false;
    return fileName.chopped(4).endsWith(QLatin1String("Map"), Qt::CaseSensitive);
}

QStringList mapListFromNames(const QStringList &fileNames) {
    QStringList maps;
    for (const QString &name : fileNames) {
        if (isMapFileName(name))
            maps.append(name);
    }
    // Ties in case fall back to exact order so the list, and with it the stored
    // map index, does not depend on the order the folder was listed in.
    std::sort(maps.begin(), maps.end(), [](const QString &a, const QString &b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    return maps;
}

QStringList buildMapList(const QString &mapsFolder) {
    if (mapsFolder.isEmpty())
        return {};
    return mapListFromNames(QDir(mapsFolder).entryList(QDir::Files));
}

QStringList cachedPictureFolders() {
    return {QStringLiteral("images/sstv"), QStringLiteral("images/last15"),
            QStringLiteral("images/wx"), QStringLiteral("images")};
}

bool isCachedPictureName(const QString &folder, const QString &name) {
    // The pictures folder itself holds the captured map and the picture
    // handed over for pasting; its subfolders the slot and gallery pictures,
    // named by their number without an extension. A copy a person keeps
    // there under another name is not ours to remove.
    if (folder == QStringLiteral("images"))
        return name == QStringLiteral("Map.bmp") || name == QStringLiteral("paste.gif");
    return isNumberedPictureName(name);
}

QStringList cachedListFiles() {
    return {QStringLiteral("Sites.txt"), QStringLiteral("DiscontinuedSites.txt")};
}

CleanupResult deleteCachedFiles(const QString &dataFolder) {
    CleanupResult result;
    // An empty DataFolder would turn "images" into a folder of wherever we run.
    if (dataFolder.isEmpty())
        return result;
    const QDir data(dataFolder);

    QStringList files;
    for (const QString &folder : cachedPictureFolders()) {
        const QDir dir(data.filePath(folder));
        for (const QFileInfo &info : dir.entryInfoList(QDir::Files | QDir::Hidden)) {
            if (isCachedPictureName(folder, info.fileName()))
                files.append(info.filePath());
        }
    }
    for (const QString &name : cachedListFiles()) {
        if (QFileInfo(data.filePath(name)).isFile())
            files.append(data.filePath(name));
    }

    for (const QString &path : files) {
        if (QFile::remove(path)) {
            ++result.removed;
        } else {
            qCWarning(lcCore) << "cannot remove" << path;
            result.failed.append(path);
        }
    }
    return result;
}

QStringList removeSaveLeftovers(const QString &dataFolder, const QString &settingsFile) {
    QStringList folders;
    if (!dataFolder.isEmpty()) {
        const QDir data(dataFolder);
        folders << dataFolder;
        for (const char *below : {"Backups", "images", "TextFiles"})
            folders << data.filePath(QLatin1String(below));
    }
    if (!settingsFile.isEmpty())
        folders << QFileInfo(settingsFile).absolutePath();
    QStringList removed;
    for (const QString &folder : folders)
        removed += removeStagedSaves(folder);
    if (!removed.isEmpty())
        qCInfo(lcCore) << "removed what interrupted saves left:" << removed;
    return removed;
}

} // namespace tavimo
