// One refresh of the local servers list against the real lsof, and the longest the GUI thread waited for its
// event loop meanwhile (the refresh runs off that thread).
#include "Services/LocalServersService.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

class LocalServersBench : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void refresh() {
        LocalServersService service;
        QSignalSpy refreshed(&service, &LocalServersService::serversChanged);
        QElapsedTimer sinceTick;
        qint64 longestGapMs = 0;
        QTimer ticker;
        ticker.setInterval(1);
        connect(&ticker, &QTimer::timeout, this,
                [&] { longestGapMs = std::max(longestGapMs, sinceTick.restart()); });
        sinceTick.start();
        ticker.start();
        QBENCHMARK {
            service.refresh();
            QVERIFY(refreshed.wait(30000));
        }
        qInfo("servers listed: %lld; longest GUI-thread gap during refreshes: %lld ms",
              qint64(service.servers().size()), longestGapMs);
    }
};

QTEST_GUILESS_MAIN(LocalServersBench)
#include "bench_localServers.moc"
