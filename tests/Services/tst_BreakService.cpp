#include "FakeClock.h"
#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Services/BreakService.h"
#include "Services/DiagnosticsService.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Stands in for the overlay: shown between present() and dismiss().
struct RecordingOverlay final : IBreakOverlay {
    bool* shown;
    explicit RecordingOverlay(bool* shown)
        : shown(shown) {}
    void present(BreakService&) override { *shown = true; }
    void dismiss() override { *shown = false; }
};

} // namespace

class BreakServiceTest : public QObject {
    Q_OBJECT
    QTemporaryDir logFolder;

private Q_SLOTS:
    void initTestCase() {
        Diagnostics::setLogFilePathForTesting(logFolder.filePath(QStringLiteral("t.log")));
    }

    // Each script runs on a started service with breaks on, a 1-minute work interval and 20 s breaks
    // (unless a "set" step says otherwise). Steps: wait:N (N ticks, one second apart), set:key=value
    // (then the settings notification), preview, now, skip, snooze, lock, away, back, pause.
    void schedule_data() {
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<int>("untilNext"); // -1: none
        QTest::addColumn<int>("snoozesUsed");

        QTest::newRow("due after the interval") << QStringList{"wait:60"} << true << -1 << 0;
        QTest::newRow("countdown ends the break, fresh interval")
            << QStringList{"wait:60", "wait:20"} << false << 60 << 0;
        QTest::newRow("settings change restarts the countdown")
            << QStringList{"wait:50", "set:tavimor.breakDurationSec=30"} << false << 60 << 0;
        QTest::newRow("due while away is dropped")
            << QStringList{"away", "wait:60", "back"} << false << 60 << 0;
        QTest::newRow("due while paused is dropped") << QStringList{"pause", "wait:60"} << false << 60 << 0;
        QTest::newRow("snooze with a 1-minute interval: back in 60 s")
            << QStringList{"wait:60", "snooze"} << false << 60 << 1;
        QTest::newRow("snooze with the default interval: back in 300 s")
            << QStringList{"set:tavimor.breakWorkIntervalMin=20", "wait:1200", "snooze"} << false << 300 << 1;
        QTest::newRow("a snoozed break keeps its count")
            << QStringList{"wait:60", "snooze", "wait:60", "snooze", "wait:60"} << true << -1 << 2;
        QTest::newRow("a fresh break starts the count again")
            << QStringList{"wait:60", "snooze", "wait:60", "skip", "wait:60"} << true << -1 << 0;
        QTest::newRow("skip restarts the full interval")
            << QStringList{"wait:60", "skip"} << false << 60 << 1;
        QTest::newRow("snoozing a preview keeps the date, counts nothing")
            << QStringList{"wait:30", "preview", "snooze"} << false << 30 << 0;
        QTest::newRow("skipping a preview restarts the interval")
            << QStringList{"wait:30", "preview", "skip"} << false << 60 << 0;
        QTest::newRow("a preview leaves the count of a snoozed break")
            << QStringList{"wait:60", "snooze", "preview", "skip"} << false << 60 << 1;
        QTest::newRow("switching off during a break closes it")
            << QStringList{"wait:60", "set:tavimor.breakEnabled=false"} << false << -1 << 0;
        QTest::newRow("preview while off runs and switches off again")
            << QStringList{"set:tavimor.breakEnabled=false", "preview", "wait:20"} << false << -1 << 0;
        QTest::newRow("strict with no snoozes: neither skip nor snooze")
            << QStringList{"set:tavimor.breakStrict=true", "set:tavimor.breakSnoozes=0", "wait:60", "skip",
                           "snooze"}
            << true << -1 << 0;
        QTest::newRow("strict preview can be skipped")
            << QStringList{"set:tavimor.breakStrict=true", "set:tavimor.breakSnoozes=0", "preview", "skip"}
            << false << 60 << 0;
        QTest::newRow("lock accepted ends the break") << QStringList{"wait:60", "lock"} << false << 60 << 0;
        QTest::newRow("lock refused keeps the break, logged")
            << QStringList{"wait:60", "refuse", "lock", "wait:1"} << true << -1 << 0;
        QTest::newRow("stored duration 2 gives 5 s")
            << QStringList{"set:tavimor.breakDurationSec=2", "now", "wait:5"} << false << 60 << 0;
        QTest::newRow("stored duration 100000 is cut to 900 s")
            << QStringList{"set:tavimor.breakDurationSec=100000", "now", "wait:899"} << true << -1 << 0;
        QTest::newRow("huge interval is cut to four hours")
            << QStringList{"set:tavimor.breakWorkIntervalMin=9223372036854775807"} << false << 14400 << 0;
    }

    void schedule() {
        QFETCH(QStringList, script);
        FakeClock clock;
        InMemoryPreferences preferences;
        FakePresence presence;
        FakeLogindSession session;
        NotificationCenter notifications;
        bool shown = false;
        QStringList logged;
        Diagnostics::setSystemLogSinkForTesting(
            [&](Diagnostics::Level, const QString& text) { logged << text; });
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 1);
        BreakService service({preferences, clock, presence, &session, notifications},
                             std::make_unique<RecordingOverlay>(&shown));
        service.start();
        for (const QString& step : script) {
            const QString verb = step.section(QLatin1Char(':'), 0, 0);
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (verb == QLatin1String("wait")) {
                for (int i = 0; i < argument.toInt(); ++i) {
                    clock.advance(1000);
                    service.tick();
                }
            } else if (verb == QLatin1String("set")) {
                const QString value = argument.section(QLatin1Char('='), 1);
                preferences.setValue(argument.section(QLatin1Char('='), 0, 0),
                                     value == QLatin1String("true")    ? QVariant(true)
                                     : value == QLatin1String("false") ? QVariant(false)
                                                                       : QVariant(value.toLongLong()));
                notifications.post(Notifications::breakSettingsChanged);
            } else if (verb == QLatin1String("preview")) {
                notifications.post(Notifications::breakPreviewRequested);
            } else if (verb == QLatin1String("away") || verb == QLatin1String("back")) {
                presence.present = verb == QLatin1String("back");
            } else if (verb == QLatin1String("refuse")) {
                session.answer = FakeLogindSession::Answer::refuse;
            } else if (verb == QLatin1String("pause")) {
                preferences.setValue(QStringLiteral("tavimor.remindersPaused"), true);
            } else {
                QVERIFY(QMetaObject::invokeMethod(&service, verb == QLatin1String("lock") ? "lockScreen"
                                                            : verb == QLatin1String("now")
                                                                ? "takeBreakNow"
                                                                : qPrintable(verb)));
            }
        }
        QTEST(shown, "onScreen");
        QCOMPARE(service.phase() == BreakService::Phase::active, shown);
        QTEST(int(service.secondsUntilNextBreak().value_or(-1)), "untilNext");
        QTEST(int(service.snoozesUsed()), "snoozesUsed");
        QCOMPARE(service.isTicking(), service.nextBreakDate().isValid() || shown);
        Diagnostics::setSystemLogSinkForTesting({});
        QCOMPARE(logged, script.contains("refuse") ? QStringList{"Tavimor: falha ao bloquear tela: no locker"}
                                                   : QStringList());
    }
};

QTEST_GUILESS_MAIN(BreakServiceTest)
#include "tst_BreakService.moc"
