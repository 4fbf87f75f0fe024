#include "core/base/FileDialogs.h"

#include "core/base/Logging.h"

#include <QDir>
#include <QFileInfo>

namespace tavimo {

QString saveDialogFolder(const QString &SaveFolder, const QString &picturesFolder) {
    if (SaveFolder.isEmpty() || picturesFolder.isEmpty() ||
        QDir::cleanPath(SaveFolder) != QDir::cleanPath(picturesFolder) ||
        QFileInfo(SaveFolder).isDir())
        return SaveFolder;
    if (QDir().mkpath(SaveFolder))
        return SaveFolder;
    qCWarning(lcCore) << "the pictures folder" << SaveFolder
                      << "could not be made; the save starts in the home folder";
    return QDir::homePath() + u'/';
}

QString nameFilter(const QString &description, const QString &pattern) {
    return description + QStringLiteral(" (") + pattern + u')';
}

} // namespace tavimo
