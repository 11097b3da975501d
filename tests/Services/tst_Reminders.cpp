#include "Core/NotificationCenter.h"
#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
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

    // Seconds from the last settings change to the reminder, and how a change on the way moves it.
    void schedule_data() {
        QTest::addColumn<QVariant>("storedMinutes");
        QTest::addColumn<int>("changeAt"); // a settings notification this many seconds in; 0 for none
        QTest::addColumn<int>("dueAfter");
        QTest::newRow("absent: 5 minutes") << QVariant() << 0 << 300;
        QTest::newRow("3 minutes") << QVariant(3) << 0 << 180;
        QTest::newRow("zero: one minute") << QVariant(0) << 0 << 60;
        QTest::newRow("a change 170 s in restarts the count") << QVariant(3) << 170 << 350;
    }

    void schedule() {
        QFETCH(QVariant, storedMinutes);
        QFETCH(int, changeAt);
        QFETCH(int, dueAfter);
        preferences.setValue(QStringLiteral("tavimor.blinkEnabled"), true);
        if (storedMinutes.isValid())
            preferences.setValue(QStringLiteral("tavimor.blinkIntervalMin"), storedMinutes);
        BlinkService blink(services(), panels());
        blink.start();
        if (changeAt) {
            wait(blink, changeAt);
            notifications.post(Notifications::blinkSettingsChanged);
        }
        wait(blink, dueAfter - changeAt - 1);
        QCOMPARE(windows.made.size(), 0);
        wait(blink, 1);
        QCOMPARE(visiblePanels(), 2);
    }

    // A reminder due while the user is away, or while reminders are paused, is dropped for a full interval.
    void droppedWhenNotWanted_data() {
        QTest::addColumn<bool>("away");
        QTest::newRow("away") << true;
        QTest::newRow("paused") << false;
    }

    void droppedWhenNotWanted() {
        QFETCH(bool, away);
        preferences.setValue(QStringLiteral("tavimor.postureEnabled"), true);
        preferences.setValue(QStringLiteral("tavimor.postureIntervalMin"), 15);
        PostureService posture(services(), panels());
        posture.start();
        presence.present = !away;
        preferences.setValue(QStringLiteral("tavimor.remindersPaused"), !away);
        wait(posture, 900);
        QCOMPARE(windows.made.size(), 0);
        QCOMPARE(clock.now().secsTo(posture.nextDate()), 900);
    }

    // A preview shows even while switched off, and leaves the schedule alone.
    void previewWhileOff() {
        BlinkService blink(services(), panels());
        blink.start();
        notifications.post(Notifications::blinkPreviewRequested);
        QCOMPARE(visiblePanels(), 2);
        QVERIFY(!blink.nextDate().isValid());
        QVERIFY(!blink.isTicking());
    }

    // The blink: eye shown at 20 ms, closed at 400 ms and 660 ms, faded by 1.5 s, panels gone at 1.85 s.
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
