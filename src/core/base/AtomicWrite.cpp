#include "core/base/AtomicWrite.h"

#include "core/base/Logging.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tavimo {

namespace {

const QLatin1String kStagingFolder(".tavimo-saving");
const QLatin1String kStagedPrefix("save-");
constexpr int kStagedRandom = 10;
// Other saves may remove the staging folder between our steps (it goes once
// empty); each try makes it again.
constexpr int kTries = 16;

QString reasonOf(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray stagedName() {
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(kStagedPrefix.data(), kStagedPrefix.size());
    for (int i = 0; i < kStagedRandom; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters) - 1)];
    return name;
}

// The file a save must replace: where the path's symbolic links lead, so
// that a link the user made (to a synced folder, say) stays a link.
QString resolvedTarget(const QString &path) {
    QFileInfo info(path);
    for (int depth = 0; depth < 40 && info.isSymLink(); ++depth)
        info.setFile(info.symLinkTarget());
    return info.isSymLink() ? path : info.absoluteFilePath();
}

bool writeAll(int fd, const QByteArray &bytes, int *error) {
    const char *data = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, data, size_t(std::min<qsizetype>(left, 1 << 30)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *error = n < 0 ? errno : EIO;
            return false;
        }
        data += n;
        left -= n;
    }
    return true;
}

struct Target {
    QByteArray path;
    QByteArray folder; // the file's own
    QByteArray staging;
    bool exists = false;
    mode_t mode = 0;
};

enum class Try { Done, Failed, Again, AgainNamed };

struct TryResult {
    Try outcome;
    int error = 0;
};

// Made like any folder of the user's: in a folder shared by a group, a folder
// left by a killed save must not bar the others' saves.
bool makeStaging(const Target &target) {
    return ::mkdir(target.staging.constData(), 0777) == 0 || errno == EEXIST;
}

// One attempt at a save. Where the file system gives unnamed temporary files,
// nothing has a name until every byte is on the disk; elsewhere the staged
// file has one of our names in our own folder from the start.
TryResult saveOnce(const Target &target, const QByteArray &bytes, bool unnamed) {
    // A file that exists passes its permissions on once every byte is written;
    // until then the new version is ours alone.
    const mode_t createMode = target.exists ? 0600 : 0666;
    QByteArray staged;
    int fd = -1;
    if (unnamed) {
        // Opened in the file's own folder: the staging folder is needed only
        // for the moment of the rename, so that a save cut short while it
        // writes (a large picture into a slow folder of the user's) leaves
        // not even an empty folder behind.
        fd = ::open(target.folder.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, createMode);
        if (fd < 0) {
            const int error = errno;
            // No unnamed files on this file system or in this kernel.
            if (error == EOPNOTSUPP || error == EISDIR || error == EINVAL)
                return {Try::AgainNamed, error};
            return {Try::Failed, error};
        }
    } else {
        if (!makeStaging(target))
            return {errno == ENOENT ? Try::Again : Try::Failed, errno};
        for (int i = 0; i < 16 && fd < 0; ++i) {
            staged = target.staging + '/' + stagedName();
            fd = ::open(staged.constData(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC | O_NOFOLLOW,
                        createMode);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        if (fd < 0) {
            const int error = errno;
            ::rmdir(target.staging.constData());
            return {error == ENOENT ? Try::Again : Try::Failed, error};
        }
    }

    const auto fail = [&](int error, Try outcome = Try::Failed) {
        ::close(fd);
        if (!staged.isEmpty())
            ::unlink(staged.constData());
        ::rmdir(target.staging.constData());
        return TryResult{outcome, error};
    };
    int error = 0;
    if (!writeAll(fd, bytes, &error))
        return fail(error);
    if (target.exists)
        ::fchmod(fd, target.mode & 0777);
    if (::fsync(fd) != 0)
        return fail(errno);
    if (unnamed) {
        if (!makeStaging(target)) {
            const int made = errno;
            return fail(made, made == ENOENT ? Try::Again : Try::Failed);
        }
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd);
        int linked = -1;
        for (int i = 0; i < 16 && linked != 0; ++i) {
            staged = target.staging + '/' + stagedName();
            linked = ::linkat(AT_FDCWD, self.constData(), AT_FDCWD, staged.constData(),
                              AT_SYMLINK_FOLLOW);
            if (linked != 0 && errno != EEXIST)
                break;
        }
        if (linked != 0) {
            error = errno;
            // No /proc, or our folder went meanwhile: the named way still works.
            staged.clear();
            return fail(error, Try::AgainNamed);
        }
    }
    if (::close(fd) != 0 && errno != EINTR) {
        error = errno;
        ::unlink(staged.constData());
        ::rmdir(target.staging.constData());
        return {Try::Failed, error};
    }
    if (::rename(staged.constData(), target.path.constData()) != 0) {
        error = errno;
        ::unlink(staged.constData());
        ::rmdir(target.staging.constData());
        return {error == ENOENT ? Try::Again : Try::Failed, error};
    }
    // Fails while another save is under way there: that one removes it.
    ::rmdir(target.staging.constData());
    return {Try::Done, 0};
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

QString replaceFileAtomically(const QString &path, const QByteArray &bytes, Staging staging) {
    Target target;
    const QString resolved = resolvedTarget(path);
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
    bool unnamed = staging == Staging::UnnamedWherePossible;
    TryResult result{Try::Failed, EIO};
    for (int attempt = 0; attempt < kTries; ++attempt) {
        result = saveOnce(target, bytes, unnamed);
        if (result.outcome == Try::AgainNamed)
            unnamed = false;
        else if (result.outcome != Try::Again)
            break;
    }
    return result.outcome == Try::Done ? QString() : reasonOf(result.error);
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
        if (entry.isSymLink() || !entry.isFile() || !isStagedSaveName(entry.fileName()))
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
