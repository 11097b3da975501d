#include "App/AppDelegate.h"

#include "CallLog.h"
#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeWidget.h"
#include "InMemoryPreferences.h"

#include <QQuickWindow>
#include <QTest>

namespace {

// One delegate over fakes, with the widgets given (in any order) and every call recorded in `log`.
struct Harness {
    CallLog log;
    FakeScreens screens;
    FakeScreenSleepSource sleepSource{&log};
    FakeKeyMonitor keyMonitor{&log};
    FakeActivationPolicy activationPolicy{&log};
    FakePanelHost panelHost{&log};
    FakeScheduler scheduler;
    InMemoryPreferences preferences;
    SettingsWindowManager settingsWindow;
    OnboardingWindowManager onboarding;
    UpdaterService updater;
    QHash<QString, FakeWidget*> widgets;
    std::unique_ptr<AppDelegate> delegate;

    explicit Harness(const QStringList& ids = {"caffeinate", "shelf", "daily", "servers", "devices", "system",
                                               "usage"}) {
        AppDelegateDependencies deps{
            .panelHost = &panelHost,
            .screens = &screens,
            .activationPolicy = &activationPolicy,
            .sleepSource = &sleepSource,
            .keyMonitor = &keyMonitor,
            .scheduler = &scheduler,
            .preferences = &preferences,
            .settingsWindow = &settingsWindow,
            .onboarding = &onboarding,
            .updater = &updater,
            .installCrashHandlers = [this] { log.add("crashHandlers"); },
            .logSessionStart = [this] { log.add("sessionStart"); },
            .reportDegraded = [this](const QString& component,
                                     auto&&...) { log.add("degraded:" + component); },
            .flushLog = [this] { log.add("flushLog"); },
            .postureService = std::make_unique<FakeReminderService>("posture", &log),
            .blinkService = std::make_unique<FakeReminderService>("blink", &log),
            .widgets = {}};
        for (const QString& id : ids) {
            deps.widgets.push_back(std::make_unique<FakeWidget>(id, int(widgets.size()), &log));
            widgets.insert(id, static_cast<FakeWidget*>(deps.widgets.back().get()));
        }
        delegate = std::make_unique<AppDelegate>(std::move(deps));
    }

    void launch() {
        delegate->applicationDidFinishLaunching();
        log.clear();
    }
    NotchStateManager& state() { return delegate->stateManager(); }
};

const QStringList expandedOnlyStop{"devices.stop", "servers.stop", "shelf.stop"};
const QStringList expandedOnlyStart{"devices.start", "servers.start", "shelf.start"};
const QStringList startedAfterLaunch =
    QStringList{"daily.start",   "system.start", "usage.start",     "devices.start",
                "servers.start", "shelf.start",  "caffeinate.start"} +
    expandedOnlyStop;

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpRunsInOrderAndHandsTheServicesOver() {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.log.entries,
                 (QStringList{"crashHandlers", "sessionStart", "accessory", "degraded:Updater"} +
                  startedAfterLaunch +
                  QStringList{"panel.setup", "posture.start", "blink.start", "sleepSource.start",
                              "keyMonitor.set"}));
        QStringList registered;
        for (const AnyNotchWidget* record : h.delegate->registry().widgets())
            registered.append(record->id());
        QCOMPARE(registered,
                 (QStringList{"daily", "system", "usage", "devices", "servers", "shelf", "caffeinate"}));
        QCOMPARE(h.scheduler.pendingCount(), 1); // the onboarding check, nothing else
        QCOMPARE(h.widgets["system"]->caffeinateService, h.widgets["caffeinate"]->service());
        QCOMPARE(h.settingsWindow.usageService(), h.widgets["usage"]->service());

        Harness alone({"system"});
        alone.delegate->applicationDidFinishLaunching();
        QCOMPARE(alone.widgets["system"]->caffeinateService, nullptr);
    }

    void shutDownStopsEverythingInOrderAndRemovesObservers() {
        Harness h;
        h.launch();
        h.delegate->applicationWillTerminate();
        QCOMPARE(h.log.entries,
                 (QStringList{"daily.stop", "system.stop", "usage.stop", "devices.stop", "servers.stop",
                              "shelf.stop", "caffeinate.stop", "posture.stop", "blink.stop",
                              "panel.stopHover", "panel.stopDrag", "panel.cancelClose", "sleepSource.stop",
                              "keyMonitor.clear", "flushLog"}));
        h.log.clear();
        h.sleepSource.sleep();
        h.sleepSource.wake();
        h.screens.change();
        QCOMPARE(h.log.entries, QStringList());
        QVERIFY(!h.keyMonitor.press(Qt::Key_Comma, Qt::ControlModifier));
    }

    void sleepStopsAllButKeepAwakeOnceAndWakeRestartsOnce() {
        Harness h;
        h.launch();
        h.sleepSource.wake(); // no sleep before it
        QCOMPARE(h.log.entries, QStringList());

        h.sleepSource.sleep();
        h.sleepSource.sleep(); // a second source reporting the same sleep
        QVERIFY(h.delegate->screenAsleep());
        QCOMPARE(h.log.entries, (QStringList{"daily.stop", "system.stop", "usage.stop", "devices.stop",
                                             "servers.stop", "shelf.stop", "posture.stop", "blink.stop"}));
        h.log.clear();
        h.state().open(); // asleep: the expanded-only widgets stay stopped
        h.state().close();
        QCOMPARE(h.log.entries, QStringList());

        h.sleepSource.wake();
        h.sleepSource.wake();
        QVERIFY(!h.delegate->screenAsleep());
        QCOMPARE(h.log.entries, (startedAfterLaunch + QStringList{"posture.start", "blink.start"}));
        h.log.clear();
        h.state().open();
        h.state().close();
        QCOMPARE(h.log.entries, expandedOnlyStart + expandedOnlyStop);
    }

    void wakeWhileOpenLeavesTheExpandedOnlyWidgetsStopped() {
        Harness h;
        h.launch();
        h.state().open();
        h.sleepSource.sleep();
        h.log.clear();
        h.sleepSource.wake();
        QVERIFY(h.state().isOpen());
        for (const QString id : {"devices", "servers", "shelf"})
            QVERIFY2(h.log.entries.lastIndexOf(id + ".stop") > h.log.entries.lastIndexOf(id + ".start"),
                     qPrintable(id));
        h.log.clear();
        h.state().close();
        h.state().open();
        QCOMPARE(h.log.entries, expandedOnlyStop + expandedOnlyStart);
    }

    void screenChangeClosesThePanelAndRebuildsIt() {
        Harness h;
        h.launch();
        h.state().open();
        h.state().setActiveWidgetId(QStringLiteral("shelf"));
        h.log.clear();
        h.screens.change();
        QCOMPARE(h.log.entries, (QStringList{"panel.stopHover", "panel.cancelClose"} + expandedOnlyStop +
                                 QStringList{"panel.setup"}));
        QVERIFY(!h.state().isOpen());
        QCOMPARE(h.state().activeWidgetId(), std::nullopt);

        h.sleepSource.sleep();
        h.state().open();
        h.log.clear();
        h.screens.change();
        QCOMPARE(h.log.entries, (QStringList{"panel.stopHover", "panel.cancelClose", "panel.setup"}));
    }

    void onboardingIsOfferedAfter600msUnlessCompleted_data() {
        QTest::addColumn<QVariant>("completed");
        QTest::addColumn<bool>("setAfterLaunch");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absent") << QVariant() << false << true;
        QTest::newRow("false") << QVariant(false) << false << true;
        QTest::newRow("true") << QVariant(true) << false << false;
        QTest::newRow("true, read when the check runs") << QVariant(true) << true << false;
    }

    void onboardingIsOfferedAfter600msUnlessCompleted() {
        QFETCH(QVariant, completed);
        QFETCH(bool, setAfterLaunch);
        QFETCH(bool, shown);
        Harness h;
        if (!setAfterLaunch && completed.isValid())
            h.preferences.setValue(OnboardingWindowManager::completedKey, completed);
        h.launch();
        if (setAfterLaunch)
            h.preferences.setValue(OnboardingWindowManager::completedKey, completed);
        h.scheduler.advance(599);
        QVERIFY(!h.onboarding.window());
        h.scheduler.advance(1);
        QCOMPARE(h.onboarding.window() != nullptr, shown);
    }

    void settingsShortcut_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("matches");
        const Qt::KeyboardModifiers ctrl(Qt::ControlModifier);
        QTest::newRow("ctrl+comma") << int(Qt::Key_Comma) << ctrl << true;
        QTest::newRow("ctrl+alt+comma") << int(Qt::Key_Comma) << (ctrl | Qt::AltModifier) << true;
        QTest::newRow("comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers() << false;
        QTest::newRow("meta+comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers(Qt::MetaModifier) << false;
        QTest::newRow("ctrl+period") << int(Qt::Key_Period) << ctrl << false;
        QTest::newRow("ctrl+shift+comma is less") << int(Qt::Key_Less) << (ctrl | Qt::ShiftModifier) << false;
    }

    void settingsShortcut() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, matches);
        Harness h;
        h.launch();
        QCOMPARE(h.keyMonitor.press(key, modifiers), matches);
        QQuickWindow* first = h.settingsWindow.window();
        QCOMPARE(first != nullptr, matches);
        QCOMPARE(h.keyMonitor.press(key, modifiers), matches);
        QCOMPARE(h.settingsWindow.window(), first); // one window, brought forward again
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
