// Saves for tst_datafiles, in a process the test may kill or give a
// full disk of its own:
//   save-loop <data folder> <v>  saves the two versions in turn, version v (0 or 1)
//                                first, for at most ten seconds
//   full-disk <folder>        mounts a small private tmpfs on the folder, saves one
//                             version, fills the disk, saves the other and prints
//                             what became of each file; exit 77 when no tmpfs can
//                             be mounted here
#include "SaveVersions.h"

#include "support/FakePrompts.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace tavimo;
using namespace tavimo::test;

namespace {

constexpr int kSkip = 77;

bool writeProcFile(const char *path, const QByteArray &text) {
    const int fd = open(path, O_WRONLY);
    const bool ok = fd >= 0 && write(fd, text.constData(), size_t(text.size())) == text.size();
    if (fd >= 0)
        close(fd);
    return ok;
}

// A tmpfs of its own over the folder, seen by this process only; a user
// namespace lends the right to mount when the process is not root. Must run
// before any thread starts.
bool mountPrivateTmpfs(const QString &folder) {
    const uid_t uid = geteuid();
    const gid_t gid = getegid();
    if (uid == 0) {
        if (unshare(CLONE_NEWNS) != 0)
            return false;
    } else if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0 ||
               !writeProcFile("/proc/self/setgroups", "deny") ||
               !writeProcFile("/proc/self/uid_map", "0 " + QByteArray::number(uid) + " 1") ||
               !writeProcFile("/proc/self/gid_map", "0 " + QByteArray::number(gid) + " 1")) {
        return false;
    }
    return mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           mount("tavimo-full", folder.toLocal8Bit().constData(), "tmpfs", 0, "size=256k") == 0;
}

// Takes every byte the file system has left.
void fillDisk(const QString &path) {
    const int fd = open(path.toLocal8Bit().constData(), O_WRONLY | O_CREAT, 0600);
    const QByteArray block(4096, 'x');
    for (qsizetype size : {block.size(), qsizetype(1)}) {
        while (write(fd, block.constData(), size_t(size)) > 0) {
        }
    }
    fsync(fd);
    close(fd);
}

int saveLoop(const QString &dataFolder, int first) {
    AppPaths paths;
    paths.dataFolder = dataFolder;
    SavedState versions[2] = {savedState(0), savedState(1)};
    FakePrompts prompts;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    // Ends by itself should the test that kills it be gone.
    const QDeadlineTimer deadline(10000);
    for (int v = first; !deadline.hasExpired(); v ^= 1)
        saveVersion(paths, versions[v], prompts);
    return 0;
}

int fullDisk(const QString &folder) {
    if (!mountPrivateTmpfs(folder))
        return kSkip;
    AppPaths paths;
    paths.dataFolder = folder + QStringLiteral("/data");
    QDir().mkpath(paths.dataFolder);
    SettingsStore store(folder + QStringLiteral("/Tavimo.ini"));
    FakePrompts prompts;
    SavedState before = savedState(0);
    if (!saveVersion(paths, before, prompts, &store).ok)
        return 3;
    QStringList files;
    for (const QString &name : savedFileNames())
        files.append(paths.data(name));
    files.append(store.fileName());
    QList<QByteArray> old;
    for (const QString &path : files)
        old.append(readBytes(path));

    fillDisk(folder + QStringLiteral("/filler"));
    SavedState after = savedState(1);
    const SaveConfigResult result = saveVersion(paths, after, prompts, &store);
    for (qsizetype i = 0; i < files.size(); ++i) {
        std::printf("%s %s\n", qPrintable(QFileInfo(files[i]).fileName()),
                    readBytes(files[i]) == old[i] ? "kept" : "changed");
    }
    std::printf("messages %d\nerror %s\n", int(prompts.calls.size()),
                qPrintable(QString(result.error).replace(u'\n', u'|')));
    return 0;
}

} // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return 2;
    const QByteArray mode = argv[1];
    const QString folder = QString::fromLocal8Bit(argv[2]);
    if (mode == "save-loop" && argc == 4)
        return saveLoop(folder, QByteArray(argv[3]) == "1" ? 1 : 0);
    if (mode == "full-disk")
        return fullDisk(folder);
    return 2;
}
