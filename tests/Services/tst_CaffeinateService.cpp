#include "FakeInhibitor.h"
#include "Widgets/CaffeinateWidget.h"

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
    // left, without a new lock; an indefinite run counts up until switched off.
    void countsDownAndLetsGo() {
        const QString idle = QStringLiteral("Mantém o Mac acordado (tela + sistema).");
        const struct {
            qint64 first;
            int ticksBefore;
            std::optional<qint64> second;
            int ticksAfter; // -1: no second request
            QString status;
        } rows[] = {{900, 899, {}, -1, QStringLiteral("Ativo há 14min • faltam 0min")},
                    {900, 900, {}, -1, idle},
                    {900, 300, 1800, 60, QStringLiteral("Ativo há 6min • faltam 29min")},
                    {1800, 10, {}, 7250, QStringLiteral("Ativo há 2h1min • indefinido")},
                    {0, 1, {}, -1, idle}};
        for (const auto& row : rows) {
            init();
            activate(row.first);
            for (int i = 0; i < row.ticksBefore; ++i)
                service->tick();
            if (row.ticksAfter >= 0) {
                activate(row.second);
                QVERIFY(display->pending.isEmpty() && system->pending.isEmpty());
                for (int i = 0; i < row.ticksAfter; ++i)
                    service->tick();
            }
            QCOMPARE(widget->statusText(), row.status);
            QCOMPARE(system->alive + display->alive, row.status == idle ? 0 : 2);
            QCOMPARE(service->isActive(), row.status != idle);
        }
    }

    // Keep-awake comes on only with both locks; a refused half lets the other go and is reported once.
    void needsBothLocks() {
        const std::pair<bool, bool> answers[] = {{false, true}, {true, false}, {true, true}};
        for (const auto& [displayGranted, systemGranted] : answers) {
            init();
            for (int attempt = 0; attempt < 2 && !service->isActive(); ++attempt) {
                service->activate(900);
                display->answer(displayGranted);
                system->answer(systemGranted);
            }
            const bool both = displayGranted && systemGranted;
            QCOMPARE(service->isActive(), both);
            QCOMPARE(system->alive + display->alive, both ? 2 : 0);
            QCOMPARE(degraded.size(), both ? 0 : 1);
        }
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
