#include "Platform/Session/TerminationSignals.h"

#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

class TestTerminationSignals : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachSignalArrivesOnTheMainLoopAndTheProcessLivesOn() {
        TerminationSignals signals;
        QSignalSpy requested(&signals, &TerminationSignals::terminationRequested);
        QCoreApplication::processEvents(); // the main loop runs
        for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP})
            QCOMPARE(::raise(signalNumber), 0);
        QCOMPARE(requested.count(), 0); // nothing happens inside the handler itself
        QTRY_COMPARE(requested.count(), 3);
        QCOMPARE((QList<int>{requested[0][0].toInt(), requested[1][0].toInt(), requested[2][0].toInt()}),
                 (QList<int>{SIGTERM, SIGINT, SIGHUP}));
    }

    // Before the main loop has run, a signal ends the process the way it would without the bridge.
    void aSignalBeforeTheLoopRunsEndsTheProcess() {
        const pid_t child = fork();
        if (child == 0) {
            TerminationSignals signals;
            ::raise(SIGTERM);
            _exit(0);
        }
        int status = 0;
        QCOMPARE(waitpid(child, &status, 0), child);
        QVERIFY(WIFSIGNALED(status));
        QCOMPARE(WTERMSIG(status), SIGTERM);
    }

    void aSecondBridgeStaysInertAndTheFirstRestoresThePreviousHandlers() {
        std::signal(SIGHUP, SIG_IGN);
        {
            TerminationSignals first;
            TerminationSignals second;
            QVERIFY(first.isInstalled() && !second.isInstalled());
            const auto installed = std::signal(SIGHUP, SIG_IGN);
            std::signal(SIGHUP, installed);
            QVERIFY(installed != SIG_IGN);
        }
        QVERIFY(std::signal(SIGHUP, SIG_DFL) == SIG_IGN);
        TerminationSignals again; // the pipe slot is free once more
        QVERIFY(again.isInstalled());
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "tst_TerminationSignals.moc"
