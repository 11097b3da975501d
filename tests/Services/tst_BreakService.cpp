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

    // Each script runs on a started service with breaks on, a 1-minute work interval and 20 s breaks. Steps,
    // blank-separated: wait:N (N one-second ticks), set:key=number (a "tavimor." key, then the settings
    // notification), preview, away, back, refuse (the next lock), or a slot to call.
    void schedule_data() {
        QTest::addColumn<QString>("script");
        QTest::addColumn<bool>("onScreen");
        QTest::addColumn<int>("untilNext"); // -1: none
        QTest::addColumn<int>("snoozesUsed");

        QTest::newRow("due after the interval") << "wait:60" << true << -1 << 0;
        QTest::newRow("countdown ends the break, fresh interval") << "wait:60 wait:20" << false << 60 << 0;
        QTest::newRow("settings change restarts") << "wait:50 set:breakDurationSec=30" << false << 60 << 0;
        QTest::newRow("due while away is dropped") << "away wait:60 back" << false << 60 << 0;
        QTest::newRow("due while paused is dropped") << "set:remindersPaused=1 wait:60" << false << 60 << 0;
        QTest::newRow("snooze: back in 60 s") << "wait:60 snooze" << false << 60 << 1;
        QTest::newRow("snooze, default interval: 300 s")
            << "set:breakWorkIntervalMin=20 wait:1200 snooze" << false << 300 << 1;
        QTest::newRow("snoozed keeps count") << "wait:60 snooze wait:60 snooze wait:60" << true << -1 << 2;
        QTest::newRow("fresh break counts anew") << "wait:60 snooze wait:60 skip wait:60" << true << -1 << 0;
        QTest::newRow("skip restarts the full interval") << "wait:60 skip" << false << 60 << 1;
        QTest::newRow("snoozed preview counts nothing") << "wait:30 preview snooze" << false << 30 << 0;
        QTest::newRow("skipped preview restarts") << "wait:30 preview skip" << false << 60 << 0;
        QTest::newRow("preview leaves the count") << "wait:60 snooze preview skip" << false << 60 << 1;
        QTest::newRow("switched off in a break") << "wait:60 set:breakEnabled=0" << false << -1 << 0;
        QTest::newRow("preview while off") << "set:breakEnabled=0 preview wait:20" << false << -1 << 0;
        QTest::newRow("strict: no skip nor snooze")
            << "set:breakStrict=1 set:breakSnoozes=0 wait:60 skip snooze" << true << -1 << 0;
        QTest::newRow("strict preview skippable")
            << "set:breakStrict=1 set:breakSnoozes=0 preview skip" << false << 60 << 0;
        QTest::newRow("lock accepted ends the break") << "wait:60 lockScreen" << false << 60 << 0;
        QTest::newRow("lock refused, logged") << "wait:60 refuse lockScreen wait:1" << true << -1 << 0;
        QTest::newRow("duration 2: 5 s") << "set:breakDurationSec=2 takeBreakNow wait:5" << false << 60 << 0;
        QTest::newRow("duration cut to 900 s")
            << "set:breakDurationSec=100000 takeBreakNow wait:899" << true << -1 << 0;
        QTest::newRow("interval cut to 4 h")
            << "set:breakWorkIntervalMin=9223372036854775807" << false << 14400 << 0;
    }

    void schedule() {
        QFETCH(QString, script);
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
        for (const QString& step : script.split(u' ')) {
            const QString verb = step.section(QLatin1Char(':'), 0, 0);
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (verb == QLatin1String("wait")) {
                for (int i = 0; i < argument.toInt(); ++i) {
                    clock.advance(1000);
                    service.tick();
                }
            } else if (verb == QLatin1String("set")) {
                preferences.setValue("tavimor." + argument.section(QLatin1Char('='), 0, 0),
                                     argument.section(QLatin1Char('='), 1).toLongLong());
                notifications.post(Notifications::breakSettingsChanged);
            } else if (verb == QLatin1String("preview")) {
                notifications.post(Notifications::breakPreviewRequested);
            } else if (verb == QLatin1String("away") || verb == QLatin1String("back")) {
                presence.present = verb == QLatin1String("back");
            } else if (verb == QLatin1String("refuse")) {
                session.answer = FakeLogindSession::Answer::refuse;
            } else {
                QVERIFY(QMetaObject::invokeMethod(&service, qPrintable(verb)));
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
