#include "core/base/AtomicWrite.h"

#include "core/base/FileDescriptor.h"
#include "core/base/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

const QLatin1String kStagingFolder(".tavimo-saving");
const QLatin1String kStagedPrefix("save-");
constexpr int kStagedRandom = 10;
constexpr int kTries = 16;

QString reasonOf(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

struct Target {
    QByteArray path;
    QByteArray folder; // the file's own
    QByteArray staging;
    bool exists = false;
    mode_t mode = 0;
};

// A new version with every byte on the disk, under one of our names in the
// staging folder.
struct Staged {
    UniqueFd fd;
    QByteArray path;
};

// Made like any folder of the user's: in a folder shared by a group, a folder
// left by a killed save must not bar the others' saves.
int makeStaging(const Target &target) {
    return ::mkdir(target.staging.constData(), 0777) == 0 || errno == EEXIST ? 0 : errno;
}

// A file that exists passes its permissions on once every byte is written;
// until then the new version is ours alone.
mode_t createMode(const Target &target) {
    return target.exists ? 0600 : 0666;
}

// Every byte written and on the disk, the permissions of the file it replaces given.
int fill(const Target &target, int fd, const QByteArray &bytes) {
    if (const int error = writeAll(fd, bytes.constData(), bytes.size()))
        return error;
    if (target.exists)
        ::fchmod(fd, target.mode & 0777);
    return ::fsync(fd) == 0 ? 0 : errno;
}

// Gives `fd` a free staging name by `link`: 0, or why none could be had.
int nameInStaging(const Target &target, QByteArray &path,
                  const std::function<int(const QByteArray &)> &link) {
    int error = EEXIST;
    for (int i = 0; i < 16 && error == EEXIST; ++i) {
        path = target.staging + '/' + QFile::encodeName(newStagedSaveName());
        error = link(path) == 0 ? 0 : errno;
    }
    if (error != 0)
        path.clear();
    return error;
}

void unstage(const Target &target, const QByteArray &path) {
    if (!path.isEmpty())
        ::unlink(path.constData());
    // Fails while another save is under way there: that one removes it.
    ::rmdir(target.staging.constData());
}

// The new version is opened without a name in the file's own folder and
// named in the staging folder only once complete, so that a save cut short
// while it writes (a large picture into a slow folder of the user's) leaves
// not even an empty folder behind. `unsupported` when this system or file
// system cannot do so; the named way then serves.
std::optional<Staged> stageUnnamed(const Target &target, const QByteArray &bytes, int &error,
                                   bool &unsupported) {
    UniqueFd fd = openUnnamedFile(target.folder, O_WRONLY, createMode(target));
    if (!fd.isOpen()) {
        error = errno;
        unsupported = noUnnamedFiles(error);
        return std::nullopt;
    }
    if ((error = fill(target, fd.get(), bytes)) || (error = makeStaging(target)))
        return std::nullopt;
    const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd.get());
    QByteArray path;
    error = nameInStaging(target, path, [&](const QByteArray &name) {
        return ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(), AT_SYMLINK_FOLLOW);
    });
    if (error) {
        // No /proc, or our folder went meanwhile: the named way still works.
        unsupported = true;
        unstage(target, {});
        return std::nullopt;
    }
    return Staged{std::move(fd), path};
}

// The new version under one of our names in the staging folder from the start.
std::optional<Staged> stageNamed(const Target &target, const QByteArray &bytes, int &error) {
    if ((error = makeStaging(target)))
        return std::nullopt;
    Staged staged;
    error = nameInStaging(target, staged.path, [&](const QByteArray &name) {
        staged.fd.reset(::open(name.constData(),
                               O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW,
                               createMode(target)));
        return staged.fd.isOpen() ? 0 : -1;
    });
    if (!error)
        error = fill(target, staged.fd.get(), bytes);
    if (!error)
        return staged;
    unstage(target, staged.path);
    return std::nullopt;
}

std::optional<Staged> stage(const Target &target, const QByteArray &bytes, Staging way,
                            int &error) {
    bool unsupported = way == Staging::Named;
    if (!unsupported) {
        if (std::optional<Staged> staged = stageUnnamed(target, bytes, error, unsupported))
            return staged;
    }
    return unsupported ? stageNamed(target, bytes, error) : std::nullopt;
}

// Puts the staged version in the file's place: 0, or why not.
int commit(const Target &target, Staged &staged) {
    int error = staged.fd.close();
    if (!error && ::rename(staged.path.constData(), target.path.constData()) != 0)
        error = errno;
    unstage(target, error ? staged.path : QByteArray());
    return error;
}

} // namespace

QString saveStagingFolder(const QString &folder) {
    return folder + u'/' + kStagingFolder;
}

bool isStagedSaveName(const QString &name) {
    if (name.size() != kStagedPrefix.size() + kStagedRandom || !name.startsWith(kStagedPrefix))
        return false;
    return std::all_of(name.begin() + kStagedPrefix.size(), name.end(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

bool isStagedSaveLeftover(const QString &name) {
    const qsizetype stem = kStagedPrefix.size() + kStagedRandom;
    if (!isStagedSaveName(name.left(stem)))
        return false;
    const QStringView tail = QStringView(name).mid(stem);
    if (tail.isEmpty() || tail == u".lock")
        return true;
    return tail.size() == 7 && tail.front() == u'.' &&
           std::all_of(tail.begin() + 1, tail.end(),
                       [](QChar c) { return c.unicode() < 0x80 && c.isLetterOrNumber(); });
}

QString newStagedSaveName() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString name = kStagedPrefix;
    for (int i = 0; i < kStagedRandom; ++i)
        name += QLatin1Char(letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)]);
    return name;
}

QString saveTargetOf(const QString &path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

QString replaceFileAtomically(const QString &path, const QByteArray &bytes, Staging staging) {
    Target target;
    const QString resolved = saveTargetOf(path);
    target.path = QFile::encodeName(resolved);
    target.folder = QFile::encodeName(QFileInfo(resolved).absolutePath());
    target.staging = QFile::encodeName(saveStagingFolder(QFileInfo(resolved).absolutePath()));
    struct stat existing {};
    if (::stat(target.path.constData(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode))
            return reasonOf(EISDIR);
        // A file the user made read-only stays as it is.
        if (::access(target.path.constData(), W_OK) != 0)
            return reasonOf(errno);
        target.exists = true;
        target.mode = existing.st_mode;
    }
    // What a save killed between its steps left here goes first: the start
    // sweeps only the program's own folders, not the user's.
    removeStagedSaves(QFileInfo(resolved).absolutePath());
    // Another save may remove the staging folder between our steps (it goes
    // once empty): the save is then staged again.
    int error = ENOENT;
    for (int attempt = 0; attempt < kTries && error == ENOENT; ++attempt) {
        if (std::optional<Staged> staged = stage(target, bytes, staging, error))
            error = commit(target, *staged);
    }
    return error ? reasonOf(error) : QString();
}

QStringList removeStagedSaves(const QString &folder) {
    QStringList removed;
    if (folder.isEmpty())
        return removed;
    const QFileInfo staging(saveStagingFolder(folder));
    // A link there is no folder of ours, wherever it leads.
    if (staging.isSymLink() || !staging.isDir())
        return removed;
    const QDir dir(staging.filePath());
    for (const QFileInfo &entry : dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (entry.isSymLink() || !entry.isFile() || !isStagedSaveLeftover(entry.fileName()))
            continue;
        if (QFile::remove(entry.filePath()))
            removed.append(entry.filePath());
        else
            qCWarning(lcCore) << "cannot remove" << entry.filePath();
    }
    QDir().rmdir(staging.filePath());
    return removed;
}

} // namespace tavimo
