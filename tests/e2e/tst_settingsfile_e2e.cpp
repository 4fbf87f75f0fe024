// The settings file as the program leaves it at its close: what the user and
// other programs wrote into it stays, and a file it cannot read is named once.

#include "ProgramRig.h"

#include <QFileInfo>
#include <QRect>
#include <QSettings>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

namespace {

// The settings file read afresh, as the program's start reads it.
void readSettingsAgain(ProgramRig &rig) {
    rig.settings = std::make_unique<SettingsStore>(rig.iniPath);
    rig.state.settings = rig.settings.get();
}

} // namespace

class SettingsFileE2eTest : public QObject {
    Q_OBJECT

private slots:
    void othersEditsSurviveTheClose() {
        ProgramRig rig;
        QVERIFY(rig.settings->sync());
        {
            QSettings other(rig.iniPath, QSettings::IniFormat);
            other.setValue(u"Other/rect"_s, QRect(1, 2, 3, 4));
        }
        readSettingsAgain(rig);
        QVERIFY(rig.startShown());

        // The user adds a section by hand while the program runs.
        QVERIFY(writeBytes(rig.iniPath, readBytes(rig.iniPath) + "\n[Notes]\nmine=by hand\n"));
        rig.closeWindow();

        const QByteArray saved = readBytes(rig.iniPath);
        QVERIFY2(saved.contains("\n[Notes]\nmine=by hand\n"), saved.constData());
        QVERIFY2(saved.contains("\n[Other]\nrect=@Rect(1 2 3 4)\n"), saved.constData());
        // The close saved its own: the window's place.
        QVERIFY2(saved.contains("\n[Geometry]\n"), saved.constData());
        QVERIFY(rig.prompts.calls.isEmpty());
    }

    void unreadableFileIsNamedOnce() {
        ProgramRig rig;
        QVERIFY(rig.settings->sync());
        QVERIFY(QFile::remove(rig.iniPath) && QDir().mkpath(rig.iniPath));
        readSettingsAgain(rig);
        QVERIFY(rig.startShown());
        // Told as the program starts, not first at its close.
        QCOMPARE(rig.prompts.count(FakePrompts::Kind::Message), 1);
        QVERIFY2(rig.prompts.calls[0].text.contains(QDir::toNativeSeparators(rig.iniPath)),
                 qPrintable(rig.prompts.calls[0].text));
        rig.closeWindow();
        QCOMPARE(rig.prompts.count(FakePrompts::Kind::Message), 1);
        QVERIFY(QFileInfo(rig.iniPath).isDir());
    }
};

QTEST_MAIN(SettingsFileE2eTest)
#include "tst_settingsfile_e2e.moc"
