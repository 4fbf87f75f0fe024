#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class QFile;

namespace tavimo {

// The files the program reads or locks under names of its own (its locks, the
// settings file, slot and gallery pictures) are read only when they are, or
// link to, regular files. Anything else found there is never waited on: a
// named pipe blocks whoever opens it until a writer comes, and a device such
// as /dev/zero never ends. Nor is a device opened at all, since opening one
// can act on the world: a serial port raises its control lines, and on a
// radio amateur's desk those may key a transmitter.
//
//     QFile file;
//     QString why;
//     if (!openRegularFile(file, path, &why))
//         say(tr("Could not read %1:\n%2").arg(path, why));

// What stands at a path where a regular file belongs, for a message that says
// what to do about it.
struct NotAFile {
    QString what;   // "a folder", "a named pipe (FIFO)", "a link to a device", ...
    QString remove; // what the user removes to clear the path: "the folder", "the link", "the file"

    // "It is a named pipe (FIFO), not a file: remove the file."
    QString sentence() const;
};

// Nothing when `path` holds nothing (a link to nothing included) or is, or
// links to, a regular file; otherwise what it is. Reads no file: for places
// where Qt opens the file itself, which is then checked just before.
std::optional<NotAFile> notAFile(const QString &path);

// A QLockFile reads its lock file to learn whose it is, and the ".rmlock"
// beside it while it takes a stale lock over, on every try. The first of the
// two that is no file, or a link to nothing (which Qt can neither take nor
// take over), and what it is: to be named before Qt looks at them.
struct LockFileThatIsNoFile {
    QString path;
    NotAFile what;
};
std::optional<LockFileThatIsNoFile> lockFileThatIsNoFile(const QString &lockPath);

// Opens the file at `path` for reading when it is, or links to, a regular
// file, without waiting whatever stands there. Otherwise `file` stays closed
// and `why` says why, in a sentence: what notAFile says, or the system's
// reason. The file is checked again once open, so that nothing swapped in
// between is read.
bool openRegularFile(QFile &file, const QString &path, QString *why = nullptr);

// The bytes of the regular file at `path`, as openRegularFile opens it;
// nothing, with `why` set, otherwise.
std::optional<QByteArray> readRegularFile(const QString &path, QString *why = nullptr);

} // namespace tavimo
