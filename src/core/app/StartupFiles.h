#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace tavimo {

struct LanguageTexts;

// ---- Files left in the program folder by older installations ----

// The names the program keeps its configuration and lists under in DataFolder.
// A file in the program folder whose name matches one of them without regard to
// case is moved under this exact spelling ("WxSites.lst" becomes "WXsites.lst").
QStringList legacyFileNames();

// True when files may be created and removed in the folder.
bool isFolderWritable(const QString &folder);

struct LegacyMoveResult {
    QStringList moved;  // DataFolder names of the files moved this time
    QStringList failed; // one line per file left in the program folder, with the reason
};

// Moves the configuration and both site lists out of the program folder: each is
// written to DataFolder and to DataFolder/Backups and only then removed from the
// program folder, so a failure anywhere leaves the original where it was.
//
// A file of that name already in DataFolder is replaced, as the program always
// did: on a first start DataFolder holds the bundled defaults, which must give way
// to the user's own files. So that nothing the user kept there is lost, a DataFolder
// file whose bytes differ is first kept as Backups/<name>.replaced.
//
// Nothing happens when the program folder cannot be written (the file could not be
// removed, and would come back over the user's newer copy on every start), or when
// it is DataFolder itself. The writability check is injectable for tests.
LegacyMoveResult
moveLegacyFiles(const QString &programFolder, const QString &dataFolder,
                const std::function<bool(const QString &)> &folderWritable = isFolderWritable);

// ---- A data folder that cannot be written ----

// DataFolder and the folders below it that every session writes into, in
// this order: the slot and gallery pictures and the text messages.
QStringList writtenDataFolders(const QString &dataFolder);

// The first of writtenDataFolders that cannot be written, or "" when every
// one can. The writability check is injectable for tests.
QString
unwritableDataFolder(const QString &dataFolder,
                     const std::function<bool(const QString &)> &folderWritable = isFolderWritable);

// What the user is told once at start-up about that folder.
QString dataFolderReadOnlyMessage(const LanguageTexts &texts, const QString &folder);

// ---- The list of map pictures ----

// True for a map picture's file name: the name less its last four characters
// (the extension with its dot) ends in "Map", in exactly that case.
bool isMapFileName(const QString &fileName);

// The map file names among the given ones, full names with extension, sorted
// without regard to case. The index of a name in this list is what the settings
// store as the chosen map.
QStringList mapListFromNames(const QStringList &fileNames);

// The map list for the regular files of the Maps folder; empty when it is missing.
QStringList buildMapList(const QString &mapsFolder);

// ---- Cached pictures, removed at shutdown ----

// Folders below DataFolder whose files are caches, emptied at shutdown (the
// folders themselves stay).
QStringList cachedPictureFolders();
// Whether `name` in one of those folders is a file the program writes there.
bool isCachedPictureName(const QString &folder, const QString &name);

// Scratch list files directly in DataFolder, removed with the pictures.
QStringList cachedListFiles();

struct CleanupResult {
    int removed = 0;
    QStringList failed; // paths that could not be removed
};

// Removes the program's own files in the cached picture folders (without
// descending further) and the cached list files. TextFiles, the site lists and the
// configuration stay. Missing folders and files are no failure.
CleanupResult deleteCachedFiles(const QString &dataFolder);

// ---- Temporary files of a save that did not finish ----

// Removes what interrupted saves left in the staging folders (see
// saveStagingFolder) of DataFolder, its Backups, images and TextFiles folders
// and of the settings file's folder. Nothing outside those folders is touched:
// a copy the user made by hand ("tavimo.lst.Backup") stays whatever its name.
// Run only while this instance holds the single-instance lock, so that no
// other save into the data folder can be under way. Returns the paths removed.
QStringList removeSaveLeftovers(const QString &dataFolder, const QString &settingsFile = {});

} // namespace tavimo
