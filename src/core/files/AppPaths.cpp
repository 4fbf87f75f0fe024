#include "core/files/AppPaths.h"

#include "core/base/Logging.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace tavimo {

AppPaths AppPaths::standard() {
    AppPaths paths;
    paths.dataFolder =
        QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + "/tavimo";
    paths.programFolder = QCoreApplication::applicationDirPath();
    paths.picturesFolder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString installed = QDir(paths.programFolder).absoluteFilePath("../share/tavimo");
    paths.bundledDataFolder = QFileInfo::exists(installed + "/tavimo.cfg")
                                  ? QDir::cleanPath(installed)
                                  : QStringLiteral(TAVIMO_SOURCE_DATA_DIR);
    return paths;
}

QString AppPaths::data(const QString &relative) const {
    return dataFolder + '/' + relative;
}

QStringList AppPaths::dataSubfolders() {
    return {"TextFiles",     "images",  "images/sstv", "images/wx",
            "images/last15", "Backups", "Maps",        "Languages"};
}

namespace {

// The bundled files that are the user's own once copied: a missing one is news
// for the user, not something to put back quietly.
const QStringList kUserListFiles{QStringLiteral("tavimo.lst"), QStringLiteral("WXsites.lst")};
// Bundled for the desktop, not for the data folder.
const QString kDesktopFolder = QStringLiteral("desktop");

// A data folder holding none of the user's files: a first start.
bool isNewDataFolder(const AppPaths &paths) {
    for (const QString &name : kUserListFiles + QStringList{QStringLiteral("tavimo.cfg")}) {
        if (QFileInfo::exists(paths.data(name)))
            return false;
    }
    return true;
}

} // namespace

ProvisionResult provisionDataFolder(const AppPaths &paths) {
    ProvisionResult result;
    result.newFolder = isNewDataFolder(paths);
    QDir root;
    for (const QString &folder : QStringList{QString()} + AppPaths::dataSubfolders()) {
        const QString path = folder.isEmpty() ? paths.dataFolder : paths.data(folder);
        if (!root.mkpath(path)) {
            result.ok = false;
            result.error = path;
            qCWarning(lcCore) << "cannot create folder" << path;
            return result;
        }
    }
    if (paths.bundledDataFolder.isEmpty() || !QFileInfo(paths.bundledDataFolder).isDir())
        return result;
    const QDir bundled(paths.bundledDataFolder);
    QDirIterator it(paths.bundledDataFolder, QDir::Files | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString source = it.next();
        const QString relative = bundled.relativeFilePath(source);
        const QString target = paths.data(relative);
        if (QFileInfo::exists(target) || relative.startsWith(kDesktopFolder + u'/') ||
            (!result.newFolder && kUserListFiles.contains(relative)))
            continue;
        root.mkpath(QFileInfo(target).absolutePath());
        if (QFile::copy(source, target)) {
            // Bundled files may be installed read-only; the user's copy is theirs.
            QFile::setPermissions(target, QFile::permissions(target) | QFile::WriteOwner);
            result.copied.append(relative);
        } else {
            qCWarning(lcCore) << "cannot copy" << source << "to" << target;
        }
    }
    return result;
}

} // namespace tavimo
