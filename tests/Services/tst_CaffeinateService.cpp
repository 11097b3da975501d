#include "FakeInhibitor.h"
#include "Widgets/CaffeinateWidget.h"

#include <QSignalSpy>
#include <QtTest>

class CaffeinateServiceTest : public QObject {
    Q_OBJECT

    std::shared_ptr<FakeInhibitor> system, display, lid;
    QStringList degraded;
    std::unique_ptr<CaffeinateWidget> widget;
    CaffeinateService* service = nullptr;

    void activate(std::optional<qint64> seconds) {
        service->activate(seconds);
        if (!display->pending.isEmpty()) {
            display->answer(true);
            system->answer(true);
        }
    }

private Q_SLOTS:
    void init() {
        system = std::make_shared<FakeInhibitor>();
        display = std::make_shared<FakeInhibitor>();
        lid = std::make_shared<FakeInhibitor>();
        degraded.clear();
        widget = std::make_unique<CaffeinateWidget>(
            CaffeinateLocks{
                system, display, lid,
                [this](const QString& component, const QString&, const QString&) { degraded << component; }},
            nullptr);
        service = widget->service();
    }

    // A timed run counts down and ends on its last tick; a new request while active only replaces the time
    // left; an indefinite run counts up until switched off.
    void countsDownAndLetsGo_data() {
        QTest::addColumn<qint64>("first");
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<std::optional<qint64>>("second");
        QTest::addColumn<int>("ticksAfter");
        QTest::addColumn<bool>("active");
        QTest::addColumn<QString>("status");
        QTest::newRow("900 s, one left") << 900LL << 899 << std::optional<qint64>() << -1 << true
                                         << QStringLiteral("Ativo há 14min • faltam 0min");
        QTest::newRow("900 s ends on the 900th") << 900LL << 900 << std::optional<qint64>() << -1 << false
                                                 << QStringLiteral("Mantém o Mac acordado (tela + sistema).");
        QTest::newRow("re-timed keeps counting") << 900LL << 300 << std::optional<qint64>(1800) << 60 << true
                                                 << QStringLiteral("Ativo há 6min • faltam 29min");
        QTest::newRow("made indefinite") << 1800LL << 10 << std::optional<qint64>() << 7250 << true
                                         << QStringLiteral("Ativo há 2h1min • indefinido");
        QTest::newRow("zero ends on the first tick")
            << 0LL << 1 << std::optional<qint64>() << -1 << false
            << QStringLiteral("Mantém o Mac acordado (tela + sistema).");
    }

    void countsDownAndLetsGo() {
        QFETCH(qint64, first);
        QFETCH(int, ticksBefore);
        QFETCH(std::optional<qint64>, second);
        QFETCH(int, ticksAfter);
        activate(first);
        for (int i = 0; i < ticksBefore; ++i)
            service->tick();
        if (ticksAfter >= 0) {
            activate(second);
            QVERIFY(display->pending.isEmpty() && system->pending.isEmpty()); // no new lock while active
            for (int i = 0; i < ticksAfter; ++i)
                service->tick();
        }
        QTEST(service->isActive(), "active");
        QTEST(widget->statusText(), "status");
        QCOMPARE(system->alive + display->alive, service->isActive() ? 2 : 0);
        QCOMPARE(widget->icon(), service->isActive() ? "cup.and.saucer.fill" : "cup.and.saucer");
    }

    // Keep-awake comes on only with both locks; a refused half lets the other go and is reported once.
    void needsBothLocks_data() {
        QTest::addColumn<bool>("displayGranted");
        QTest::addColumn<bool>("systemGranted");
        QTest::newRow("display refused") << false << true;
        QTest::newRow("system refused") << true << false;
        QTest::newRow("both granted") << true << true;
    }

    void needsBothLocks() {
        QFETCH(bool, displayGranted);
        QFETCH(bool, systemGranted);
        QSignalSpy activeChanged(service, &CaffeinateService::isActiveChanged);
        for (int attempt = 0; attempt < 2 && !service->isActive(); ++attempt) {
            service->activate(900);
            display->answer(displayGranted);
            system->answer(systemGranted);
        }
        const bool both = displayGranted && systemGranted;
        QCOMPARE(service->isActive(), both);
        QCOMPARE(activeChanged.count(), both ? 1 : 0);
        QCOMPARE(system->alive + display->alive, both ? 2 : 0);
        QCOMPARE(degraded.size(), both ? 0 : 1);
    }

    // Late locks are let go; the lid switch turns on only once the lock is held, turns off at once, and the
    // widget's stop ends both keep-awake and the lid lock.
    void lidSwitchAndStop() {
        service->activate(std::nullopt); // switched off before the locks arrive: they are dropped on arrival
        service->deactivate();
        display->answer(true);
        system->answer(true);
        QCOMPARE(system->alive + display->alive, 0);
        service->setLidSleepPrevention(true);
        QVERIFY(!service->lidSleepPrevented());
        lid->answer(false);
        QVERIFY(!service->lidSleepPrevented());
        service->setLidSleepPrevention(true);
        lid->answer(true);
        QVERIFY(service->lidSleepPrevented());
        activate(std::nullopt);
        service->deactivate();
        QVERIFY(service->lidSleepPrevented());
        activate(60);
        widget->stop();
        QVERIFY(!service->isActive() && !service->lidSleepPrevented());
        QCOMPARE(lid->alive + system->alive + display->alive, 0);
    }
};

QTEST_GUILESS_MAIN(CaffeinateServiceTest)
#include "tst_CaffeinateService.moc"
