#include "platform/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace tavimo;

namespace {

void (*currentHandler(int signalNumber))(int) {
    struct sigaction action {};
    ::sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

class TerminationSignalsTest : public QObject {
    Q_OBJECT

private slots:
    void everySignalArrivesInTheEventLoop() {
        TerminationSignals watcher;
        QVERIFY(watcher.isActive());
        QVERIFY(!TerminationSignals().isActive()); // one watcher at a time
        QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
        QCOMPARE(::raise(SIGTERM), 0);
        QCOMPARE(::raise(SIGINT), 0);
        // Nothing is emitted from inside the signal handler.
        QCOMPARE(spy.count(), 0);
        QTRY_COMPARE(spy.count(), 2);
        QCOMPARE(spy.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(spy.at(1).at(0).toInt(), SIGINT);
    }

    void previousHandlersComeBack() {
        const auto termBefore = currentHandler(SIGTERM);
        const auto intBefore = currentHandler(SIGINT);
        {
            TerminationSignals watcher;
            QVERIFY(currentHandler(SIGTERM) != termBefore);
        }
        QVERIFY(currentHandler(SIGTERM) == termBefore);
        QVERIFY(currentHandler(SIGINT) == intBefore);
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
