#include "Core/HealthSettingsModel.h"
#include "FakeClock.h"
#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Widgets/BreakWidget.h"

#include <QtTest>

class BreakWidgetTest : public QObject {
    Q_OBJECT

    FakeClock clock;
    FakeScheduler scheduler{&clock};
    InMemoryPreferences preferences;
    FakePresence presence;
    NotificationCenter notifications;

    std::unique_ptr<BreakWidget> makeWidget() {
        return std::make_unique<BreakWidget>(
            preferences, notifications,
            std::make_unique<BreakService>(
                BreakService::Dependencies{preferences, clock, scheduler, presence, nullptr, notifications},
                nullptr));
    }

private Q_SLOTS:
    // The tab is listed while breaks are on, following the settings notification without a restart.
    void listedWhileBreaksAreOn() {
        auto widget = makeWidget();
        QVERIFY(!widget->isActive());
        widget->start();
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        notifications.post(Notifications::breakSettingsChanged);
        QVERIFY(widget->isActive());
    }

    // The big value and the label, idle at a distance from the next break or during a break.
    void bigValue() {
        // Seconds after the start with a 20 min interval (-1: switched off; 1140: exactly 60 s away), whether
        // a break runs, the big value.
        const std::tuple<int, bool, const char*> cases[] = {{1, false, "19min"},  {1140, false, "1min"},
                                                            {1141, false, "59s"}, {1300, false, "0s"},
                                                            {-1, false, "—"},     {0, true, "00:20"}};
        for (const auto& [elapsed, inBreak, value] : cases) {
            preferences.setValue(QStringLiteral("tavimor.breakEnabled"), elapsed >= 0);
            preferences.remove(QStringLiteral("tavimor.breakDurationSec"));
            preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 20);
            auto widget = makeWidget();
            widget->start();
            clock.advance(std::max(elapsed, 0) * 1000);
            if (inBreak)
                widget->service()->takeBreakNow();
            auto* tab = qobject_cast<BreakTabModel*>(widget->viewModel());
            QCOMPARE(tab->stateLabel(),
                     inBreak ? QStringLiteral("Em pausa") : QStringLiteral("Próxima pausa"));
            QCOMPARE(tab->bigValue(), QString::fromUtf8(value));
            QCOMPARE(tab->showsSkip(), inBreak);
            // The info lines show what runs: a stored length under the least is shown at the least.
            preferences.setValue(QStringLiteral("tavimor.breakDurationSec"), 2);
            QCOMPARE(tab->durationInfo(), QStringLiteral("5s de pausa"));
        }
    }

    // A value written by hand outside its range runs cut to the range's edge, and the break tab and the
    // settings' health section show that value, not the stored one.
    void shownIsWhatRuns_data() {
        QTest::addColumn<QString>("setting"); // the key after "tavimor."
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<qint64>("runs");     // minutes, seconds or snoozes
        QTest::addColumn<QString>("tabLine"); // empty: the tab does not show it
        // clang-format off
        QTest::newRow("interval above 4 h") << "breakWorkIntervalMin" << QVariant(1000) << 240LL << "240min de trabalho";
        QTest::newRow("interval of zero") << "breakWorkIntervalMin" << QVariant(0) << 1LL << "1min de trabalho";
        QTest::newRow("interval typed as text") << "breakWorkIntervalMin" << QVariant("999 min") << 240LL << "240min de trabalho";
        QTest::newRow("interval absent") << "breakWorkIntervalMin" << QVariant() << 20LL << "20min de trabalho";
        QTest::newRow("duration of an hour") << "breakDurationSec" << QVariant(3600) << 900LL << "900s de pausa";
        QTest::newRow("duration far below") << "breakDurationSec" << QVariant(-1e300) << 5LL << "5s de pausa";
        QTest::newRow("snoozes above 10") << "breakSnoozes" << QVariant(50) << 10LL << "";
        QTest::newRow("snoozes negative") << "breakSnoozes" << QVariant(-3) << 0LL << "";
        // clang-format on
    }

    void shownIsWhatRuns() {
        QFETCH(QString, setting);
        QFETCH(QVariant, stored);
        QFETCH(qint64, runs);
        QFETCH(QString, tabLine);
        for (const char* key : {"breakWorkIntervalMin", "breakDurationSec", "breakSnoozes"})
            preferences.remove(QStringLiteral("tavimor.") + QLatin1String(key));
        if (stored.isValid())
            preferences.setValue(QStringLiteral("tavimor.") + setting, stored);
        auto widget = makeWidget();
        widget->start();
        const BreakService& service = *widget->service();
        const qint64 running = setting == u"breakWorkIntervalMin" ? service.workIntervalSec() / 60
                               : setting == u"breakDurationSec"   ? service.breakDurationSec()
                                                                  : service.maxSnoozes();
        QCOMPARE(running, runs);
        HealthSettingsModel settings(preferences, notifications);
        QCOMPARE(settings.property(qPrintable(setting)).toLongLong(), runs);
        auto* tab = qobject_cast<BreakTabModel*>(widget->viewModel());
        const QStringList lines{tab->workInfo(), tab->durationInfo()};
        QVERIFY2(tabLine.isEmpty() || lines.contains(tabLine), qPrintable(lines.join(u", ")));
    }
};

QTEST_GUILESS_MAIN(BreakWidgetTest)
#include "tst_BreakWidget.moc"
