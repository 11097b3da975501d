#include "Platform/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>

namespace {

void (*currentHandler(int signalNumber))(int) {
    struct sigaction action {};
    sigaction(signalNumber, nullptr, &action);
    return action.sa_handler;
}

} // namespace

class TestTerminationSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachSignalArrivesOnTheMainLoopAndTheProcessLivesOn() {
        TerminationSignals signals;
        QVERIFY(signals.isInstalled());
        QSignalSpy requested(&signals, &TerminationSignals::terminationRequested);

        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(requested.count(), 0); // nothing happens inside the handler itself
        QTRY_COMPARE(requested.count(), 3);
        QCOMPARE(requested.at(0).at(0).toInt(), SIGTERM);
        QCOMPARE(requested.at(1).at(0).toInt(), SIGINT);
        QCOMPARE(requested.at(2).at(0).toInt(), SIGHUP);
    }

    void aSecondBridgeStaysInertAndTheFirstRestoresThePreviousHandlers() {
        const auto ignore = SIG_IGN;
        std::signal(SIGHUP, ignore);
        {
            TerminationSignals first;
            TerminationSignals second;
            QVERIFY(first.isInstalled());
            QVERIFY(!second.isInstalled());
            QVERIFY(currentHandler(SIGHUP) != ignore);
        }
        QVERIFY(currentHandler(SIGHUP) == ignore);
        std::signal(SIGHUP, SIG_DFL);

        TerminationSignals again; // the pipe slot is free once more
        QVERIFY(again.isInstalled());
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_TerminationSignals.moc"
