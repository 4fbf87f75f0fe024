// Pictures of several megabytes beside a slow site, as the program meets them: the real main
// window against simulated sites whose servers go no faster than they are read.

#include "ProgramRig.h"

#include "core/net/DownloadControl.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

using namespace tavimo;
using namespace tavimo::test;
using namespace Qt::StringLiterals;

class LargePicturesE2eTest : public QObject {
    Q_OBJECT

private slots:
    // The slow site comes last in the list; the six large ones fill the slots before it. Each
    // large picture is stored and shown in about the time its server takes to send it, though
    // together they hold more than the program keeps of answers in memory.
    void largePicturesBesideASlowSiteArriveInTheirServersTime() {
        sitesim::SimConfig world;
        world.sstvCount = 7;
        world.wxCount = 0;
        world.slow = 1;
        world.large = 6;
        world.largeBytesPerSecond = 1024 * 1024;
        ProgramRig rig(world);
        QTemporaryDir spill;
        rig.downloads.setSpillFolder(spill.path());
        // What memory holds of answers, scaled down as the pictures' time is: six pictures are
        // many times what it holds, as on a page of WX sites.
        constexpr qint64 budget = 256 * 1024;
        rig.downloads.setHeldBytesBudget(budget);
        qint64 largest = 0;
        // Drawn before the start, so that only the servers' pace counts.
        for (int site = 0; site < 6; ++site) {
            QCOMPARE(rig.sstvSite(site + 1).fault, sitesim::SiteFault::Large);
            const qint64 number = rig.sim.sstvTimeline(site).currentNumber(ProgramRig::kNow);
            largest = qMax<qint64>(largest, rig.sim.sstvPicture(site, number).size());
        }
        QVERIFY(largest > 4 * budget);
        const qint64 sendMs = largest * 1000 / world.largeBytesPerSecond;

        QElapsedTimer clock;
        clock.start();
        QVERIFY(rig.startUp());
        rig.w().show();
        const auto stored = [&] {
            for (int slot = 0; slot < 6; ++slot) {
                if (QFileInfo(rig.data(u"images/sstv/"_s + QString::number(slot))).size() <
                        1024 * 1024 ||
                    !rig.cell(slot).img->hasPicture())
                    return false;
            }
            return true;
        };
        // Waiting for memory behind one another, they took several times as long.
        const auto cells = [&] {
            QString text;
            for (int slot = 0; slot < 7; ++slot)
                text +=
                    QString(" %1:%2/%3")
                        .arg(slot)
                        .arg(QFileInfo(rig.data(u"images/sstv/"_s + QString::number(slot))).size())
                        .arg(rig.cell(slot).img->hasPicture());
            return text;
        };
        QVERIFY2(QTest::qWaitFor(stored, int(sendMs) + 5000),
                 qPrintable(QString("not all stored after %1 ms:").arg(clock.elapsed()) + cells()));
        QVERIFY2(clock.elapsed() < sendMs + 5000, qPrintable(QString::number(clock.elapsed())));
        // The slow site has its picture too.
        QTRY_VERIFY_WITH_TIMEOUT(rig.cell(6).img->hasPicture(), 15000);
        QVERIFY(rig.waitForQuiet());
    }
};

QTEST_MAIN(LargePicturesE2eTest)
#include "tst_largepictures_e2e.moc"
