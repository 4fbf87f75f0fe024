// The real program, started as the user starts it, on a home of its own
// against the simulated sites: what it finds in the data folder and beside its
// settings file that it did not make, it leaves alone, and a lock file that no
// running copy holds does not keep it from starting.

#include "core/base/TextFile.h"
#include "core/files/SettingsStore.h"
#include "sitesim/DataFolderWriter.h"
#include "sitesim/SiteSimulator.h"
#include "support/LoopbackServer.h"
#include "support/TestFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

// The program in a home of its own, its sites on a loopback server.
struct Start {
    sitesim::SiteSimulator sim{smallWorld()};
    LoopbackServer server;
    QTemporaryDir home;
    QProcess program;

    static sitesim::SimConfig smallWorld() {
        sitesim::SimConfig config;
        config.sstvCount = 6;
        config.wxCount = 2;
        return config;
    }

    // The data folder and settings of a user who has run the program before.
    bool prepare() {
        server.setHandler([this](const RecordedRequest &request) { return sim.answer(request); });
        if (!server.start())
            return false;
        const QString base = server.url(u""_s).toString();
        const QList<sitesim::SstvSiteInfo> &sites = sim.sstvSites();
        if (!sitesim::writeDataFolder(home.path(),
                                      sites.mid(0, sites.size() - sim.newsSites().size()),
                                      sim.wxSites(), base))
            return false;
        // Nothing asks to set the clock.
        SettingsStore settings(settingsFile());
        settings.setValue(u"Endpoints"_s, u"TimePage"_s, QString());
        return settings.sync();
    }
    ~Start() {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
    }

    QString data(const QString &relative = {}) const {
        return sitesim::dataFolderOf(home.path()) + (relative.isEmpty() ? u""_s : u'/' + relative);
    }
    QString settingsFile() const { return sitesim::settingsFileOf(home.path()); }

    void launch() {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        const QString root = home.path();
        env.insert(u"HOME"_s, root);
        env.insert(u"XDG_DATA_HOME"_s, root + u"/data"_s);
        env.insert(u"XDG_CONFIG_HOME"_s, root + u"/config"_s);
        env.insert(u"XDG_CACHE_HOME"_s, root + u"/cache"_s);
        env.insert(u"XDG_RUNTIME_DIR"_s, root + u"/run"_s);
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        QDir().mkpath(root + u"/run"_s);
        QFile::setPermissions(root + u"/run"_s,
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(TAVIMO_PROGRAM), {});
    }

    // The program holds the data folder's lock and has begun its first pass.
    bool isUp() {
        return QTest::qWaitFor(
            [this] {
                const QByteArray pid = readBytes(data(u"tavimo.lock"_s)).split('\n').value(0);
                return pid == QByteArray::number(program.processId()) &&
                       !server.requests().isEmpty();
            },
            30000);
    }

    // Ends the program as a desktop ending the session does: it closes and saves.
    bool endedCleanly() {
        program.terminate();
        return program.waitForFinished(30000) && program.exitStatus() == QProcess::NormalExit &&
               program.exitCode() == 0;
    }
};

} // namespace

class UserFilesE2eTest : public QObject {
    Q_OBJECT

private slots:
    // Copies a user makes by hand before an edit, under any name, are there
    // byte for byte after a start and after the close.
    void copiesOfTheUserStay() {
        Start start;
        QVERIFY(start.prepare());
        const QStringList copies{u"tavimo.lst.Backup"_s,        u"WXsites.lst.Before"_s,
                                 u"tavimo.cfg.Sunday"_s,        u"Ham.bmp.Photos"_s,
                                 u"images/Map.bmp.Latest"_s,    u"TextFiles/DL1ABC-3.txt.Backup"_s,
                                 u"Backups/tavimo.lst.Backup"_s};
        for (const QString &name : copies)
            QVERIFY(writeBytes(start.data(name), "copy of " + name.toUtf8()));
        const QString iniCopy = start.settingsFile() + u".Backup"_s;
        QVERIFY(writeBytes(iniCopy, "copy of the settings"));

        start.launch();
        QVERIFY(start.isUp());
        for (const QString &name : copies)
            QCOMPARE(readBytes(start.data(name)), "copy of " + name.toUtf8());
        QCOMPARE(readBytes(iniCopy), QByteArray("copy of the settings"));
        // The close empties the program's picture folders of its own files only.
        QVERIFY(start.endedCleanly());
        for (const QString &name : copies)
            QCOMPARE(readBytes(start.data(name)), "copy of " + name.toUtf8());
    }

    // An empty lock file five minutes old, as a power cut soon after a start
    // leaves it, does not stop the next start.
    void emptyOldLockDoesNotStopAStart() {
        Start start;
        QVERIFY(start.prepare());
        const QString lock = start.data(u"tavimo.lock"_s);
        QVERIFY(writeBytes(lock, QByteArray()));
        {
            QFile file(lock);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(-300),
                                     QFileDevice::FileModificationTime));
        }
        start.launch();
        QVERIFY(start.isUp());
        QVERIFY(start.endedCleanly());
        QVERIFY(!QFileInfo::exists(lock));
    }
};

QTEST_MAIN(UserFilesE2eTest)
#include "tst_userfiles_e2e.moc"
