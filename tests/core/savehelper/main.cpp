// Saves for tst_datafiles, in a process the test may kill or give a
// full disk of its own:
//   save-loop <data folder> <v>  saves the two versions in turn, version v (0 or 1)
//                                first, for at most ten seconds
//   full-disk <folder>        mounts a small private tmpfs on the folder, saves one
//                             version, fills the disk, saves the other and prints
//                             what became of each file; exit 77 when no tmpfs can
//                             be mounted here
//   partial-disk <folder> <n> mounts the small tmpfs on <folder>/config only, saves
//                             one version with the settings file there, fills
//                             the disk to leave <n> bytes, saves the other and
//                             prints whether the settings file holds the old
//                             version, the new one or neither; exit 77 as above
//   settings <folder>         reads the user's settings file, as a start does
//                             (XDG_CONFIG_HOME names its folder), changes a
//                             value, saves, and prints "read <message>" and
//                             "save ok" or "save <message>" (line ends as "|")
#include "PrivateTmpfs.h"
#include "SaveVersions.h"

#include "support/FakePrompts.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <cstdio>

using namespace tavimo;
using namespace tavimo::test;

namespace {

// A tmpfs of its own over the folder, seen by this process only.
bool mountPrivateTmpfs(const QString &folder) {
    return enterPrivateMounts() && mountTmpfs(folder, "256k");
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
        return kNoTmpfsHere;
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

int partialDisk(const QString &folder, off_t leave) {
    const QString config = folder + QStringLiteral("/config");
    QDir().mkpath(config);
    if (!mountPrivateTmpfs(config))
        return kNoTmpfsHere;
    AppPaths paths;
    paths.dataFolder = folder + QStringLiteral("/data");
    QDir().mkpath(paths.dataFolder);
    const QString ini = config + QStringLiteral("/Tavimo.ini");
    SettingsStore store(ini);
    // Hosts of the user's own choosing, which nothing but this file knows.
    store.setValue(QStringLiteral("Endpoints"), QStringLiteral("ConnectionProbe"),
                   QStringLiteral("http://127.0.0.1:8080/"));
    FakePrompts prompts;
    SavedState before = savedState(0);
    if (!saveVersion(paths, before, prompts, &store).ok)
        return 3;
    const QByteArray old = readBytes(ini);

    fillDisk(config + QStringLiteral("/filler"), leave);
    SavedState after = savedState(1);
    const SaveConfigResult result = saveVersion(paths, after, prompts, &store);
    const QByteArray now = readBytes(ini);
    const QSettings back(ini, QSettings::IniFormat);
    const bool whole =
        back.value(QStringLiteral("Endpoints/ConnectionProbe")).toString() ==
            QStringLiteral("http://127.0.0.1:8080/") &&
        back.value(QStringLiteral("LABELS/1")).toString() == after.window.pageNames[0];
    std::printf("Tavimo.ini %s\nmessages %d\nerror %s\n",
                now == old ? "old" : (whole ? "new" : "lost"), int(prompts.calls.size()),
                qPrintable(QString(result.error).replace(u'\n', u'|')));
    return 0;
}

int settings() {
    SettingsStore store;
    std::printf("read %s\n", qPrintable(store.readError().replace(u'\n', u'|')));
    std::fflush(stdout);
    store.setValue(QStringLiteral("LABELS"), QStringLiteral("1"), QStringLiteral("Page one"));
    QString error;
    std::printf("save %s\n", store.sync(&error) ? "ok" : qPrintable(error.replace(u'\n', u'|')));
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
    if (mode == "settings")
        return settings();
    if (mode == "full-disk")
        return fullDisk(folder);
    if (mode == "partial-disk" && argc == 4)
        return partialDisk(folder, off_t(QByteArray(argv[3]).toLongLong()));
    return 2;
}
