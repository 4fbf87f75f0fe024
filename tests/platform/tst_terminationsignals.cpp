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
    void signalArrivesInTheEventLoop_data() {
        QTest::addColumn<int>("signalNumber");
        QTest::newRow("SIGTERM") << SIGTERM;
        QTest::newRow("SIGINT") << SIGINT;
    }
    void signalArrivesInTheEventLoop() {
        QFETCH(int, signalNumber);
        TerminationSignals watcher;
        QVERIFY(watcher.isActive());
        QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
        QCOMPARE(::raise(signalNumber), 0);
        // Nothing is emitted from inside the signal handler.
        QCOMPARE(spy.count(), 0);
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), signalNumber);
    }

    void everySignalIsReported() {
        TerminationSignals watcher;
        QSignalSpy spy(&watcher, &TerminationSignals::terminationRequested);
        ::raise(SIGTERM);
        ::raise(SIGINT);
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

    void onlyOneWatcherAtATime() {
        TerminationSignals first;
        TerminationSignals second;
        QVERIFY(first.isActive());
        QVERIFY(!second.isActive());
    }
};

QTEST_GUILESS_MAIN(TerminationSignalsTest)
#include "tst_terminationsignals.moc"
