#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tavimo {

// A save writes a file's next version in a hidden folder of our own beside the
// file and only then renames it over the file. That folder holds nothing but
// our unfinished saves, so whatever a save cut short leaves can be found and
// removed without ever guessing at a name a person may have chosen for a copy.
QString saveStagingFolder(const QString &folder);

// True for the name a save gives its new version inside the staging folder.
bool isStagedSaveName(const QString &name);

// True for a staging name, and for the names Qt's own writer makes from one
// while it rewrites a staged copy (the settings file): its lock,
// "<staging name>.lock", and its new version, "<staging name>.XXXXXX". A save
// killed in between leaves them.
bool isStagedSaveLeftover(const QString &name);

// A fresh name of that kind, for a writer that must stage a file itself.
QString newStagedSaveName();

// The file a save replaces: where the path's symbolic links lead, so that a
// link the user made (to a synced folder, say) stays a link.
QString saveTargetOf(const QString &path);

// Replaces the file at `path` (the file a symbolic link leads to, when it is
// one) with `bytes` in one step: every byte is written and synced before the
// rename, so the file is either its old or its new self. A file that cannot
// be written (read-only) is not replaced. Returns "" on success, otherwise the
// system's reason.
//
// The new version has no name at all until it is complete where the file
// system gives unnamed files; elsewhere (vfat, many FUSE mounts) it is named
// in the staging folder from the start. Tests choose the second way to see it
// on any file system.
enum class Staging { UnnamedWherePossible, Named };
QString replaceFileAtomically(const QString &path, const QByteArray &bytes,
                              Staging staging = Staging::UnnamedWherePossible);

// Removes what interrupted saves left in the staging folder of `folder`, and
// that folder itself once empty: only files by the names our saves give, and
// never through a symbolic link. Returns the paths removed.
QStringList removeStagedSaves(const QString &folder);

} // namespace tavimo
