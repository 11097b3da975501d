#include "Core/HealthSettingsModel.h"
#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeReminders.h"
#include "FakeScreenCapture.h"
#include "Foundation/NotificationCenter.h"
#include "InMemoryPreferences.h"
#include "Platform/Screens/QtScreens.h"
#include "Services/BlinkService.h"
#include "Services/BreakOverlayWindowManager.h"
#include "Services/DiagnosticsService.h"
#include "Services/PostureService.h"

#include <QTemporaryDir>
#include <QtTest>

// The break, blink and posture reminders on a fake clock, over fake screens and windows.
class HealthRemindersTest : public QObject {
    Q_OBJECT

    QTemporaryDir logFolder;
    FakeClock clock;
    FakeScheduler scheduler{&clock};
    InMemoryPreferences preferences;
    FakePresence presence;
    FakeLogindSession session;
    NotificationCenter notifications;
    FakeScreens screens;
    FakeReminderWindows windows;
    ReminderCoordinator coordinator;
    int tipDraws = 0;
    BreakOverlayWindowManager* overlay = nullptr;
    std::unique_ptr<BreakService> breaks;

    static ScreenInfo screen(const char* name, QRect frame, bool primary = false) {
        return QtScreens::describe(QString::fromLatin1(name), frame, frame, 1, primary);
    }
    IntervalReminderService::Dependencies services() {
        return {preferences, clock, scheduler, presence, notifications};
    }
    ReminderPanels::Dependencies panels() { return {screens, windows, scheduler, clock, coordinator}; }
    QList<FakeReminderWindows::Window*> shown() const {
        QList<FakeReminderWindows::Window*> list;
        for (auto* window : windows.made)
            if (window->visible)
                list.append(window);
        return list;
    }

private Q_SLOTS:
    void initTestCase() {
        Diagnostics::setLogFilePathForTesting(logFolder.filePath(QStringLiteral("t.log")));
    }

    // Two screens, every reminder off but breaks, which come every minute; the break service is not started.
    void init() {
        screens.list = {screen("a", QRect(0, 0, 1920, 1080), true), screen("b", QRect(1920, 0, 1280, 1024))};
        for (const char* key : {"blinkEnabled", "blinkIntervalMin", "remindersPaused", "postureEnabled",
                                "postureIntervalMin", "breakStrict", "breakSnoozes", "breakDurationSec"})
            preferences.remove(QStringLiteral("tavimor.") + QLatin1String(key));
        preferences.setValue(QStringLiteral("tavimor.breakEnabled"), true);
        preferences.setValue(QStringLiteral("tavimor.breakWorkIntervalMin"), 1);
        presence.present = true;
        session.answer = FakeLogindSession::Answer::accept;
        windows.made.clear();
        tipDraws = 0;
        auto manager =
            std::make_unique<BreakOverlayWindowManager>(screens, windows, clock, [this](int count) {
                ++tipDraws;
                return count - 1;
            });
        overlay = manager.get();
        breaks = std::make_unique<BreakService>(
            BreakService::Dependencies{preferences, clock, scheduler, presence, &session, notifications},
            std::move(manager));
    }

    // Each script runs on a started service with breaks on, a 1-minute work interval and 20 s breaks. Steps,
    // blank-separated: wait:N (N seconds), set:key=number (a "tavimor." key, then the settings
    // notification), preview, away, back, refuse (the next lock), esc:N (Escape on the overlay N ms after the
    // previous step, 0 if not given), or a slot to call.
    void breakSchedule_data() {
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
        QTest::newRow("Esc once") << "takeBreakNow esc" << true << -1 << 0;
        QTest::newRow("Esc twice within 1.5 s skips") << "takeBreakNow esc esc:1400" << false << 60 << 1;
        QTest::newRow("second Esc 2 s later") << "takeBreakNow esc esc:2000" << true << -1 << 0;
        QTest::newRow("third Esc pairs") << "takeBreakNow esc esc:2000 esc:1000" << false << 60 << 1;
        QTest::newRow("strict Esc twice")
            << "set:breakStrict=1 set:breakSnoozes=0 takeBreakNow esc esc:100" << true << -1 << 0;
    }

    void breakSchedule() {
        QFETCH(QString, script);
        QStringList logged;
        Diagnostics::setSystemLogSinkForTesting(
            [&](Diagnostics::Level, const QString& text) { logged << text; });
        breaks->start();
        for (const QString& step : script.split(u' ')) {
            const QString verb = step.section(QLatin1Char(':'), 0, 0);
            const QString argument = step.section(QLatin1Char(':'), 1);
            if (verb == QLatin1String("wait")) {
                scheduler.advance(argument.toInt() * 1000);
            } else if (verb == QLatin1String("set")) {
                preferences.setValue("tavimor." + argument.section(QLatin1Char('='), 0, 0),
                                     argument.section(QLatin1Char('='), 1).toLongLong());
                notifications.post(Notifications::breakSettingsChanged);
            } else if (verb == QLatin1String("esc")) {
                clock.advance(argument.toInt());
                windows.made.constFirst()->spec.escapePressed();
            } else if (verb == QLatin1String("preview")) {
                notifications.post(Notifications::breakPreviewRequested);
            } else if (verb == QLatin1String("away") || verb == QLatin1String("back")) {
                presence.present = verb == QLatin1String("back");
            } else if (verb == QLatin1String("refuse")) {
                session.answer = FakeLogindSession::Answer::refuse;
            } else {
                QVERIFY(QMetaObject::invokeMethod(breaks.get(), qPrintable(verb)));
            }
        }
        const bool onScreen = !shown().isEmpty();
        QTEST(onScreen, "onScreen");
        QCOMPARE(breaks->phase() == BreakService::Phase::active, onScreen);
        QTEST(int(breaks->secondsUntilNextBreak().value_or(-1)), "untilNext");
        QTEST(int(breaks->snoozesUsed()), "snoozesUsed");
        QCOMPARE(breaks->isTicking(), breaks->nextBreakDate().isValid() || onScreen);
        Diagnostics::setSystemLogSinkForTesting({});
        QCOMPARE(logged, script.contains("refuse") ? QStringList{"Tavimor: falha ao bloquear tela: no locker"}
                                                   : QStringList());
    }

    // One window per screen, the first taking the focus, the clock below the strip the panel covers; a second
    // present changes nothing; a screen added during the break gets its window, with the same tip; the
    // break ending orders all out.
    void breakOverlayFollowsScreens() {
        overlay->setTopCover([](const ScreenInfo& screen) { return screen.name == "a" ? 38 : 0; });
        QSignalSpy presented(overlay, &BreakOverlayWindowManager::presented);
        breaks->takeBreakNow();
        overlay->present(*breaks);
        QCOMPARE(presented.size(), 1);
        QCOMPARE(shown().size(), 2);
        QCOMPARE(shown().at(1)->spec.geometry, QRect(1920, 0, 1280, 1024));
        QCOMPARE(shown().at(0)->spec.properties.value("topInset").toInt(), 38);
        QCOMPARE(shown().at(1)->spec.properties.value("topInset").toInt(), 0);
        QVERIFY(shown().at(0)->spec.takesFocus && !shown().at(1)->spec.takesFocus);
        screens.list.append(screen("c", QRect(0, 1080, 800, 600)));
        Q_EMIT screens.screensChanged();
        QCOMPARE(shown().size(), 3);
        QCOMPARE(tipDraws, 1);
        breaks->skip();
        QCOMPARE(shown().size(), 0);
        Q_EMIT screens.screensChanged();
        QCOMPARE(shown().size(), 0);
        // The next break on the same screens shows the kept windows over its own model.
        breaks->takeBreakNow();
        QCOMPARE(shown().size(), 3);
        QCOMPARE(windows.made.size(), 5);
        QCOMPARE(shown().at(2)->spec.properties.value("model").value<QObject*>(), overlay->model());
    }

    // What each overlay lies on: the compositor's blur where it offers one (nothing read), else a frosted
    // capture of its screen read while no overlay is on screen, else an opaque backdrop.
    void overlayBackdrop_data() {
        QTest::addColumn<bool>("translucent");
        QTest::addColumn<bool>("compositorBlurs");
        QTest::addColumn<bool>("readable");
        QTest::addColumn<bool>("asksBlur");
        QTest::addColumn<int>("reads");
        QTest::addColumn<bool>("frosted");
        QTest::addColumn<bool>("opaque");
        QTest::newRow("compositor blurs") << true << true << true << true << 0 << false << false;
        QTest::newRow("frosted capture") << true << false << true << false << 2 << true << false;
        QTest::newRow("nothing to read") << true << false << false << false << 2 << false << true;
        QTest::newRow("no compositor") << false << false << true << false << 0 << false << true;
    }

    void overlayBackdrop() {
        QFETCH(bool, translucent);
        QFETCH(bool, compositorBlurs);
        QFETCH(bool, readable);
        QFETCH(bool, asksBlur);
        QFETCH(int, reads);
        QFETCH(bool, frosted);
        QFETCH(bool, opaque);
        FakeScreenCapture capture;
        QImage screen(64, 48, QImage::Format_RGB32);
        screen.fill(Qt::white);
        capture.screen = readable ? screen : QImage();
        bool readOverAnOverlay = false;
        capture.grabbing = [&] { readOverAnOverlay |= !shown().isEmpty(); };
        windows.translucent = translucent;
        windows.blurBehind = compositorBlurs;
        overlay->setScreenCapture(&capture);
        breaks->takeBreakNow();
        QCOMPARE(shown().size(), 2);
        QCOMPARE(capture.areas.size(), reads);
        QVERIFY(!readOverAnOverlay);
        for (const auto* window : shown()) {
            QCOMPARE(window->spec.blurBehind, asksBlur);
            const QImage backdrop = window->spec.properties.value("backdrop").value<QImage>();
            QCOMPARE(!backdrop.isNull(), frosted);
        }
        QCOMPARE(overlay->model()->opaque(), opaque);
        if (capture.areas.size() == 2)
            QCOMPARE(capture.areas.at(1), QRect(1920, 0, 1280, 1024));
        breaks->skip();
        windows.translucent = true;
        windows.blurBehind = false;
    }

    // Strict without snoozes: the hint says the break cannot be skipped; the countdown never goes below zero;
    // the hint's markup is escaped.
    void breakOverlayTexts() {
        preferences.setValue(QStringLiteral("tavimor.breakStrict"), true);
        preferences.setValue(QStringLiteral("tavimor.breakSnoozes"), 0);
        breaks->applySettings();
        breaks->takeBreakNow();
        QCOMPARE(overlay->model()->hint(), QStringLiteral("Pausa obrigatória — aproveite para descansar."));
        QCOMPARE(BreakOverlayModel::countdownText(-3), QStringLiteral("00:00"));
        const std::pair<const char*, const char*> markup[] = {
            {"Press **Esc** twice", "Press <b>Esc</b> twice"},
            {"Press **Esc twice", ""}, // unpaired: shown as it is
            {"<img src=x> **a&b**", "&lt;img src=x&gt; <b>a&amp;b</b>"}};
        for (const auto& [text, styled] : markup)
            QCOMPARE(BreakOverlayModel::boldMarkup(QString::fromUtf8(text)).value_or(QString()),
                     QString::fromUtf8(styled));
    }

    // Seconds from the last settings change to the reminder, how a change on the way moves it, and a
    // reminder due while the user is away or reminders are paused: dropped, the next a full interval later.
    void reminderSchedule_data() {
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

    void reminderSchedule() {
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
            scheduler.advance(changeAt * 1000);
            notifications.post(Notifications::blinkSettingsChanged);
        }
        scheduler.advance((dueAfter - changeAt) * 1000 - 1);
        QCOMPARE(windows.made.size(), 0);
        scheduler.advance(1);
        QCOMPARE(shown().size(), unwanted.isEmpty() ? 2 : 0);
        QCOMPARE(clock.now().secsTo(service->nextDate()), dueAfter - changeAt);
    }

    // The break, posture and blink reminders, started some milliseconds apart with one-minute intervals, each
    // show within 100 ms after their due moments, also when the wall clock trails the timers a little.
    void remindersShowOnTime_data() {
        QTest::addColumn<QList<int>>("startsMs"); // break, posture, blink
        QTest::addColumn<int>("wallLagMs");
        QTest::newRow("started together") << QList<int>{0, 0, 0} << 0;
        QTest::newRow("started apart") << QList<int>{0, 300, 900} << 0;
        QTest::newRow("wall clock trailing") << QList<int>{0, 300, 900} << 5;
    }

    void remindersShowOnTime() {
        QFETCH(QList<int>, startsMs);
        QFETCH(int, wallLagMs);
        for (const char* reminder : {"tavimor.posture", "tavimor.blink"}) {
            preferences.setValue(QLatin1String(reminder) + "Enabled", true);
            preferences.setValue(QLatin1String(reminder) + "IntervalMin", 1);
        }
        PostureService posture(services(), panels());
        BlinkService blink(services(), panels());
        const std::function<void()> start[] = {[&] { breaks->start(); }, [&] { posture.start(); },
                                               [&] { blink.start(); }};
        const std::function<bool()> isShown[] = {
            [&] { return breaks->phase() == BreakService::Phase::active; },
            [&] { return !posture.cue().panels().geometries().isEmpty(); },
            [&] { return !blink.cue().panels().geometries().isEmpty(); }};
        QDateTime due[3], shownAt[3];
        const qint64 begin = scheduler.elapsedMs();
        for (int i = 0; i < 3; ++i) {
            scheduler.advance(begin + startsMs.at(i) - scheduler.elapsedMs());
            start[i]();
            due[i] = clock.now().addSecs(60);
        }
        clock.advance(-wallLagMs);
        while (scheduler.elapsedMs() < begin + 62000) {
            scheduler.advance(10);
            for (int i = 0; i < 3; ++i)
                if (!shownAt[i].isValid() && isShown[i]())
                    shownAt[i] = clock.now();
        }
        for (int i = 0; i < 3; ++i) {
            const qint64 lateMs = shownAt[i].isValid() ? due[i].msecsTo(shownAt[i]) : -1;
            QVERIFY2(lateMs >= 0 && lateMs <= 100,
                     qPrintable(QStringLiteral("#%1: %2 ms").arg(i).arg(lateMs)));
        }
    }

    // The settings' pause switch holds back the break, posture and blink reminders that fall due after it is
    // switched on, and the next ones come again once it is off.
    void pauseSwitchHoldsAllReminders() {
        for (const char* reminder : {"tavimor.posture", "tavimor.blink"}) {
            preferences.setValue(QLatin1String(reminder) + "Enabled", true);
            preferences.setValue(QLatin1String(reminder) + "IntervalMin", 1);
        }
        HealthSettingsModel settings(preferences, notifications);
        PostureService posture(services(), panels());
        BlinkService blink(services(), panels());
        breaks->start(), posture.start(), blink.start();
        const auto shownReminders = [&] {
            return int(breaks->phase() == BreakService::Phase::active) +
                   int(!posture.cue().panels().geometries().isEmpty()) +
                   int(!blink.cue().panels().geometries().isEmpty());
        };
        scheduler.advance(30000);
        settings.setRemindersPaused(true);
        scheduler.advance(31000);
        QCOMPARE(shownReminders(), 0);
        settings.setRemindersPaused(false);
        scheduler.advance(60000);
        QCOMPARE(shownReminders(), 3);
    }

    // Power saving that has switched the screens off makes the user away, as a reported sleep does.
    void presenceFollowsDisplayPower() {
        FakeDisplayPower power;
        const SystemPresence presence(&session, nullptr, &power);
        QVERIFY(presence.userIsPresent());
        power.off = true;
        QVERIFY(!presence.userIsPresent());
    }

    // A preview while switched off: the eye's steps in time, then the panels gone; the schedule left alone.
    void blinkSteps() {
        BlinkService blink(services(), panels());
        blink.start();
        notifications.post(Notifications::blinkPreviewRequested);
        BlinkReminderState& state = blink.cue().state();
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
            QCOMPARE(shown().size(), step.panels);
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
        QCOMPARE(posture.cue().panels().geometries(),
                 (QList<QRect>{QRect(924, 60, 72, 132), QRect(2524, 24, 72, 132)}));
        scheduler.advance(500);
        notifications.post(Notifications::blinkPreviewRequested);
        QCOMPARE(blink.cue().panels().geometries(),
                 (QList<QRect>{QRect(932, 204, 56, 56), QRect(2532, 168, 56, 56)}));
        scheduler.advance(800);
        QCOMPARE(posture.cue().state().opacity(), 0.0);
        posture.stop();
        QCOMPARE(shown().size(), 2);           // only blink's
        QCOMPARE(scheduler.pendingCount(), 2); // blink's last two steps
    }
};

QTEST_GUILESS_MAIN(HealthRemindersTest)
#include "tst_HealthReminders.moc"
