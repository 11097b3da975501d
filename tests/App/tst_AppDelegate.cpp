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

    explicit Harness(const QStringList& widgetIds = {QStringLiteral("caffeinate"), QStringLiteral("shelf"),
                                                     QStringLiteral("daily"), QStringLiteral("servers"),
                                                     QStringLiteral("devices"), QStringLiteral("system"),
                                                     QStringLiteral("usage")}) {
        AppDelegateDependencies deps;
        deps.panelHost = &panelHost;
        deps.screens = &screens;
        deps.activationPolicy = &activationPolicy;
        deps.sleepSource = &sleepSource;
        deps.keyMonitor = &keyMonitor;
        deps.scheduler = &scheduler;
        deps.preferences = &preferences;
        deps.settingsWindow = &settingsWindow;
        deps.onboarding = &onboarding;
        deps.updater = &updater;
        deps.installCrashHandlers = [this] { log.add(QStringLiteral("crashHandlers")); };
        deps.logSessionStart = [this] { log.add(QStringLiteral("sessionStart")); };
        deps.reportDegraded = [this](const QString& component, const QString&, const QString&) {
            log.add(QStringLiteral("degraded:") + component);
        };
        deps.flushLog = [this] { log.add(QStringLiteral("flushLog")); };
        deps.postureService = std::make_unique<FakeReminderService>(QStringLiteral("posture"), &log);
        deps.blinkService = std::make_unique<FakeReminderService>(QStringLiteral("blink"), &log);
        for (const QString& id : widgetIds) {
            auto widget = std::make_unique<FakeWidget>(id, int(widgets.size()), &log);
            widgets.insert(id, widget.get());
            deps.widgets.push_back(std::move(widget));
        }
        delegate = std::make_unique<AppDelegate>(std::move(deps));
    }

    void launch() {
        delegate->applicationDidFinishLaunching();
        log.clear();
    }
};

const QStringList allButExpandedOnlyStarted{
    QStringLiteral("daily.start"),      QStringLiteral("system.start"),  QStringLiteral("usage.start"),
    QStringLiteral("devices.start"),    QStringLiteral("servers.start"), QStringLiteral("shelf.start"),
    QStringLiteral("caffeinate.start"), QStringLiteral("devices.stop"),  QStringLiteral("servers.stop"),
    QStringLiteral("shelf.stop"),
};

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void startUpRunsInOrderAndRegistersInTheFixedOrder() {
        Harness h;
        h.delegate->applicationDidFinishLaunching();

        const QStringList expected =
            QStringList{QStringLiteral("crashHandlers"), QStringLiteral("sessionStart"),
                        QStringLiteral("accessory"), QStringLiteral("degraded:Updater")} +
            allButExpandedOnlyStarted +
            QStringList{QStringLiteral("panel.setup"), QStringLiteral("posture.start"),
                        QStringLiteral("blink.start"), QStringLiteral("sleepSource.start"),
                        QStringLiteral("keyMonitor.set")};
        QCOMPARE(h.log.entries, expected);

        QStringList registered;
        for (const AnyNotchWidget* record : h.delegate->registry().widgets())
            registered.append(record->id());
        QCOMPARE(registered,
                 (QStringList{"daily", "system", "usage", "devices", "servers", "shelf", "caffeinate"}));
        QCOMPARE(h.scheduler.pendingCount(), 1); // the onboarding check, nothing else
    }

    void startUpHandsTheServicesOver() {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.widgets["system"]->caffeinateService, h.widgets["caffeinate"]->service());
        QCOMPARE(h.settingsWindow.usageService(), h.widgets["usage"]->service());

        Harness withoutUsage({QStringLiteral("system")});
        withoutUsage.delegate->applicationDidFinishLaunching();
        QCOMPARE(withoutUsage.settingsWindow.usageService(), nullptr);
        QCOMPARE(withoutUsage.widgets["system"]->caffeinateService, nullptr);
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
        QVERIFY(h.delegate->screenAsleep());
        QCOMPARE(h.log.entries, (QStringList{"daily.stop", "system.stop", "usage.stop", "devices.stop",
                                             "servers.stop", "shelf.stop", "posture.stop", "blink.stop"}));

        h.log.clear();
        h.sleepSource.sleep(); // a second source reporting the same sleep
        QCOMPARE(h.log.entries, QStringList());

        h.sleepSource.wake();
        QVERIFY(!h.delegate->screenAsleep());
        const QStringList restarted = allButExpandedOnlyStarted + QStringList{"posture.start", "blink.start"};
        QCOMPARE(h.log.entries, restarted);

        h.log.clear();
        h.sleepSource.wake();
        QCOMPARE(h.log.entries, QStringList());
    }

    void openAndCloseRunTheExpandedOnlyWidgetsOnlyWhileAwake() {
        Harness h;
        h.launch();

        h.delegate->stateManager().open();
        QCOMPARE(h.log.entries, (QStringList{"devices.start", "servers.start", "shelf.start"}));
        h.log.clear();
        h.delegate->stateManager().close();
        QCOMPARE(h.log.entries, (QStringList{"devices.stop", "servers.stop", "shelf.stop"}));

        h.sleepSource.sleep();
        h.log.clear();
        h.delegate->stateManager().open();
        h.delegate->stateManager().close();
        QCOMPARE(h.log.entries, QStringList());
    }

    void wakeWhileOpenLeavesTheExpandedOnlyWidgetsStopped() {
        Harness h;
        h.launch();
        h.delegate->stateManager().open();
        h.sleepSource.sleep();
        h.log.clear();

        h.sleepSource.wake();
        QVERIFY(h.delegate->stateManager().isOpen());
        const QStringList& log = h.log.entries;
        for (const QString& id :
             {QStringLiteral("devices"), QStringLiteral("servers"), QStringLiteral("shelf")})
            QVERIFY2(log.lastIndexOf(id + ".stop") > log.lastIndexOf(id + ".start"), qPrintable(id));

        h.log.clear();
        h.delegate->stateManager().close();
        h.delegate->stateManager().open();
        QCOMPARE(h.log.entries, (QStringList{"devices.stop", "servers.stop", "shelf.stop", "devices.start",
                                             "servers.start", "shelf.start"}));
    }

    void screenChangeClosesThePanelAndRebuildsIt() {
        Harness h;
        h.launch();
        h.delegate->stateManager().open();
        h.delegate->stateManager().setActiveWidgetId(QStringLiteral("shelf"));
        h.log.clear();

        h.screens.change();
        QCOMPARE(h.log.entries, (QStringList{"panel.stopHover", "panel.cancelClose", "devices.stop",
                                             "servers.stop", "shelf.stop", "panel.setup"}));
        QVERIFY(!h.delegate->stateManager().isOpen());
        QCOMPARE(h.delegate->stateManager().activeWidgetId(), std::nullopt);

        h.sleepSource.sleep();
        h.delegate->stateManager().open();
        h.log.clear();
        h.screens.change();
        QCOMPARE(h.log.entries, (QStringList{"panel.stopHover", "panel.cancelClose", "panel.setup"}));
    }

    void onboardingIsOfferedAfterSixTenthsOfASecondUnlessCompleted_data() {
        QTest::addColumn<QVariant>("completed");
        QTest::addColumn<bool>("shown");
        QTest::newRow("absent") << QVariant() << true;
        QTest::newRow("false") << QVariant(false) << true;
        QTest::newRow("true") << QVariant(true) << false;
    }

    void onboardingIsOfferedAfterSixTenthsOfASecondUnlessCompleted() {
        QFETCH(QVariant, completed);
        QFETCH(bool, shown);
        Harness h;
        if (completed.isValid())
            h.preferences.setValue(OnboardingWindowManager::completedKey, completed);
        h.launch();

        h.scheduler.advance(599);
        QVERIFY(!h.onboarding.window());
        h.scheduler.advance(1);
        QCOMPARE(h.onboarding.window() != nullptr, shown);
    }

    void onboardingCheckReadsThePreferenceWhenItRuns() {
        Harness h;
        h.launch();
        h.preferences.setValue(OnboardingWindowManager::completedKey, true);
        h.scheduler.advance(600);
        QVERIFY(!h.onboarding.window());
    }

    void settingsShortcut_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("matches");
        QTest::newRow("ctrl+comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                    << true;
        QTest::newRow("ctrl+alt+comma")
            << int(Qt::Key_Comma) << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::AltModifier) << true;
        QTest::newRow("comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers() << false;
        QTest::newRow("alt+comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers(Qt::AltModifier) << false;
        QTest::newRow("ctrl+period") << int(Qt::Key_Period) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                     << false;
        QTest::newRow("ctrl+shift+comma is less")
            << int(Qt::Key_Less) << Qt::KeyboardModifiers(Qt::ControlModifier | Qt::ShiftModifier) << false;
        QTest::newRow("meta+comma") << int(Qt::Key_Comma) << Qt::KeyboardModifiers(Qt::MetaModifier) << false;
    }

    void settingsShortcut() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, matches);
        Harness h;
        h.launch();

        QCOMPARE(h.keyMonitor.press(key, modifiers), matches);
        QCOMPARE(h.settingsWindow.window() != nullptr, matches);
        if (matches) {
            QQuickWindow* first = h.settingsWindow.window();
            QVERIFY(h.keyMonitor.press(key, modifiers));
            QCOMPARE(h.settingsWindow.window(), first);
        }
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
