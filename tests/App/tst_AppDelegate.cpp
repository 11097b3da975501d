#include "App/AppDelegate.h"
#include "App/WidgetOrder.h"

#include "FakeClock.h"
#include "FakePlatform.h"
#include "FakeWidget.h"
#include "InMemoryPreferences.h"
#include "Theme/ThemeQml.h"

#include <QQuickWindow>
#include <QTest>

namespace {

using WidgetList = std::vector<std::unique_ptr<NotchWidget>>;

// One delegate over fakes, its widgets given out of order, every call recorded in `log`.
struct Harness {
    CallLog log;
    FakeScreens screens;
    FakeShell shell;
    FakeScheduler scheduler;
    InMemoryPreferences preferences;
    SettingsWindowManager settingsWindow;
    OnboardingWindowManager onboarding;
    UpdaterService updater;
    QHash<QString, FakeWidget*> widgets;
    std::unique_ptr<AppDelegate> delegate;

    Harness() {
        shell.log = &log;
        registerThemeQmlTypes(preferences);
        const auto logs = [this](const char* entry) { return [this, entry] { log.add(entry); }; };
        AppDelegateDependencies deps(&shell, &screens, &shell, &shell, &shell, &scheduler, &preferences,
                                     &settingsWindow, &onboarding, &updater, logs("sessionStart"), nullptr,
                                     logs("flushLog"), std::make_unique<FakeReminderService>("posture", &log),
                                     std::make_unique<FakeReminderService>("blink", &log), WidgetList());
        deps.reportDegraded = [this](const QString& component, auto&&...) {
            log.add("degraded:" + component);
        };
        for (const QString id : {"caffeinate", "shelf", "daily", "servers", "devices", "system", "usage"}) {
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
    void sleep() { Q_EMIT shell.screensDidSleep(); }
    void wake() { Q_EMIT shell.screensDidWake(); }
};

QStringList calls(const char* spaced) {
    return QString::fromLatin1(spaced).split(u' ');
}

const QStringList expandedOnlyStop = calls("devices.stop servers.stop shelf.stop");
const QStringList restarted =
    calls("daily.start system.start usage.start devices.start servers.start shelf.start "
          "caffeinate.start devices.stop servers.stop shelf.stop");

} // namespace

class TestAppDelegate : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Widgets are built in their registration order, day first and breaks last, whatever order the
    // application lists them in; an id the order does not know is built after the known ones.
    void widgetsAreBuiltInRegistrationOrder() {
        QStringList built;
        std::vector<WidgetOrder::Maker> makers;
        for (const QString id : {"break", "shelf", "extra", "usage", "daily", "notes", "caffeinate",
                                 "servers", "audio", "music", "devices", "system"})
            makers.push_back({id, [id, &built] {
                                  built.append(id);
                                  return std::make_unique<FakeWidget>(id, 0);
                              }});
        const auto widgets = WidgetOrder::construct(std::move(makers));
        const QStringList expected{"daily", "system",     "music", "usage", "devices", "servers",
                                   "shelf", "caffeinate", "audio", "notes", "break",   "extra"};
        QCOMPARE(built, expected);
        QStringList held;
        for (const auto& widget : widgets)
            held.append(widget->id());
        QCOMPARE(held, expected);
    }

    void startUpAndShutDownRunInOrder() {
        Harness h;
        h.delegate->applicationDidFinishLaunching();
        QCOMPARE(h.log.entries,
                 calls("sessionStart accessory degraded:Updater") + restarted +
                     calls("panel.setup posture.start blink.start sleepSource.start keyMonitor.set"));
        QCOMPARE(h.scheduler.pendingCount(), 1); // the onboarding check, nothing else
        QCOMPARE(h.widgets["system"]->caffeinateService, h.widgets["caffeinate"]->service());
        QCOMPARE(h.settingsWindow.usageService(), h.widgets["usage"]->service());

        h.log.clear();
        h.delegate->applicationWillTerminate();
        QCOMPARE(h.log.entries,
                 calls("daily.stop system.stop usage.stop devices.stop servers.stop shelf.stop "
                       "caffeinate.stop posture.stop blink.stop panel.stopHover panel.stopDrag "
                       "panel.cancelClose sleepSource.stop keyMonitor.clear flushLog"));
        h.log.clear(); // every observer is gone
        h.sleep();
        h.wake();
        Q_EMIT h.screens.screensChanged();
        QCOMPARE(h.log.entries, QStringList());
        QVERIFY(!h.shell.press(Qt::Key_Comma, Qt::ControlModifier));
    }

    void sleepStopsAllButKeepAwakeOnceAndWakeRestartsOnce() {
        Harness h;
        h.launch();
        h.wake(); // no sleep before it
        h.state().open();
        h.log.clear();
        h.sleep();
        h.sleep();         // a second source reporting the same sleep
        h.state().close(); // asleep: the expanded-only widgets are left alone
        h.state().open();
        QCOMPARE(h.log.entries,
                 calls("daily.stop system.stop usage.stop devices.stop servers.stop shelf.stop "
                       "posture.stop blink.stop"));
        h.log.clear();
        h.wake();
        h.wake();
        QVERIFY(h.state().isOpen()); // yet the expanded-only widgets stay stopped
        QCOMPARE(h.log.entries, restarted + calls("posture.start blink.start"));
        h.log.clear();
        h.state().close();
        h.state().open();
        QCOMPARE(h.log.entries, expandedOnlyStop + calls("devices.start servers.start shelf.start"));
    }

    void screenChangeClosesThePanelAndRebuildsIt() {
        Harness h;
        h.launch();
        h.state().open();
        h.state().setActiveWidgetId(QStringLiteral("shelf"));
        h.log.clear();
        Q_EMIT h.screens.screensChanged();
        QCOMPARE(h.log.entries,
                 calls("panel.stopHover panel.cancelClose") + expandedOnlyStop + calls("panel.setup"));
        QVERIFY(!h.state().isOpen());
        QCOMPARE(h.state().activeWidgetId(), std::nullopt);

        h.sleep();
        h.state().open();
        h.log.clear();
        Q_EMIT h.screens.screensChanged(); // asleep: nothing to stop
        QCOMPARE(h.log.entries, calls("panel.stopHover panel.cancelClose panel.setup"));
    }

    void onboardingIsOfferedAfter600msUnlessCompleted_data() {
        QTest::addColumn<QVariant>("completed"); // stored after launch: read when the check runs
        QTest::newRow("absent") << QVariant();
        QTest::newRow("false") << QVariant(false);
        QTest::newRow("true") << QVariant(true);
    }

    // Closing the window without finishing records nothing; finishing records completion and closes it.
    void onboardingIsOfferedAfter600msUnlessCompleted() {
        QFETCH(QVariant, completed);
        Harness h;
        h.launch();
        if (completed.isValid())
            h.preferences.setValue(OnboardingWindowManager::completedKey, completed);
        h.scheduler.advance(599);
        QVERIFY(!h.onboarding.window());
        h.scheduler.advance(1);
        QCOMPARE(h.onboarding.window() != nullptr, !completed.toBool());
        if (completed.toBool())
            return;
        h.onboarding.window()->close();
        QCOMPARE(h.onboarding.window(), nullptr);
        QVERIFY(!OnboardingWindowManager::isCompleted(h.preferences));
        h.onboarding.show();
        QPointer<QQuickWindow> window = h.onboarding.window();
        QVERIFY(window && window->isVisible());
        h.onboarding.show();
        QCOMPARE(h.onboarding.window(), window.data());
        h.onboarding.finish();
        QCOMPARE(h.preferences.value(OnboardingWindowManager::completedKey), QVariant(true));
        QTRY_VERIFY(!window);
    }

    // Ctrl+comma, with or without Alt, opens the settings window; a second press brings the same one forward.
    void settingsShortcut() {
        Harness h;
        h.launch();
        const Qt::KeyboardModifiers ctrl(Qt::ControlModifier);
        QVERIFY(!h.shell.press(Qt::Key_Comma, {}));
        QVERIFY(!h.shell.press(Qt::Key_Less, ctrl | Qt::ShiftModifier)); // ctrl+shift+comma
        QVERIFY(!h.settingsWindow.window());
        QVERIFY(h.shell.press(Qt::Key_Comma, ctrl));
        QQuickWindow* first = h.settingsWindow.window();
        QVERIFY(first);
        QVERIFY(h.shell.press(Qt::Key_Comma, ctrl | Qt::AltModifier));
        QCOMPARE(h.settingsWindow.window(), first);
    }
};

QTEST_MAIN(TestAppDelegate)
#include "tst_AppDelegate.moc"
