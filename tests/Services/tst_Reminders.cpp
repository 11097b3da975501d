#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/BlinkService.h"
#include "Services/PostureService.h"

#include <QtTest>

// The blink and posture reminders on a fake clock, over fake screens and windows.
class RemindersTest : public QObject {
    Q_OBJECT

    FakeClock clock;
    FakeScheduler scheduler{&clock};
    InMemoryPreferences preferences;
    FakePresence presence;
    NotificationCenter notifications;
    FakeScreens screens;
    FakeReminderWindows windows;
    ReminderCoordinator coordinator;

    IntervalReminderService::Dependencies services() { return {preferences, clock, presence, notifications}; }
    ReminderPanels::Dependencies panels() { return {screens, windows, scheduler, clock, coordinator}; }
    int visiblePanels() const {
        return int(
            std::count_if(windows.made.cbegin(), windows.made.cend(), [](auto* w) { return w->visible; }));
    }
    // Moves on second by second, ticking the service.
    void wait(IntervalReminderService& service, int seconds) {
        for (int i = 0; i < seconds; ++i) {
            scheduler.advance(1000);
            service.tick();
        }
    }

private Q_SLOTS:
    void init() {
        screens.list = {QtScreens::describe(QStringLiteral("a"), QRect(0, 0, 1920, 1080),
                                            QRect(0, 0, 1920, 1080), 1, true),
                        QtScreens::describe(QStringLiteral("b"), QRect(1920, 0, 1280, 1024),
                                            QRect(1920, 0, 1280, 1024), 1, false)};
        for (const char* key : {"tavimor.blinkEnabled", "tavimor.blinkIntervalMin", "tavimor.remindersPaused",
                                "tavimor.postureEnabled", "tavimor.postureIntervalMin"})
            preferences.remove(QString::fromLatin1(key));
        presence.present = true;
        windows.made.clear();
    }

    // Seconds from the last settings change to the reminder, how a change on the way moves it, and a
    // reminder due while the user is away or reminders are paused: dropped, the next a full interval later.
    void schedule_data() {
        QTest::addColumn<bool>("posture");
        QTest::addColumn<QVariant>("storedMinutes");
        QTest::addColumn<int>("changeAt"); // a settings notification this many seconds in; 0 for none
        QTest::addColumn<int>("dueAfter");
        QTest::addColumn<QString>("unwanted"); // "away", "paused" or ""
        QTest::newRow("blink absent: 5 minutes") << false << QVariant() << 0 << 300 << "";
        QTest::newRow("blink 3 minutes") << false << QVariant(3) << 0 << 180 << "";
        QTest::newRow("blink zero: one minute") << false << QVariant(0) << 0 << 60 << "";
        QTest::newRow("a change 170 s in restarts the count") << false << QVariant(3) << 170 << 350 << "";
        QTest::newRow("posture absent: 30 minutes") << true << QVariant() << 0 << 1800 << "";
        QTest::newRow("posture away") << true << QVariant(15) << 0 << 900 << "away";
        QTest::newRow("posture paused") << true << QVariant(15) << 0 << 900 << "paused";
    }

    void schedule() {
        QFETCH(bool, posture);
        QFETCH(QVariant, storedMinutes);
        QFETCH(int, changeAt);
        QFETCH(int, dueAfter);
        QFETCH(QString, unwanted);
        const QString prefix = posture ? QStringLiteral("tavimor.posture") : QStringLiteral("tavimor.blink");
        preferences.setValue(prefix + "Enabled", true);
        if (storedMinutes.isValid())
            preferences.setValue(prefix + "IntervalMin", storedMinutes);
        presence.present = unwanted != QLatin1String("away");
        preferences.setValue(QStringLiteral("tavimor.remindersPaused"), unwanted == QLatin1String("paused"));
        std::unique_ptr<IntervalReminderService> service;
        if (posture)
            service = std::make_unique<PostureService>(services(), panels());
        else
            service = std::make_unique<BlinkService>(services(), panels());
        service->start();
        if (changeAt) {
            wait(*service, changeAt);
            notifications.post(Notifications::blinkSettingsChanged);
        }
        wait(*service, dueAfter - changeAt - 1);
        QCOMPARE(windows.made.size(), 0);
        wait(*service, 1);
        QCOMPARE(visiblePanels(), unwanted.isEmpty() ? 2 : 0);
        QCOMPARE(clock.now().secsTo(service->nextDate()), dueAfter - changeAt);
    }

    // A preview while switched off: the eye shown at 20 ms, closed at 400 ms and 660 ms, faded by 1.5 s,
    // panels gone at 1.85 s; the schedule is left alone.
    void blinkSteps() {
        BlinkService blink(services(), panels());
        blink.start();
        notifications.post(Notifications::blinkPreviewRequested);
        BlinkReminderState& state = blink.reminder().state();
        const struct {
            int atMs;
            bool visible, closed;
            int panels;
        } expected[] = {{10, false, false, 2},   {20, true, false, 2},   {400, true, true, 2},
                        {500, true, false, 2},   {660, true, true, 2},   {770, true, false, 2},
                        {1500, false, false, 2}, {1850, false, false, 0}};
        int at = 0;
        for (const auto& step : expected) {
            scheduler.advance(step.atMs - at);
            at = step.atMs;
            QCOMPARE(state.visible(), step.visible);
            QCOMPARE(state.closed(), step.closed);
            QCOMPARE(visiblePanels(), step.panels);
        }
        QVERIFY(!blink.nextDate().isValid() && !blink.isTicking());
    }

    // Posture at small size shows first; blink at the same position half a second later stacks below it
    // by the posture panel's height and the gap, on every screen. Stopping posture hides it at once.
    void stackedAtOnePosition() {
        PostureService posture(services(), panels());
        BlinkService blink(services(), panels());
        posture.start();
        blink.start();
        notifications.post(Notifications::posturePreviewRequested);
        QCOMPARE(posture.pill().panels().geometries(),
                 (QList<QRect>{QRect(924, 60, 72, 132), QRect(2524, 24, 72, 132)}));
        scheduler.advance(500);
        notifications.post(Notifications::blinkPreviewRequested);
        QCOMPARE(blink.reminder().panels().geometries(),
                 (QList<QRect>{QRect(932, 204, 56, 56), QRect(2532, 168, 56, 56)}));
        scheduler.advance(800);
        QCOMPARE(posture.pill().state().opacity(), 0.0);
        posture.stop();
        QCOMPARE(visiblePanels(), 2);          // only blink's
        QCOMPARE(scheduler.pendingCount(), 2); // blink's last two steps
    }
};

QTEST_GUILESS_MAIN(RemindersTest)
#include "tst_Reminders.moc"
