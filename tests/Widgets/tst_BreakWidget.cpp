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
            // The info lines show the stored values, not the service's bounds.
            preferences.setValue(QStringLiteral("tavimor.breakDurationSec"), 2);
            QCOMPARE(tab->durationInfo(), QStringLiteral("2s de pausa"));
        }
    }
};

QTEST_GUILESS_MAIN(BreakWidgetTest)
#include "tst_BreakWidget.moc"
