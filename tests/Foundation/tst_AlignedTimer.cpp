#include "Foundation/AlignedTimer.h"

#include <QAbstractEventDispatcher>
#include <QtTest>

#include <chrono>

namespace {

std::int64_t monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

struct Tick {
    std::int64_t atMs;
    int loopPass; // how many times the event loop had gone to sleep before the tick
};

} // namespace

class AlignedTimerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void delayToNextTick_data() {
        QTest::addColumn<qint64>("now");
        QTest::addColumn<int>("interval");
        QTest::addColumn<bool>("first");
        QTest::addColumn<qint64>("delay");
        QTest::newRow("on a multiple: the next one") << qint64(60'000) << 2000 << false << qint64(2000);
        QTest::newRow("just after a tick") << qint64(60'003) << 2000 << false << qint64(1997);
        QTest::newRow("just before a multiple") << qint64(59'999) << 2000 << false << qint64(1);
        QTest::newRow("first, far from the multiple") << qint64(61'000) << 30'000 << true << qint64(29'000);
        QTest::newRow("first, half an interval away") << qint64(75'000) << 30'000 << true << qint64(15'000);
        QTest::newRow("first, too close: the multiple after")
            << qint64(76'000) << 30'000 << true << qint64(44'000);
        QTest::newRow("first, just before a multiple") << qint64(59'999) << 2000 << true << qint64(2001);
        QTest::newRow("no interval") << qint64(5) << 0 << false << qint64(0);
    }

    void delayToNextTick() {
        QFETCH(qint64, now);
        QFETCH(int, interval);
        QFETCH(bool, first);
        QFETCH(qint64, delay);
        QCOMPARE(qint64(AlignedTimer::delayToNextTick(now, interval, first)), delay);
    }

    // Two 2 s timers started a second apart would each wake the loop once a second between them; aligned,
    // both tick on the same even seconds, in one pass of the event loop.
    void timersStartedApartWakeTogether() {
        int loopPasses = 0;
        connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, this,
                [&] { ++loopPasses; });
        QList<Tick> earlier, later;
        AlignedTimer first, second;
        for (auto [timer, ticks] : {std::pair{&first, &earlier}, std::pair{&second, &later}}) {
            timer->setInterval(2000);
            connect(timer, &AlignedTimer::timeout, this, [&, ticks] {
                ticks->append({monotonicMs(), loopPasses});
            });
        }
        first.start();
        QTest::qWait(1000);
        second.start();
        QTRY_COMPARE_WITH_TIMEOUT(later.size(), 2, 8000);
        first.stop();
        second.stop();

        for (const Tick& tick : earlier + later)
            QVERIFY2(tick.atMs % 2000 < 200, qPrintable(QString::number(tick.atMs % 2000)));
        for (const Tick& tick : std::as_const(later)) {
            const bool together = std::any_of(earlier.cbegin(), earlier.cend(),
                                              [&](const Tick& t) { return t.loopPass == tick.loopPass; });
            QVERIFY2(together,
                     qPrintable(QStringLiteral("a tick at %1 ms woke the loop alone").arg(tick.atMs)));
        }
        QVERIFY(!first.isActive() && !second.isActive());
    }
};

QTEST_GUILESS_MAIN(AlignedTimerTest)
#include "tst_AlignedTimer.moc"
