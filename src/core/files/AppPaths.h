#pragma once

#include <QString>
#include <QStringList>

namespace tavimo {

// Where the program keeps and finds its files. Every path is injectable so that
// tests never touch the user's folders.
struct AppPaths {
    QString dataFolder;        // DataFolder: the user's files (lists, configuration, pictures)
    QString bundledDataFolder; // read-only data shipped with the program
    QString programFolder;     // the executable's folder (files left by older versions)
    QString picturesFolder;    // the user's pictures folder: where pictures are saved at first

    // DataFolder = GenericDataLocation + "/tavimo"; the bundled data beside the
    // installed program (../share/tavimo), else the source tree's data folder.
    static AppPaths standard();

    // A file or folder below DataFolder, "/"-separated ("images/sstv").
    QString data(const QString &relative) const;

    // Subfolders that the program writes into, created on every start.
    static QStringList dataSubfolders();
};

struct ProvisionResult {
    bool ok = true;
    QString error;          // the folder that could not be made, for a message
    QStringList copied;     // relative paths of the bundled files copied this time
    bool newFolder = false; // DataFolder held no configuration and no list before
};

// Makes DataFolder and its subfolders and copies every bundled file that
// DataFolder lacks. A file the user already has is never replaced. The site
// lists are copied only into a new data folder (one without configuration
// and lists): a list that goes missing later is reported at start-up, not
// replaced by an empty one. The desktop entry and icons stay out.
ProvisionResult provisionDataFolder(const AppPaths &paths);

} // namespace tavimo
